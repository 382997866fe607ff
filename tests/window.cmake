# The desktop window driven as a person drives it, under Xvfb.
pn_add_test(window_test
  SOURCES window/WindowFixture.cpp window/MainWindowTest.cpp
  LIBS pn_window Qt5::Test
  LABELS window)
add_dependencies(window_test pipenetwork pn_make_sample assets)
