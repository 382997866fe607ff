pn_add_test(paging_test
  SOURCES paging/PipeGraphTest.cpp
  LIBS ${PN_PLUGIN_PARTS})
pn_add_test(paging_network_test
  SOURCES paging/PagingTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_sample)
pn_add_test(extent_reading_test
  SOURCES paging/ExtentReadingTest.cpp db/TestServer.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_sample pn_importer
  LABELS paging postgres)
