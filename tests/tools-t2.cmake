pn_add_test(browsing_test
  SOURCES tools/BrowsingTest.cpp
  LIBS ${PN_PLUGIN_PARTS})
add_dependencies(browsing_test pipeviewer pipenetwork pn_make_sample assets)
