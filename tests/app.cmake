pn_add_test(app_test
  SOURCES app/HostApplicationTest.cpp)
add_dependencies(app_test pipeviewer pipenetwork)
pn_add_test(dem_terrain_test
  SOURCES app/DemTerrainTest.cpp ${PROJECT_SOURCE_DIR}/app/DemTerrain.cpp ${PROJECT_SOURCE_DIR}/app/GroundImagery.cpp
    ${PROJECT_SOURCE_DIR}/app/GroundLayers.cpp
  LIBS Torvik pn_text pn_osg GDAL::GDAL Qt5::Core)
pn_add_test(main_job_test
  SOURCES app/MainJobTest.cpp
  LIBS pn_osg)
add_dependencies(main_job_test pipeviewer pipenetwork pn_make_sample assets)
pn_add_test(home_view_test
  SOURCES app/HomeViewTest.cpp ${PROJECT_SOURCE_DIR}/app/HomeView.cpp
  LIBS pn_osg)
pn_add_test(server_job_test
  SOURCES app/ServerJobTest.cpp db/TestServer.cpp
  LIBS pn_database pn_text pn_osg
  LABELS app postgres)
add_dependencies(server_job_test pipeviewer pipenetwork pn_make_sample pn_import assets)
