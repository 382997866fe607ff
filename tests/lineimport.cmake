# Line layers from vector files and point lists, through the control and the host application.
pn_add_test(lineimport_tests
  SOURCES lineimport/LineImportTest.cpp
  LIBS ${PN_PLUGIN_PARTS} GDAL::GDAL
  LABELS lineimport)
pn_add_test(lineimport_script_test
  SOURCES lineimport/LineImportScriptTest.cpp
  LABELS lineimport)
add_dependencies(lineimport_script_test pipeviewer pipenetwork)
