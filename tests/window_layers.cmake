# The layer, line layer and identify panels, and the features they read from the sample network.
pn_add_test(window_layers_test
  SOURCES window/FeatureRecordTest.cpp window/LayerPanelsTest.cpp
  LIBS pn_window Qt5::Test
  ENV QT_QPA_PLATFORM=offscreen)
add_dependencies(window_layers_test sample_data pn_access_reader)
