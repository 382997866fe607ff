#include "tools/CXHighLightUtil.h"

#include "Selmor/CXViewer.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/NodeVisitor>

#include <mutex>

namespace {

// Gives every coloured geometry under a node one colour, bound overall. Geometries
// without colours keep their look.
class setColor : public osg::NodeVisitor {
public:
    explicit setColor(const osg::Vec4d& colour) : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), colour(colour) {}

    void apply(osg::Geode& shared) override {
        osg::Geode& geode = ownCopy(shared);
        for (unsigned i = 0; i < geode.getNumDrawables(); ++i) {
            osg::Geometry* geometry = geode.getDrawable(i)->asGeometry();
            if (!geometry || !geometry->getColorArray())
                continue;
            // Fittings of one size share their tessellated parts: the highlighted one paints
            // a copy of its own (over the same vertices), never the others.
            if (geometry->getNumParents() > 1) {
                osg::ref_ptr<osg::Geometry> copy = osg::clone(geometry, osg::CopyOp::SHALLOW_COPY);
                geode.setDrawable(i, copy.get());
                geometry = copy.get();
            }
            osg::ref_ptr<osg::Vec4dArray> colours = new osg::Vec4dArray;
            colours->push_back(colour);
            geometry->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
            geometry->dirtyGLObjects();
        }
    }

private:
    // The geode itself, or in its place under the node being visited a copy of its own
    // when other nodes share it.
    osg::Geode& ownCopy(osg::Geode& geode) {
        const osg::NodePath& path = getNodePath();
        osg::Group* parent = path.size() >= 2 ? path[path.size() - 2]->asGroup() : nullptr;
        if (geode.getNumParents() <= 1 || !parent)
            return geode;
        osg::ref_ptr<osg::Geode> copy = osg::clone(&geode, osg::CopyOp::SHALLOW_COPY);
        parent->replaceChild(&geode, copy.get());
        return *copy;
    }

    osg::Vec4d colour;
};

} // namespace

const osg::Vec4d CXHighLightUtil::HighLightColour(0.0, 1.0, 1.0, 1.0);

CXHighLightUtil* CXHighLightUtil::getInstance() {
    // Held for the life of the process, like every handler the host keeps.
    static osg::ref_ptr<CXHighLightUtil> instance = new CXHighLightUtil;
    static std::once_flag registered;
    if (g_pCXviewer && g_pCXviewer->getViewer())
        std::call_once(registered, [] { g_pCXviewer->getViewer()->addEventHandler(instance.get()); });
    return instance.get();
}

void CXHighLightUtil::highLight(const std::vector<osg::ref_ptr<osg::Node>>& nodes) {
    setColor paint(HighLightColour);
    for (const osg::ref_ptr<osg::Node>& each : nodes)
        each->accept(paint);
}
