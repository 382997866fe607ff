#include "answers/ToolAnswers.h"

#include "answers/TrenchOutline.h"
#include "text/Number.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const char* const TrenchReport = "沿线开挖";
const char* const RegionReport = "区域开挖";
const char* const TunnelReport = "SetUpTunnel";

// "x1,y1,x2,y2," (the comma after the last number optional) into points; false for a field
// that is no finite number, a lone x, or no point at all.
bool parsePoints(const std::string& payload, std::vector<osg::Vec2d>& points, std::string& problem) {
    std::vector<double> values;
    size_t start = 0;
    while (start < payload.size()) {
        size_t comma = payload.find(',', start);
        size_t end = comma == std::string::npos ? payload.size() : comma;
        double value = 0.0;
        if (!parseDecimal(std::string_view(payload).substr(start, end - start), value)) {
            problem = "a coordinate is not a finite number";
            return false;
        }
        values.push_back(value);
        start = end + 1;
    }
    if (values.empty() || values.size() % 2) {
        problem = values.empty() ? "no point" : "an x without its y";
        return false;
    }
    for (size_t i = 0; i < values.size(); i += 2)
        points.emplace_back(values[i], values[i + 1]);
    return true;
}

bool positive(double value) {
    return value > 0.0 && std::isfinite(value);
}

} // namespace

bool ToolAnswers::setSettings(const Settings& settings) {
    if (!positive(settings.width) || !positive(settings.depth) || !positive(settings.height))
        return false;
    _settings = settings;
    return true;
}

bool ToolAnswers::answers(const std::string& name) {
    return name == TrenchReport || name == RegionReport || name == TunnelReport;
}

std::optional<ToolAnswers::Answer> ToolAnswers::answer(const std::string& name, const std::string& payload,
                                                       std::string& problem) const {
    problem.clear();
    if (!answers(name))
        return std::nullopt;
    std::vector<osg::Vec2d> points;
    if (!parsePoints(payload, points, problem))
        return std::nullopt;
    const std::string depth = formatDecimal(_settings.depth);
    if (name == RegionReport)
        return Answer{RegionReport, "DigByRegion:" + depth};
    if (name == TunnelReport) {
        double lowest = HUGE_VAL;
        for (const osg::Vec2d& p : points)
            lowest = std::min(lowest, _ground ? _ground(p.x(), p.y()) : 0.0);
        const double top = _settings.depth - lowest;
        if (!std::isfinite(top)) {
            problem = "no ground height along the line";
            return std::nullopt;
        }
        std::string text = "SetUpTunnel:" + formatDecimal(_settings.width) + "," +
                           formatDecimal(_settings.height) + "," + formatDecimal(top);
        for (const osg::Vec2d& p : points)
            text += "," + formatDecimal(p.x()) + "," + formatDecimal(p.y());
        return Answer{"创建隧道", text};
    }
    std::vector<osg::Vec2d> outline = TrenchOutline::compute(points, _settings.width);
    if (outline.empty()) {
        problem = "the line has fewer than two distinct points";
        return std::nullopt;
    }
    std::string text = "DigByLine:" + depth;
    for (const osg::Vec2d& p : outline)
        text += "," + formatDecimal(p.x()) + "," + formatDecimal(p.y());
    return Answer{TrenchReport, text};
}
