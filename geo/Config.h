#pragma once

#include "geo/GeoExport.h"

#include <map>
#include <string>
#include <vector>

namespace osgEarth {

// A configuration tree: a key, the text of the element, its attributes and its child
// elements. Keys are lower case (the reader folds element and attribute names), so a
// hand-edited "<Pipeline><Conn Str=...>" reads like the documented lower-case form.
class GEO_EXPORT Config {
public:
    Config() = default;
    explicit Config(std::string key, std::string value = std::string());

    const std::string& key() const { return _key; }
    // The element's own text.
    const std::string& value() const { return _value; }
    void setValue(std::string value) { _value = std::move(value); }

    // True for the empty configuration that stands in for a missing child.
    bool empty() const { return _key.empty() && _value.empty() && _children.empty() && _attributes.empty(); }

    bool hasChild(const std::string& key) const;
    // The first child of that key, or an empty Config when there is none, so that
    // lookups can be chained without checks: child("pipeline").child("conn").
    Config child(const std::string& key) const;
    const std::vector<Config>& children() const { return _children; }
    void add(Config child) { _children.push_back(std::move(child)); }
    // Replaces the first child of that key (or adds one) with a leaf holding value.
    void set(const std::string& key, std::string value);

    // The text of the child element of that key; when that is empty, the attribute of
    // that name; else the empty string.
    std::string value(const std::string& key) const;

    const std::map<std::string, std::string>& attributes() const { return _attributes; }
    std::string attr(const std::string& name) const;
    void setAttr(const std::string& name, std::string value);

private:
    std::string _key;
    std::string _value;
    std::map<std::string, std::string> _attributes;
    std::vector<Config> _children;
};

} // namespace osgEarth
