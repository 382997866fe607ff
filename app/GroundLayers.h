#pragma once

#include <osg/Node>
#include <osg/Vec4>
#include <osg/ref_ptr>

#include <string>

class TerrainHeight;

// Map layers drawn on the ground: the features of a vector file (any format OGR reads:
// roads, kerbs, building footprints, parcels) as lines and filled polygons lying on the
// terrain, a little above it, in the map's coordinate system.
namespace GroundLayers {

// How a layer is drawn. A style file holds one setting a line ('#' starts a comment):
//   colour R G B [A]   lines and outlines, 0..1
//   width W            line width in pixels
//   fill R G B [A]     polygon fill, or "fill none" for outlines only
//   label FIELD        each feature's FIELD written on it (a road's name, say), shown where
//                      the eye is within LabelRange of it
// Settings it leaves out keep the defaults for the geometry; without "label", no labels.
struct Style {
    static constexpr float LabelRange = 400.0f;

    osg::Vec4 lineColour{0.98f, 0.84f, 0.18f, 1.0f};
    osg::Vec4 polygonColour{0.85f, 0.35f, 0.25f, 1.0f};
    osg::Vec4 fill{0.85f, 0.35f, 0.25f, 0.35f};
    float width = 2.0f;
    bool lineColourSet = false, filled = true;
    std::string label;

    // False with the line and reason when the file cannot be read or holds a bad setting.
    bool read(const std::string& path, std::string& error);
};

// The style file that goes with a layer when none is named: beside it, with the extension
// ".style" in place of its own (roads.geojson: roads.style); empty when there is none.
std::string styleBeside(const std::string& layer);

// The features of `path` over the extent, placed in `srs` and on `terrain`; null with a
// reason when the file cannot be read or placed. Features outside the extent are left out.
osg::ref_ptr<osg::Node> build(const std::string& path, const Style& style, const std::string& srs,
                              const TerrainHeight& terrain, double xmin, double ymin, double xmax,
                              double ymax, std::string& error);

} // namespace GroundLayers
