pn_add_test(geo_tests
  SOURCES geo/XmlConfigTest.cpp geo/SpatialReferenceTest.cpp geo/TilingTest.cpp geo/FeatureSourceTest.cpp
          geo/ElevationQueryTest.cpp
  LIBS geo Torvik GDAL::GDAL pn_osg
  LABELS geo)
