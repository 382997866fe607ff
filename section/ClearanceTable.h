#pragma once

#include <istream>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The least clear distance (metres, wall to wall) two pipes may keep, by the pair of their
// utility kinds, with a default for every pair the table does not name. Read from a text
// file, one rule a line ('#' starts a comment):
//     default 0.3
//     JS TR 0.5        (kind codes, either order)
class ClearanceTable {
public:
    static constexpr double DefaultMetres = 0.3;

    // What `first` and `second` (kind codes) must keep apart.
    double required(const std::string& first, const std::string& second) const;

    // Reads the rules of `path`; false when the file cannot be read (the table is then
    // unchanged). A line that is no rule is left out and described in `problems`.
    bool read(const std::string& path, std::vector<std::string>& problems);
    void parse(std::istream& in, std::vector<std::string>& problems);

private:
    double _default = DefaultMetres;
    std::map<std::pair<std::string, std::string>, double> _pairs;
};
