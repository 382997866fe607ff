#pragma once

#include <osg/Image>
#include <osg/Vec3>
#include <osg/ref_ptr>

#include <cstdint>
#include <string>

// The surfaces the network is textured with, painted procedurally. Every recipe is a
// pure function of its arguments, so the build always writes the same pictures.
//
// Lids are drawn for the shapes that carry them: a round lid fills the circle inscribed in
// the square image (the cap of a cylinder takes its texture that way), a square lid the
// whole image, and a street-inlet grate an image twice as tall as wide, the 0.5 m by 1.0 m
// top of its box.
namespace textures {

enum class Masonry { Concrete, RedBrick, ConcreteBlock };

// Shaft walls seen from inside the chamber.
osg::ref_ptr<osg::Image> wall(Masonry masonry, std::uint32_t seed);

// Cast-iron manhole lids. The marking is cast into the lid (two upper-case letters of the
// owner's utility, as the survey teams read them in the street); a painted lid has a ring
// of its utility's colour, as gas and heat lids often do.
struct LidLook {
    std::string marking;
    bool painted = false;
    osg::Vec3 accent;
    bool checkered = true; // anti-slip studs; otherwise a diamond relief
    std::uint32_t seed = 1;
};
osg::ref_ptr<osg::Image> roundLid(const LidLook& look);
osg::ref_ptr<osg::Image> squareLid(const LidLook& look);
osg::ref_ptr<osg::Image> grate(std::uint32_t seed);

// The sides and floor of an excavation pit: layered earth and compacted gravel.
osg::ref_ptr<osg::Image> pitSide(std::uint32_t seed);
osg::ref_ptr<osg::Image> pitFloor(std::uint32_t seed);

} // namespace textures
