# The tools' frame, driven through the host application over the sample network.
pn_add_test(tools_frame_test
  SOURCES tools/FrameTest.cpp tools/HostScript.cpp
  LIBS Torvik ${CMAKE_DL_LIBS}
  LABELS tools)
# The plug-in's call to register its control is watched by the test program itself.
set_target_properties(tools_frame_test PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(tools_frame_test pipeviewer pipenetwork pn_make_sample)
pn_add_test(host_mouse_test
  SOURCES tools/HostMouseTest.cpp tools/HostScript.cpp
  LABELS tools)
add_dependencies(host_mouse_test pipeviewer pipenetwork pn_make_sample)
