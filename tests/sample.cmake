# The sample network generator, checked through the files it writes.
pn_add_test(sample_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sample/SampleTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_sample geo Qt5::Sql
  LABELS sample)
add_dependencies(sample_test pn_make_sample)
