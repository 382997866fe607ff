# Opening a database directly: its survey, the pipe.xml written for it, the dialog asking for its system.
pn_add_test(window_open_test
  SOURCES window/OpenNetworkTest.cpp
  LIBS pn_window pn_mdbwriter Qt5::Test
  LABELS window
  ENV QT_QPA_PLATFORM=offscreen)
add_dependencies(window_open_test sample_data pn_access_reader)
