# The desktop window driven as a person drives it, under Xvfb: the Open path, the panels,
# the tools answered by the window, the records behind the plug-in's own nodes.
set(pn_window_env)
if(PN_SANITIZE)
  # The window's platform reads the keyboard map with libxkbcommon, which hands strndup a
  # buffer without an end mark and its length: strndup stops at the length, and only the
  # sanitizer's strict string check would not.
  set(pn_window_env ENV ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=0)
endif()
pn_add_test(window_test
  SOURCES window/WindowFixture.cpp window/MainWindowTest.cpp window/PickedFeatureTest.cpp
  LIBS pn_window Qt5::Test
  LABELS window
  ${pn_window_env})
add_dependencies(window_test pipenetwork pn_make_sample assets)
