#include "Selmor/ViewSetup.h"

#include "Selmor/MyNewUpdateSlaveCallback.h"

#include <osg/ColorMask>
#include <osg/Depth>
#include <osg/FrameBufferObject>
#include <osg/GraphicsContext>
#include <osg/Stencil>
#include <osgUtil/CullVisitor>
#include <osgViewer/GraphicsWindow>
#include <osgViewer/View>

namespace {

// The ground's state while it is cut: drawn only where no hole mask marked the stencil.
class GroundCut : public osg::NodeCallback {
public:
    explicit GroundCut(MyNewUpdateSlaveCallback* scene) : _scene(scene), _state(new osg::StateSet) {
        osg::ref_ptr<osg::Stencil> stencil = new osg::Stencil;
        stencil->setFunction(osg::Stencil::NOTEQUAL, 1, ~0u);
        stencil->setOperation(osg::Stencil::KEEP, osg::Stencil::KEEP, osg::Stencil::KEEP);
        _state->setAttributeAndModes(stencil);
    }
    void operator()(osg::Node* node, osg::NodeVisitor* nv) override {
        osgUtil::CullVisitor* cv = nv ? nv->asCullVisitor() : nullptr;
        bool cut = cv && _scene->cutsGround();
        if (cut)
            cv->pushStateSet(_state.get());
        traverse(node, nv);
        if (cut)
            cv->popStateSet();
    }

private:
    osg::ref_ptr<MyNewUpdateSlaveCallback> _scene;
    osg::ref_ptr<osg::StateSet> _state;
};

void addPass(osgViewer::View& view, MyNewUpdateSlaveCallback::Pass kind) {
    osg::ref_ptr<osg::Camera> camera = new osg::Camera;
    camera->setName(kind == MyNewUpdateSlaveCallback::Clear ? "clear pass"
                    : kind == MyNewUpdateSlaveCallback::Cut ? "cut pass"
                                                            : "scene pass");
    // The passes share one window and draw in slave order.
    camera->setRenderOrder(osg::Camera::POST_RENDER, static_cast<int>(kind));
    camera->setAllowEventFocus(kind == MyNewUpdateSlaveCallback::Scene);
    camera->setClearMask(kind == MyNewUpdateSlaveCallback::Clear
                             ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT
                             : 0);
    camera->setClearStencil(0);
    // The state set must be there before the slave is added: its renderer takes it then.
    osg::StateSet* state = camera->getOrCreateStateSet();
    // Each pass clears (or not) and draws what it draws; the rest, the clear colour
    // included, follows the master.
    unsigned inherited =
        osg::CullSettings::ALL_VARIABLES & ~(osg::CullSettings::CULL_MASK | osg::CullSettings::CLEAR_MASK |
                                             osg::CullSettings::DRAW_BUFFER | osg::CullSettings::READ_BUFFER);
    switch (kind) {
    case MyNewUpdateSlaveCallback::Clear:
        camera->setCullMask(0);
        break;
    case MyNewUpdateSlaveCallback::Cut:
        // Only the stencil is written: whatever else a tool hangs beside its masks leaves
        // neither colour nor depth, and the masks' own depth is the far plane anyway.
        camera->setCullMask(ViewSetup::HoleMaskBit);
        state->setAttributeAndModes(new osg::ColorMask(false, false, false, false),
                                    osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
        state->setAttributeAndModes(new osg::Depth(osg::Depth::ALWAYS, 0.0, 1.0, false),
                                    osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
        camera->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
        inherited &= ~osg::CullSettings::COMPUTE_NEAR_FAR_MODE;
        break;
    case MyNewUpdateSlaveCallback::Scene:
        camera->setCullMask(~ViewSetup::HoleMaskBit);
        break;
    }
    camera->setInheritanceMask(inherited);
    view.addSlave(camera.get(), osg::Matrixd(), osg::Matrixd(), true);
    view.getSlave(view.getNumSlaves() - 1)._updateSlaveCallback = new MyNewUpdateSlaveCallback(kind);
}

// The toolkit composes a widget's framebuffer by its alpha, which the translucent ground
// leaves below one: once the scene is drawn, every pixel is made opaque.
class OpaqueAlpha : public osg::Camera::DrawCallback {
public:
    void operator()(osg::RenderInfo&) const override {
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
};

// The view's passes draw into `context`, all over a `width` x `height` area.
void use(osgViewer::View& view, osg::GraphicsContext* context, int width, int height, GLenum buffer) {
    for (unsigned i = 0; i < view.getNumSlaves(); ++i) {
        osg::Camera* camera = view.getSlave(i)._camera.get();
        camera->setGraphicsContext(context);
        camera->setViewport(0, 0, width, height);
        camera->setDrawBuffer(buffer);
        camera->setReadBuffer(buffer);
    }
    // The master only leads: it has the view and projection, the slaves draw.
    osg::Camera* master = view.getCamera();
    master->setGraphicsContext(nullptr);
    master->setViewport(nullptr);
    master->setProjectionMatrixAsPerspective(45.0, double(width) / double(height), 1.0, 100000.0);
}

bool attach(osgViewer::View* view, int x, int y, int width, int height, bool pbuffer) {
    if (!view)
        return false;
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->x = x;
    traits->y = y;
    traits->width = width;
    traits->height = height;
    traits->windowDecoration = !pbuffer;
    traits->doubleBuffer = !pbuffer;
    traits->pbuffer = pbuffer;
    traits->depth = 24;
    traits->stencil = 8; // the dig tools cut the ground with a stencil mask
    traits->alpha = pbuffer ? 0 : 8;
    traits->sharedContext = nullptr;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();

    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!context || !context->valid())
        return false;
    use(*view, context.get(), width, height, traits->doubleBuffer ? GL_BACK : GL_FRONT);
    return true;
}

} // namespace

namespace ViewSetup {

void passes(osgViewer::View* view, osg::Group* ground) {
    if (!view || view->getNumSlaves() > 0)
        return;
    for (auto kind :
         {MyNewUpdateSlaveCallback::Clear, MyNewUpdateSlaveCallback::Cut, MyNewUpdateSlaveCallback::Scene})
        addPass(*view, kind);
    auto* scene = static_cast<MyNewUpdateSlaveCallback*>(view->getSlave(2)._updateSlaveCallback.get());
    if (ground)
        ground->setCullCallback(new GroundCut(scene));
}

osg::Camera* pass(osgViewer::View* view, unsigned index) {
    return view && index < view->getNumSlaves() ? view->getSlave(index)._camera.get() : nullptr;
}

bool window(osgViewer::View* view, int x, int y, int width, int height) {
    return attach(view, x, y, width, height, false);
}

bool offscreen(osgViewer::View* view, int width, int height) {
    return attach(view, 0, 0, width, height, true);
}

osgViewer::GraphicsWindow* embedded(osgViewer::View* view, int width, int height) {
    if (!view)
        return nullptr;
    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> window =
        new osgViewer::GraphicsWindowEmbedded(0, 0, width, height);
    // The toolkit's framebuffer is a framebuffer object: its first colour attachment is
    // drawn and read (a window's front or back buffer is no buffer of it).
    use(*view, window.get(), width, height, GL_COLOR_ATTACHMENT0_EXT);
    if (osg::Camera* scene = pass(view, 2))
        scene->setPostDrawCallback(new OpaqueAlpha);
    window->getEventQueue()->syncWindowRectangleWithGraphicsContext();
    return window.get();
}

void resize(osgViewer::View* view, int width, int height) {
    if (!view || view->getNumSlaves() == 0 || width <= 0 || height <= 0)
        return;
    osg::GraphicsContext* context = view->getSlave(0)._camera->getGraphicsContext();
    if (auto* window = dynamic_cast<osgViewer::GraphicsWindow*>(context)) {
        window->resized(0, 0, width, height);
        window->getEventQueue()->windowResize(0, 0, width, height);
    }
    // The context's own resizing scales the slaves' projections against the master's for
    // the change of aspect; here the master's projection changes instead, which the slaves
    // follow unchanged (as they were added).
    for (unsigned i = 0; i < view->getNumSlaves(); ++i) {
        view->getSlave(i)._camera->setViewport(0, 0, width, height);
        view->getSlave(i)._projectionOffset.makeIdentity();
    }
    double fovy, aspect, zNear, zFar;
    osg::Camera* master = view->getCamera();
    if (master->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar))
        master->setProjectionMatrixAsPerspective(fovy, double(width) / double(height), zNear, zFar);
}

} // namespace ViewSetup
