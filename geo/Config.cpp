#include "geo/Config.h"

#include <algorithm>
#include <cctype>

namespace osgEarth {
namespace {
std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

Config::Config(std::string key, std::string value) : _key(lower(std::move(key))), _value(std::move(value)) {}

bool Config::hasChild(const std::string& key) const {
    const std::string wanted = lower(key);
    return std::any_of(_children.begin(), _children.end(), [&](const Config& c) { return c._key == wanted; });
}

Config Config::child(const std::string& key) const {
    const std::string wanted = lower(key);
    for (const Config& c : _children)
        if (c._key == wanted)
            return c;
    return Config();
}

void Config::set(const std::string& key, std::string value) {
    const std::string wanted = lower(key);
    for (Config& c : _children) {
        if (c._key == wanted) {
            c = Config(wanted, std::move(value));
            return;
        }
    }
    _children.emplace_back(wanted, std::move(value));
}

std::string Config::value(const std::string& key) const {
    std::string text = child(key).value();
    return text.empty() ? attr(key) : text;
}

std::string Config::attr(const std::string& name) const {
    auto it = _attributes.find(lower(name));
    return it == _attributes.end() ? std::string() : it->second;
}

void Config::setAttr(const std::string& name, std::string value) {
    _attributes[lower(name)] = std::move(value);
}

} // namespace osgEarth
