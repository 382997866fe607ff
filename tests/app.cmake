pn_add_test(app_test
  SOURCES app/HostApplicationTest.cpp)
add_dependencies(app_test pipeviewer pipenetwork)
