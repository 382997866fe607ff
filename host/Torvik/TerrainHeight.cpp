#include "Torvik/TerrainHeight.h"

TerrainHeight::~TerrainHeight() = default;
