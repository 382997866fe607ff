# The tools driven through the host application over the sample network, and the
# plug-in's registrations, watched by the test program itself.
pn_add_test(tools_frame_test
  SOURCES tools/FrameTest.cpp
  LIBS Torvik ${CMAKE_DL_LIBS}
  LABELS tools)
set_target_properties(tools_frame_test PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(tools_frame_test pipeviewer pipenetwork pn_make_sample)
pn_add_test(tools_pictures_test
  SOURCES tools/PicturesTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_sample
  LABELS tools)
add_dependencies(tools_pictures_test pipeviewer pipenetwork pn_make_sample assets)
# The tools on a viewer of their own.
pn_add_test(tools_viewer_test
  SOURCES tools/ViewerToolsTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools)
# The cross-section over a network of the test's own, and drawn through the host.
pn_add_test(tools_section_test
  SOURCES tools/SectionTest.cpp network/NetworkDatabase.cpp
  LIBS pn_section ${PN_PLUGIN_PARTS} Qt5::Gui
  LABELS tools)
add_dependencies(tools_section_test pipeviewer pipenetwork pn_make_sample)
# The host's answers to the tools, and the tunnels they build.
pn_add_test(tools_tunnel_answers_test
  SOURCES tools/TunnelAnswersTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_answers
  LABELS tools)
add_dependencies(tools_tunnel_answers_test pipeviewer pipenetwork pn_make_sample assets)
# The dig tools on a viewer of their own, and their pictures through the host.
pn_add_test(tools_excavation_test
  SOURCES tools/ExcavationTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_osg
  LABELS tools)
add_dependencies(tools_excavation_test pipeviewer pipenetwork pn_make_sample assets)
