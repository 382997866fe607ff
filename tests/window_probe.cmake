pn_add_test(window_probe_test
  SOURCES window/ToolDialogsTest.cpp window/ToolIconsTest.cpp
  LIBS pn_window Qt5::Test
  ENV QT_QPA_PLATFORM=offscreen)
pn_add_test(view_probe_test
  SOURCES window/ViewProbeTest.cpp window/CameraFlightTest.cpp
  LIBS pn_host)
