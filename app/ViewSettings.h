#pragma once

#include <string>
#include <vector>

// How the host shows a network: its coordinate system, the extent the paged graph
// covers, the height of the tile centres, and the ground. Read from the "view" element
// of pipe.xml (the plug-in reads only "conn" there), overridable on the command line:
//   <pipeline>
//     <conn str="network.sqlite"/>
//     <view srs="EPSG:4547" extent="xmin ymin xmax ymax" baseZ="0" ground="0">
//       <imagery file="orthophoto.tif"/>
//       <groundLayer file="kerbs.shp" style="kerbs.style"/>
//     </view>
//   </pipeline>
struct ViewSettings {
    std::string srs;
    std::string extent; // "xmin ymin xmax ymax"
    std::string baseZ;
    double ground = 0.0;
    bool hasGround = false;
    // Rasters laid on the ground, in order (later ones over earlier ones), as written
    // (a relative path is taken from pipe.xml's folder by whoever knows it).
    std::vector<std::string> imagery;
    // Vector files drawn on the ground, each with its style file (empty: the one beside it, if any).
    struct GroundLayer {
        std::string file, style;
    };
    std::vector<GroundLayer> groundLayers;

    // Fills what the file has; false with a reason when the file cannot be read.
    bool read(const std::string& pipeXml, std::string& error);
    // The same from the text of such a file (within the limits of text/XmlBounds.h); `name`
    // heads the reason.
    bool parse(const std::string& bytes, const std::string& name, std::string& error);
    // The four numbers of `extent`; false when it is not four numbers with xmin < xmax, ymin < ymax.
    bool bounds(double& xmin, double& ymin, double& xmax, double& ymax) const;
};

// The bytes of the pipe.xml at `path`: a regular file within the size and nesting limits
// (Qt's parser recurses per level of nesting: a file past them never reaches it); false
// with a reason otherwise.
bool readPipeXmlBytes(const std::string& path, std::string& bytes, std::string& error);
