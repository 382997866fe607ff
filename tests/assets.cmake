# The generated textures and models, read back from the build tree as the network reads them.
pn_add_test(assets_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/assets/AssetsTest.cpp
  LIBS pn_text pn_osg Qt5::Core
  LABELS assets)
add_dependencies(assets_test assets pn_make_assets pn_asset_sheet pn_make_sample pipeviewer)
