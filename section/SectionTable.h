#pragma once

#include <ostream>
#include <string>
#include <vector>

class CrossSection;

// A cross-section as text, in UTF-8: a table for the terminal, every line starting
// "section<TAB>" so scripts can pick them out, and a CSV file.
class SectionTable {
public:
    static void print(const CrossSection& section, std::ostream& out);
    // False with a reason when the file cannot be written.
    static bool writeCsv(const CrossSection& section, const std::string& path, std::string& error);

    // The columns of the table print writes, and a row's values in them as printed (GBK,
    // numbers in the C locale's digits).
    static const std::vector<std::string>& columns();
    static std::vector<std::string> cells(const CrossSection& section, std::size_t row);

    // The size as a survey gives it: "D300" for a round pipe, "400x300" for a box (mm).
    static std::string sizeText(const CrossSection& section, std::size_t row);
    // The rows a row is too close to, as "2 5" (numbered from 1).
    static std::string tooCloseTo(const CrossSection& section, std::size_t row);
};
