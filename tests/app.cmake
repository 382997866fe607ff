pn_add_test(app_test
  SOURCES app/HostApplicationTest.cpp)
add_dependencies(app_test pipeviewer pipenetwork)
pn_add_test(dem_terrain_test
  SOURCES app/DemTerrainTest.cpp ${PROJECT_SOURCE_DIR}/app/DemTerrain.cpp
  LIBS Torvik GDAL::GDAL Qt5::Core)
