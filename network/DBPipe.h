#pragma once

#include "network/CPPipeLine.h"
#include "network/LoadGate.h"

#include <osg/Matrixd>
#include <osg/Referenced>
#include <osg/Vec3d>
#include <osg/Vec4ub>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <list>
#include <string>

namespace osg {
class Geode;
class Group;
class Node;
} // namespace osg
namespace osgEarth {
class GeoExtent;
}
namespace osgModeling {
class Curve;
}
class DBPoint;
class PipeVisitor;

// The pipe layer of one utility kind: the kind's segments, read from its line table
// joined to its point table, its point categories, and the scene built from them.
class DBPipe : public osg::Referenced {
public:
    DBPipe(std::string kindCode, std::string layerName, osg::Vec4ub colour);

    virtual osg::Vec4ub getLayerColor();
    virtual std::string getLayerName();
    virtual osg::Group* buildAll();
    virtual osg::Group* getPipesGroup();
    virtual void accept(PipeVisitor& visitor);
    // Appends the kind's segments to `out`; false when nothing could be read. A layer
    // that is no particular kind reads nothing.
    virtual bool loadSegments(std::list<CPPipeLine>& out);
    // The kind's segments, loaded on first use. While no load has found any, an empty
    // list, and the next call loads again.
    virtual std::list<CPPipeLine>& segments();
    virtual osg::Node* createSegmentNode(const CPPipeLine& segment);
    virtual osg::Group* buildExtent(osgEarth::GeoExtent extent);
    virtual osg::Geode* loftSection(osg::Vec3d start, osg::Vec3d end, osgModeling::Curve* shape);
    virtual osg::Node* createSegmentGeometry(const CPPipeLine& segment, osg::Matrixd& placement);
    virtual std::list<osg::observer_ptr<osg::Node>>& getExtentPipeGroups();
    virtual void addPoint(osg::ref_ptr<DBPoint> category);
    // The first category of that exact name, or null.
    virtual DBPoint* findPointCategory(std::string name);
    virtual void setPipesVisible(bool visible);
    virtual void setLidsVisible(bool visible);
    virtual void setChambersVisible(bool visible);
    // Height of a segment's ends: the terrain height there minus the burial depth;
    // the surveyed ground elevations are not used.
    virtual double startHeight(const CPPipeLine& segment);
    virtual double endHeight(const CPPipeLine& segment);

    std::string getKindCode();
    const std::list<osg::ref_ptr<DBPoint>>& getPointCategories() const { return pointCategories; }

protected:
    ~DBPipe() override;

    // Runs the kind's line query and appends its rows, each marked with this layer's
    // name and colour.
    bool loadLineQuery(const std::string& lineTable, const std::string& pointTable,
                       std::list<CPPipeLine>& out);

    std::string kindCode;
    std::string layerName;
    osg::Vec4ub colour;
    std::list<CPPipeLine> segmentRecords;
    osg::ref_ptr<osg::Group> rootGroup;
    osg::ref_ptr<osg::Group> pipesGroup;
    osg::ref_ptr<osg::Group> pointsGroup;
    osg::ref_ptr<osg::Group> plainPointsGroup;
    osg::ref_ptr<osg::Group> ownLookPointsGroup;
    std::list<osg::ref_ptr<DBPoint>> pointCategories;
    std::list<osg::observer_ptr<osg::Node>> extentPipeGroups;
    std::list<osg::observer_ptr<osg::Node>> extentRoots;

private:
    LoadGate segmentsGate;
};
