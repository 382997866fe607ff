#pragma once

#include <string>

class SampleNetwork;

// What the ground over a sample network looks like, as a survey team gets it with its
// network: an orthophoto of the district and a map of its streets. Each returns an empty
// string on success and otherwise says what went wrong.
namespace samplefiles {

// A georeferenced RGB GeoTIFF over the network's extent, in its coordinate system: asphalt
// carriageways along the street grid (a dashed centre line on the main streets), lighter
// pavements, and in each block two buildings with their roofs amid grass; half a metre a
// pixel, coarser for large districts (at most 2048 pixels a side).
std::string writeOrthophoto(const SampleNetwork& network, const std::string& path);

// The streets' centre lines as a GeoJSON file of line strings in the network's coordinate
// system, with each street's name, class ("main" or "street") and width in metres.
std::string writeRoads(const SampleNetwork& network, const std::string& path);

// Half the width of the asphalt, and of the street with its pavements, in metres.
double carriagewayHalfWidth(const SampleNetwork& network);
double streetHalfWidth(const SampleNetwork& network);

} // namespace samplefiles
