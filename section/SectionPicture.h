#pragma once

#include <string>
#include <vector>

class CrossSection;

// A drawing of a cross-section: the ground line with the earth below it, each pipe at its
// height in its layer's colour (a circle or a rectangle, its size to the height scale so
// its top and bottom read true on the height axis), labels (kind, size, depth to top),
// distance and height axes, the vertical exaggeration, and the pipes too close to each
// other marked in red and listed. Laid out once, written as SVG or as PNG.
class SectionPicture {
public:
    // The heights stretched by `exaggeration` when it is given (above 0), the picture then
    // narrowed as needed to fit them; otherwise by as much as fits, one significant digit.
    SectionPicture(const CrossSection& section, int width = 640, int height = 360, double exaggeration = 0.0);

    std::string svg() const;
    bool writeSvg(const std::string& path, std::string& error) const;
    // Needs a QGuiApplication (for the fonts).
    bool writePng(const std::string& path, std::string& error) const;

    // How many times the heights are stretched against the distances.
    double exaggeration() const { return _exaggeration; }

    struct Mark {
        enum class Type { Polyline, Polygon, Ellipse, Rectangle, Text };
        Type type;
        std::vector<double> points; // x0 y0 x1 y1 ... (pixels); ellipse and rectangle: x y w h
        unsigned rgb = 0;           // 0xRRGGBB
        unsigned fill = 0xFFFFFFFF; // none when all ones
        double lineWidth = 1.0;
        bool dashed = false;
        std::string text;     // ASCII
        int align = 0;        // text: -1 left, 0 centre, 1 right of the point
        bool upright = false; // text: reads upwards from the point
    };

private:
    int _width, _height;
    double _exaggeration = 1.0;
    std::vector<Mark> _marks;
};
