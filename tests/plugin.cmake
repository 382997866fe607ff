pn_add_test(pipeline_control_test
  SOURCES plugin/PipelineControlTest.cpp plugin/TextTest.cpp
  LIBS ${PN_PLUGIN_PARTS})
pn_add_test(plugin_load_test
  SOURCES plugin/PluginLoadTest.cpp
  LIBS Torvik Selmor)
add_dependencies(plugin_load_test pipenetwork)
