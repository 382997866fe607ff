#pragma once

#include <string>

// The section of a segment as its section size text (断面尺寸, millimetres) gives it:
// one number is the diameter of a round pipe; two joined by an upper-case "X" are the
// width and height of a box culvert; anything else has no section to draw. A figure past a
// kilometre reads 0.
struct PipeSection {
    enum class Shape { None, Round, Rectangular };

    Shape shape = Shape::None;
    double diameter = 0.0;
    double width = 0.0;
    double height = 0.0;

    static PipeSection parse(const std::string& text);
    // The first figure of the text: a round pipe's diameter, a box culvert's width; 0 when
    // there is none.
    static double firstFigure(const std::string& text);
};

// The decimal number at the start of `text` (after any blanks), or 0 when it does not
// start with one: "400x300" reads 400. Independent of the process's locale, and neither
// hexadecimal nor "inf" or "nan" count as numbers.
double leadingNumber(const std::string& text);
