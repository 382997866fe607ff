# The tools' frame, driven through the host application over the sample network.
pn_add_test(tools_frame_test
  SOURCES tools/FrameTest.cpp tools/HostScript.cpp
  LIBS Torvik ${CMAKE_DL_LIBS}
  LABELS tools
  SERIAL)
# The plug-in's call to register its control is watched by the test program itself.
set_target_properties(tools_frame_test PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(tools_frame_test pipeviewer pipenetwork pn_make_sample)
pn_add_test(host_mouse_test
  SOURCES tools/HostMouseTest.cpp tools/HostScript.cpp
  LABELS tools
  SERIAL)
add_dependencies(host_mouse_test pipeviewer pipenetwork pn_make_sample)
# Browsing and ground opacity, through the host application over the sample network.
pn_add_test(browsing_test
  SOURCES tools/BrowsingTest.cpp
  LIBS ${PN_PLUGIN_PARTS}
  SERIAL)
add_dependencies(browsing_test pipeviewer pipenetwork pn_make_sample assets)
# The highlight, layer and flow-direction tools: on small networks made by the tests,
# and pictured over the sample network through the host application.
pn_add_test(highlight_test
  SOURCES tools/HighlightTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools
  SERIAL)
add_dependencies(highlight_test pipeviewer pipenetwork pn_make_sample assets)
pn_add_test(layer_tool_test
  SOURCES tools/LayerToolTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS tools)
pn_add_test(flow_direction_test
  SOURCES tools/FlowDirectionTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools
  SERIAL)
add_dependencies(flow_direction_test pipeviewer pipenetwork pn_make_sample assets)
