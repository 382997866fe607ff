pn_add_test(geo_tests
  SOURCES geo/XmlConfigTest.cpp geo/SpatialReferenceTest.cpp geo/TilingTest.cpp
  LIBS geo pn_osg Qt5::Core
  LABELS geo)
