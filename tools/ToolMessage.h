#pragma once

#include <osg/Vec2d>

#include <string>
#include <vector>

// Reading the tools' messages from the host: a keyword ending in ':' and the fields after
// it, separated by ','. Nothing here touches the scene, so any text may be read.
namespace ToolMessage {

// True when `message` starts with `verb` (a keyword ending in ':'); `fields` then gets
// what follows the colon split at every ','.
bool matchVerb(const std::string& message, const std::string& verb, std::vector<std::string>& fields);
// A flag field: a whole number but 0 is true; text that is no number is false.
bool flag(const std::string& field);
// The fields of a dig message as numbers (a trailing empty field, left by a closing
// comma, is dropped). False when any is not a finite number.
bool numbers(const std::vector<std::string>& fields, std::vector<double>& values);

// "Opacity:<percent>": the ground's opacity, the percentage as a fraction clamped to 0..1.
// False for another message or a number out of range.
bool opacity(const std::string& message, float& alpha);

// The fields of a tunnel message: width, height, depth of the top below z = 0, then x,y
// pairs of the centre line. False when a number is out of range or not finite; a lone x
// at the end (no y) is not read.
struct Tunnel {
    float width = 0.0f, height = 0.0f, top = 0.0f;
    std::vector<osg::Vec2d> line;
};
bool tunnel(const std::vector<std::string>& fields, Tunnel& tunnel);

} // namespace ToolMessage
