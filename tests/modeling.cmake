# The model construction: pipe bodies, fittings, wells and chambers, equipment, extents.
pn_add_test(modeling_wells
  SOURCES modeling/NativePathTest.cpp modeling/PointLooksTest.cpp modeling/SharedObjectsTest.cpp
          network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS modeling)
add_dependencies(modeling_wells assets)
pn_add_test(modeling_bodies
  SOURCES modeling/ExtentGridTest.cpp modeling/PipeBodyTest.cpp modeling/LayerSceneTest.cpp
          network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS modeling)
pn_add_test(modeling_fittings
  SOURCES modeling/FittingTest.cpp modeling/SurveyNumberIndexTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS modeling)
