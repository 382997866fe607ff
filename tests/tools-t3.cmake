# The highlight, layer and flow-direction tools: on small networks made by the tests,
# and pictured over the sample network through the host application.
pn_add_test(highlight_test
  SOURCES tools/HighlightTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools)
add_dependencies(highlight_test pipeviewer pipenetwork pn_make_sample assets)
pn_add_test(layer_tool_test
  SOURCES tools/LayerToolTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS tools)
pn_add_test(flow_direction_test
  SOURCES tools/FlowDirectionTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools)
add_dependencies(flow_direction_test pipeviewer pipenetwork pn_make_sample assets)
