# The cross-section panel: its drawing, table, exports and choosing a pipe, without a display.
pn_add_test(window_section_test
  SOURCES window/SectionDockTest.cpp
  LIBS pn_window Qt5::Test
  ENV QT_QPA_PLATFORM=offscreen)
