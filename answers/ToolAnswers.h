#pragma once

#include <functional>
#include <optional>
#include <string>

// What the host answers when a tool reports the points a user drew and waits for the
// rest: the trench outline and depth for a dig along a line, the depth for a region
// pit, the section and depth for a tunnel. Names and texts are the program's byte
// strings (GBK).
class ToolAnswers {
public:
    // What the user chose for the next dig or tunnel, in metres.
    struct Settings {
        double width = 1.0;  // of a trench or a tunnel
        double depth = 2.0;  // of a trench or a pit; of a tunnel's top below ground
        double height = 2.5; // of a tunnel
    };
    struct Answer {
        std::string tool; // the command to message
        std::string text;
    };

    // The height of the ground at a map position; flat at 0 until set. A tunnel's top is
    // told to the tool as a depth below z = 0, so the depth below ground the user chose is
    // taken from the lowest ground along the centre line.
    using Ground = std::function<double(double x, double y)>;
    void setGround(Ground ground) { _ground = std::move(ground); }

    // False, with the settings unchanged, unless all three are positive and finite.
    bool setSettings(const Settings& settings);
    const Settings& settings() const { return _settings; }

    // True for the reports this host answers.
    static bool answers(const std::string& name);
    // The answer to the report `name` with `payload` ("x1,y1,x2,y2,..." with a comma after
    // each number), or none: for a report this host does not answer, and for a payload
    // that is malformed (then `problem` says why).
    std::optional<Answer> answer(const std::string& name, const std::string& payload,
                                 std::string& problem) const;

private:
    Settings _settings;
    Ground _ground;
};
