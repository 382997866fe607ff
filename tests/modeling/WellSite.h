#pragma once

#include "../network/NetworkDatabase.h"

#include "network/CPPoint.h"

#include <osg/BoundingBox>
#include <osgDB/Callbacks>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class DBPoint;
namespace osg {
class MatrixTransform;
class Node;
} // namespace osg

// Every texture and model file osgDB was asked for, in order, and whether it was read.
class ReadLog : public osgDB::ReadFileCallback {
public:
    osgDB::ReaderWriter::ReadResult readImage(const std::string& file,
                                              const osgDB::Options* options) override;
    osgDB::ReaderWriter::ReadResult readNode(const std::string& file, const osgDB::Options* options) override;

    void clear();
    // Requests for files whose path ends with `suffix`, and how many of them succeeded.
    int requests(const std::string& suffix) const { return count(suffix, false); }
    int successes(const std::string& suffix) const { return count(suffix, true); }
    std::vector<std::string> failures() const;
    int total() const;

private:
    void note(const std::string& file, bool read);
    int count(const std::string& suffix, bool readOnly) const;

    struct Entry {
        std::string file;
        bool read;
    };
    mutable std::mutex mutex;
    std::vector<Entry> entries;
};

// A network database of wells and equipment in the host's layout: the working folder is
// a bin/ folder, with the build tree's model folder beside it (the program's ..\model
// paths find every texture and model) or, in the bare layout, with nothing beside it
// (every texture and model is missing). Made once per process, since a kind's points
// are read once per process; every test enters one of the two layouts and leaves it.
class WellSite {
public:
    static WellSite& instance();

    void enter();
    void enterBare();
    void leave();

    // The record of the category with that GID; fails the test when there is none.
    CPPoint record(DBPoint& category, const std::string& gid);

    ReadLog& reads() { return *log; }

private:
    WellSite();

    std::string original;
    NetworkDatabase db;
    std::string siteBin, bareBin;
    osg::ref_ptr<ReadLog> log;
};

// The parts of one point node: the LOD, the transform under it, the shared model.
osg::MatrixTransform* placedTransform(osg::Node* pointNode);
// Where one part of a well (0 the body, 1 the lid) lies in the world.
osg::BoundingBoxd wellPartBox(osg::Node* wellNode, unsigned part);

// Runs `build` 500 times on each of 8 threads started together, as pager threads build
// tiles at once; every node is kept, as the tiles keep theirs until they are released.
std::vector<osg::ref_ptr<osg::Node>> buildOnThreads(const std::function<osg::Node*()>& build);
