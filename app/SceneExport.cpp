#include "SceneExport.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LOD>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>
#include <osg/UserDataContainer>
#include <osgDB/WriteFile>

#include <vector>

namespace {

bool holdsPagedNodes(osg::Node* node) {
    if (dynamic_cast<osg::PagedLOD*>(node))
        return true;
    osg::Group* group = node->asGroup();
    if (!group)
        return false;
    for (unsigned i = 0; i < group->getNumChildren(); ++i)
        if (holdsPagedNodes(group->getChild(i)))
            return true;
    return false;
}

osg::ref_ptr<osg::Node> copyShown(osg::Node* node) {
    if (!holdsPagedNodes(node))
        return node;
    osg::Group* group = node->asGroup();
    osg::ref_ptr<osg::Group> copy;
    if (auto* paged = dynamic_cast<osg::PagedLOD*>(node)) {
        osg::ref_ptr<osg::LOD> lod = new osg::LOD;
        lod->setCenterMode(paged->getCenterMode());
        lod->setCenter(paged->getCenter());
        lod->setRadius(paged->getRadius());
        for (unsigned i = 0; i < paged->getNumChildren(); ++i)
            lod->addChild(copyShown(paged->getChild(i)), paged->getMinRange(i), paged->getMaxRange(i));
        lod->setName(paged->getName());
        lod->setNodeMask(paged->getNodeMask());
        return lod;
    }
    copy = static_cast<osg::Group*>(group->clone(osg::CopyOp::SHALLOW_COPY));
    copy->removeChildren(0, copy->getNumChildren());
    // A shallow clone of an LOD keeps its ranges; re-adding children in order keeps them paired.
    for (unsigned i = 0; i < group->getNumChildren(); ++i) {
        osg::ref_ptr<osg::Node> child = copyShown(group->getChild(i));
        if (auto* lod = dynamic_cast<osg::LOD*>(copy.get()))
            lod->addChild(child, static_cast<osg::LOD*>(group)->getMinRange(i),
                          static_cast<osg::LOD*>(group)->getMaxRange(i));
        else
            copy->addChild(child);
    }
    return copy;
}

// Takes the user data off every node, state set and state attribute of a graph, and gives it
// back when it goes. A container that holds nothing else goes with it.
class UserDataAside : public osg::NodeVisitor {
public:
    UserDataAside() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    ~UserDataAside() override {
        for (Taken& taken : _taken)
            if (taken.container)
                taken.object->setUserDataContainer(taken.container.get());
            else
                taken.object->setUserData(taken.data.get());
    }
    void apply(osg::Node& node) override {
        take(node);
        if (osg::StateSet* state = node.getStateSet()) {
            take(*state);
            for (auto& attribute : state->getAttributeList())
                take(*attribute.second.first);
            for (auto& unit : state->getTextureAttributeList())
                for (auto& attribute : unit)
                    take(*attribute.second.first);
        }
        traverse(node);
    }

private:
    struct Taken {
        osg::ref_ptr<osg::Object> object;
        osg::ref_ptr<osg::UserDataContainer> container;
        osg::ref_ptr<osg::Referenced> data;
    };
    void take(osg::Object& object) {
        osg::UserDataContainer* container = object.getUserDataContainer();
        osg::Referenced* data = container ? container->getUserData() : nullptr;
        if (!data)
            return;
        if (container->getNumUserObjects() == 0 && container->getNumDescriptions() == 0) {
            _taken.push_back({&object, container, nullptr});
            object.setUserDataContainer(nullptr);
        } else {
            _taken.push_back({&object, nullptr, data});
            object.setUserData(nullptr);
        }
    }
    std::vector<Taken> _taken;
};

class Counter : public osg::NodeVisitor {
public:
    Counter() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::LOD& lod) override {
        if (lod.getUserData()) {
            if (lod.getName().empty())
                ++counts.points;
            else
                ++counts.segmentsPerLayer[lod.getName()];
        }
        traverse(lod);
    }
    void apply(osg::PagedLOD& paged) override {
        // The tile is the paged child; with the overview, child 0 is the tile's drawing.
        for (unsigned i = 0; i < paged.getNumChildren() && i < paged.getNumFileNames(); ++i)
            if (paged.getFileName(i).find(".3_") != std::string::npos)
                ++counts.tiles;
        traverse(paged);
    }
    SceneCounts counts;
};

// Chooses the children of level-of-detail nodes as the cull does, from a given eye.
class ShownCounter : public osg::NodeVisitor {
public:
    ShownCounter(const osg::Vec3d& eye, float lodScale)
        : osg::NodeVisitor(TRAVERSE_ACTIVE_CHILDREN), eye(eye), lodScale(lodScale) {}
    osg::Vec3 getEyePoint() const override { return osg::Vec3(eye); }
    float getDistanceToViewPoint(const osg::Vec3& position, bool useLodScale) const override {
        float distance = static_cast<float>((osg::Vec3d(position) - eye).length());
        return useLodScale ? distance * lodScale : distance;
    }
    void apply(osg::LOD& lod) override {
        // A segment's node: a tube within its range.
        if (lod.getUserData() && !lod.getName().empty() && lod.getNumChildren() > 0) {
            float distance = getDistanceToViewPoint(lod.getCenter(), true);
            counts.tubes += distance >= lod.getMinRange(0) && distance < lod.getMaxRange(0);
        }
        traverse(lod);
    }
    void apply(osg::Geode& geode) override {
        if (geode.getName() != "overview")
            return;
        for (unsigned i = 0; i < geode.getNumDrawables(); ++i)
            if (osg::Geometry* geometry = geode.getDrawable(i)->asGeometry();
                geometry && validNodeMask(*geometry))
                for (unsigned p = 0; p < geometry->getNumPrimitiveSets(); ++p) {
                    const osg::PrimitiveSet* set = geometry->getPrimitiveSet(p);
                    if (set->getMode() == GL_LINES)
                        counts.lines += set->getNumIndices() / 2;
                    else if (set->getMode() == GL_POINTS)
                        counts.dots += set->getNumIndices();
                }
    }
    ShownCounts counts;

private:
    osg::Vec3d eye;
    float lodScale;
};

} // namespace

osg::ref_ptr<osg::Node> sceneAsShown(osg::Node* root) {
    return root ? copyShown(root) : nullptr;
}

bool writeScene(osg::Node& scene, const std::string& file) {
    UserDataAside aside;
    scene.accept(aside);
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options("precision 15");
    return osgDB::writeNodeFile(scene, file, options.get());
}

SceneCounts countScene(osg::Node* root) {
    Counter counter;
    if (root)
        root->accept(counter);
    return counter.counts;
}

ShownCounts countShown(osg::Node* root, const osg::Vec3d& eye, float lodScale) {
    ShownCounter counter(eye, lodScale);
    if (root)
        root->accept(counter);
    return counter.counts;
}
