#pragma once

namespace Torvik {

// The ground's imagery (an orthophoto or a map laid on the terrain): a texture on unit 0
// whose alpha says where it covers the ground, the plain ground colour showing elsewhere.
// A shader drawing the ground reads it through these uniforms: the sampler, and a bool
// that is true where the ground carries imagery.
constexpr const char* GroundImage = "groundImage";
constexpr const char* GroundImageOn = "groundImageOn";

} // namespace Torvik
