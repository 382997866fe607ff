pn_add_test(paging_test
  SOURCES paging/PipeGraphTest.cpp
  LIBS ${PN_PLUGIN_PARTS})
