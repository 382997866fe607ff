#include "tools/ToolMessage.h"

#include "Torvik/Torvik.h"
#include "text/Number.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace ToolMessage {

bool matchVerb(const std::string& message, const std::string& verb, std::vector<std::string>& fields) {
    if (message.compare(0, verb.size(), verb) != 0)
        return false;
    fields = Torvik::splitStr(message.substr(verb.size()), ",");
    return true;
}

bool flag(const std::string& field) {
    // strtol rather than atoi, which is undefined for a number out of range.
    return std::strtol(field.c_str(), nullptr, 10) != 0;
}

bool numbers(const std::vector<std::string>& fields, std::vector<double>& values) {
    size_t count = fields.size();
    if (count > 0 && fields.back().empty())
        --count;
    values.resize(count);
    for (size_t i = 0; i < count; ++i)
        if (!parseDecimal(fields[i], values[i]))
            return false;
    return true;
}

bool opacity(const std::string& message, float& alpha) {
    static const char verb[] = "Opacity:";
    double percent = 0.0;
    if (message.compare(0, std::strlen(verb), verb) != 0 ||
        !leadingDecimal(message.substr(std::strlen(verb)), percent))
        return false;
    alpha = static_cast<float>(std::clamp(percent / 100.0, 0.0, 1.0));
    return true;
}

bool tunnel(const std::vector<std::string>& fields, Tunnel& tunnel) {
    double values[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < 3; ++i)
        if (i < fields.size() && !leadingDecimal(fields[i], values[i]))
            return false;
    // The section is built in single precision: a size past its range is out of range.
    for (double value : values)
        if (std::abs(value) > std::numeric_limits<float>::max())
            return false;
    tunnel.width = static_cast<float>(values[0]);
    tunnel.height = static_cast<float>(values[1]);
    tunnel.top = static_cast<float>(values[2]);
    tunnel.line.clear();
    for (size_t i = 3; i + 1 < fields.size(); i += 2) {
        double x = 0.0, y = 0.0;
        if (!leadingDecimal(fields[i], x) || !leadingDecimal(fields[i + 1], y))
            return false;
        tunnel.line.emplace_back(x, y);
    }
    return true;
}

} // namespace ToolMessage
