#include "section/ClearanceTable.h"

#include "network/UtilityKind.h"
#include "text/Number.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {
bool isKindCode(const std::string& code) {
    return std::any_of(std::begin(UtilityKinds), std::end(UtilityKinds),
                       [&](const UtilityKind& kind) { return code == kind.code; });
}
std::pair<std::string, std::string> ordered(const std::string& a, const std::string& b) {
    return a < b ? std::make_pair(a, b) : std::make_pair(b, a);
}
} // namespace

double ClearanceTable::required(const std::string& first, const std::string& second) const {
    auto found = _pairs.find(ordered(first, second));
    return found == _pairs.end() ? _default : found->second;
}

bool ClearanceTable::read(const std::string& path, std::vector<std::string>& problems) {
    std::ifstream file(path);
    if (!file)
        return false;
    parse(file, problems);
    return true;
}

void ClearanceTable::parse(std::istream& in, std::vector<std::string>& problems) {
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::string::size_type hash = line.find('#');
        std::istringstream words(line.substr(0, hash));
        std::vector<std::string> fields;
        for (std::string word; words >> word;)
            fields.push_back(word);
        if (fields.empty())
            continue;
        double metres = 0.0;
        bool ok = !fields.empty() && parseDecimal(fields.back(), metres) && metres >= 0.0;
        if (ok && fields.size() == 2 && fields[0] == "default") {
            _default = metres;
        } else if (ok && fields.size() == 3 && isKindCode(fields[0]) && isKindCode(fields[1])) {
            _pairs[ordered(fields[0], fields[1])] = metres;
        } else {
            problems.push_back("line " + std::to_string(number) +
                               ": expected \"default METRES\" or \"CODE CODE METRES\" (kind codes such as "
                               "JS, TR; metres a number not below 0), not \"" +
                               line + "\"");
        }
    }
}
