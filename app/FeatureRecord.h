#pragma once

#include <osg/Node>
#include <osg/Vec3d>

#include <string>
#include <utility>
#include <vector>

// A pipe segment or a surveyed point of the network, as a person picks it in the view or
// finds it by number: enough to read its row again and to highlight it. Text is GBK.
struct Feature {
    enum class Type { None, Pipe, Point };
    Type type = Type::None;
    // Index into UtilityKinds; -1 while not known (a picked point carries no kind).
    int kind = -1;
    // The row's table ("TQMB_JSLine", "TQMB_JSPoint"); empty while the kind is not known.
    std::string table;
    std::string gid;
    // A point's survey point number; a pipe's start and end numbers.
    std::vector<std::string> surveyNumbers;
    // The scene node name the highlight tool finds it by ("HighLight:" names).
    std::string highlightName;
};

// Column names and values of one row, in the table's order, as the database has them.
using Columns = std::vector<std::pair<std::string, std::string>>;

// One match of a search: the feature, what it is ("三通", "管段 JS1-JS2"), the names the
// highlight tool finds it by, and where the camera should fly to (map x, y; z at its depth
// below the terrain).
struct Found {
    Feature feature;
    std::string what;
    std::vector<std::string> highlightNames;
    bool hasPosition = false;
    osg::Vec3d position;
};

// The network's rows behind picked nodes and typed numbers. Reading goes to the database
// that pipe.xml in the working directory names, on the calling thread's own connection.
namespace FeatureRecord {

// The feature a picked node path shows: the record the plug-in attached as user data to
// the node nearest the leaf that carries one. False when no node of the path does.
bool fromNodePath(const osg::NodePath& path, Feature& feature);

// Fills in the kind and table of a feature that lacks them (a picked point) by finding its
// row among the point tables of every kind. False with the reason when no table has it.
bool locate(Feature& feature, std::string& error);

// Every column of the feature's row. False with the reason (GBK) when the database or the
// row cannot be read.
bool readRow(const Feature& feature, Columns& columns, std::string& error);

// The points whose survey number or GID, and the pipes whose GID, equals `text` (GBK;
// leading and trailing blanks ignored), in every kind. False with the reason when there is
// nothing to look for or the database cannot be read; true with no matches when none match.
bool find(const std::string& text, std::vector<Found>& found, std::string& error);

} // namespace FeatureRecord
