#pragma once

#include "layers/DBPointCreator.h"
#include "modeling/FittingBuilder.h"

#include <osg/Group>
#include <osg/MatrixTransform>
#include <osg/Node>

#include <list>

// A tee, cross or elbow category of a kind: no model of its own, each fitting is
// assembled from the pipes of its layer that start or end at its survey point.
template <class KindPoint, class Self>
class DBFittingCategory : public KindPoint, public DBPointCreator<Self> {
public:
    DBFittingCategory(const char* name, const FittingLook& look) : KindPoint(name, false), look(look) {}

    osg::Node* createNode(const CPPoint& record) override {
        osg::Vec3d origin = this->position(record);
        std::list<FittingArm> arms = this->startArms(record);
        arms.splice(arms.end(), this->endArms(record));
        return builder().createNode(origin, record.gid, arms);
    }

    osg::Group* buildFittingGeometry(const std::list<FittingArm>& arms) {
        return builder().buildFittingGeometry(arms);
    }
    osg::MatrixTransform* buildArmStub(const osg::Vec3d& from, const osg::Vec3d& to, double radius) {
        return builder().buildArmStub(from, to, radius);
    }
    osg::MatrixTransform* buildArmCollar(const osg::Vec3d& from, const osg::Vec3d& to, double radius) {
        return builder().buildArmCollar(from, to, radius);
    }

protected:
    ~DBFittingCategory() override = default;

private:
    // The colour is the layer's, written into the category before each build.
    FittingBuilder builder() { return FittingBuilder(look, osg::Vec4(this->getColor())); }

    FittingLook look;
};
