# The model construction: pipe bodies, fittings, wells and chambers, equipment, extents.
pn_add_test(modeling_wells
  SOURCES modeling/NativePathTest.cpp
  LIBS pn_modeling pn_network pn_plugin
  LABELS modeling)
