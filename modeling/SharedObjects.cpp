#include "modeling/SharedObjects.h"

#include <osg/Drawable>
#include <osg/Geode>
#include <osg/NodeVisitor>
#include <osg/StateSet>
#include <osg/ValueObject>

namespace {

osg::Object* sharedMark() {
    // Made once, by whichever thread comes first.
    static osg::ref_ptr<osg::Object> mark = [] {
        osg::ref_ptr<osg::Object> object = new osg::DummyObject;
        object->setName("shared between tiles");
        return object;
    }();
    return mark.get();
}

class GuardVisitor : public osg::NodeVisitor {
public:
    GuardVisitor() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Node& node) override {
        if (osg::StateSet* state = node.getStateSet())
            SharedObjects::guardState(*state);
        traverse(node);
    }
    void apply(osg::Drawable& drawable) override {
        SharedObjects::guard(drawable);
        if (osg::StateSet* state = drawable.getStateSet())
            SharedObjects::guardState(*state);
    }
};

} // namespace

namespace SharedObjects {

void guard(osg::Object& object) {
    if (!object.getUserData())
        object.setUserData(sharedMark());
}

void guardState(osg::StateSet& state) {
    guard(state);
    for (auto& attribute : state.getAttributeList())
        guard(*attribute.second.first);
    for (auto& unit : state.getTextureAttributeList())
        for (auto& attribute : unit)
            guard(*attribute.second.first);
}

void guardModel(osg::Node& model) {
    GuardVisitor visitor;
    model.accept(visitor);
}

} // namespace SharedObjects
