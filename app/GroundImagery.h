#pragma once

#include <osg/Image>
#include <osg/ref_ptr>

#include <string>
#include <vector>

// Orthophotos and scanned or rendered maps laid on the ground: rasters of any format GDAL
// reads (GeoTIFF, JPEG or PNG with a world file, MBTiles, a .vrt mosaic), warped into
// the map's coordinate system and combined into one picture for the ground's texture.
struct GroundImagery {
    // RGBA, row 0 at the south edge (as a texture takes it); alpha 0 where no raster
    // covers the ground (outside its footprint, or on its no-data cells).
    osg::ref_ptr<osg::Image> image;
    // The map rectangle the picture spans.
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    // How many of the files could not be shown (their reasons are among the problems,
    // with notes on files that are shown).
    size_t failed = 0;

    // The rasters of `files` (later ones over earlier ones) over the part of the extent
    // they cover, in `srs`, at their own resolution but no more than `maxSide` pixels a
    // side: a large raster is read through its overviews at that size, never whole. A
    // file that cannot be shown adds a reason to `problems` and is left out; no image
    // when no file covers any of the extent.
    static GroundImagery read(const std::vector<std::string>& files, const std::string& srs, double xmin,
                              double ymin, double xmax, double ymax, std::vector<std::string>& problems,
                              int maxSide = 4096);
};
