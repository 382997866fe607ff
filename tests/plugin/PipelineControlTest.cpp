#include "modeling/CXColorVisitor.h"
#include "plugin/CXPipeLineCtrl.h"
#include "plugin/PipeHandler.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"

#include <osg/Program>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The real control in a real (window-less) viewer; each frame delivers real events
// to the control's handler through the viewer's event traversal.
class PipelineControl : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.reset(new CXViewer);
        control = CXPipeLineCtrl::getInstance();
        control->initialize();
    }
    void TearDown() override {
        for (const auto& layer : std::vector<std::string>(names()))
            control->removeLineLayer(layer);
        control->postMessage("");
        control->postRemoval("");
        viewer.reset();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : control->lineLayers)
            result.push_back(entry.first);
        return result;
    }
    // Posts a line layer along three points and runs it.
    void openKml(const std::string& name) {
        auto* points = new std::vector<osg::Vec3d>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}};
        control->postMessageWithData(points, "OpenKml:" + name + ",0,0.5,1,0,0,1");
        viewer->frame();
    }
    osg::Group* layer(const std::string& name) const {
        auto found = control->lineLayers.find(name);
        return found == control->lineLayers.end() ? nullptr : found->second.get();
    }

    std::unique_ptr<CXViewer> viewer;
    CXPipeLineCtrl* control = nullptr;
};

} // namespace

TEST_F(PipelineControl, RegistersWithTheHostOnceUnderItsName) {
    const auto& controls = g_playerManager->getControls();
    EXPECT_EQ(std::count(controls.begin(), controls.end(), control), 1);
    EXPECT_EQ(control->name, "Quenvale");
}

TEST_F(PipelineControl, InitializePutsTheSharedColourShaderOnThePipeGroupAndAddsItsHandlerOnce) {
    osg::StateSet* state = viewer->getPipeGroup()->getStateSet();
    EXPECT_EQ(state, CXColorVisitor::sharedStateSet());
    EXPECT_NE(state->getAttribute(osg::StateAttribute::PROGRAM), nullptr);
    control->initialize();
    const auto& handlers = viewer->getViewer()->getEventHandlers();
    EXPECT_EQ(std::count(handlers.begin(), handlers.end(), control->getHandler()), 1);
}

TEST_F(PipelineControl, ColourShaderSourcesAreExactlyTheLitVertexColourProgram) {
    auto* program = dynamic_cast<osg::Program*>(
        CXColorVisitor::sharedStateSet()->getAttribute(osg::StateAttribute::PROGRAM));
    ASSERT_NE(program, nullptr);
    ASSERT_EQ(program->getNumShaders(), 2u);
    EXPECT_EQ(program->getShader(0)->getType(), osg::Shader::VERTEX);
    EXPECT_EQ(program->getShader(0)->getShaderSource(),
              "const vec3 LightPosition = vec3(500.0, 500.0, 1000.0);\nconst float SpecularContribution = "
              "0.3;\nconst float DiffuseContribution = 1.0 - SpecularContribution;\nvoid main()\n{\nvec3 "
              "ecPosition = vec3(gl_ModelViewMatrix * gl_Vertex);\nvec3 tnorm = normalize(gl_NormalMatrix * "
              "gl_Normal);\nvec3 lightVec = normalize(LightPosition - ecPosition);\nvec3 reflectVec = "
              "reflect(-lightVec, tnorm);\nvec3 viewVec = normalize(-ecPosition);\nfloat diffuse = "
              "max(dot(lightVec, tnorm), 0.0);\nfloat spec = 0.0;\nif(diffuse > 0.0)\n{\n\tspec = "
              "max(dot(reflectVec, viewVec), 0.0);\n\tspec = pow(spec, 16.0);\n}\nfloat LightIntensity = "
              "DiffuseContribution * diffuse + SpecularContribution * spec;\ngl_FrontColor = gl_Color * "
              "LightIntensity;gl_Position= ftransform();\n}");
    EXPECT_EQ(program->getShader(1)->getType(), osg::Shader::FRAGMENT);
    EXPECT_EQ(program->getShader(1)->getShaderSource(), "void main()\n{\n\tgl_FragColor = gl_Color;\n}");
}

TEST_F(PipelineControl, ColourVisitorReplacesTheStateOfTheOneNodeItVisits) {
    osg::ref_ptr<osg::Group> parent = new osg::Group;
    osg::ref_ptr<osg::Group> child = new osg::Group;
    parent->addChild(child);
    child->getOrCreateStateSet();
    CXColorVisitor visitor;
    parent->accept(visitor);
    EXPECT_EQ(parent->getStateSet(), CXColorVisitor::sharedStateSet());
    EXPECT_NE(child->getStateSet(), CXColorVisitor::sharedStateSet());
}

TEST_F(PipelineControl, PostsWaitForTheNextEventAndTheLaterPostWins) {
    openKml("first");
    ASSERT_NE(layer("first"), nullptr);
    control->postMessage("Visual:nofirst");
    EXPECT_EQ(layer("first")->getNodeMask(), ~0u); // stored, not yet run
    control->postMessage("Visual:yesfirst");
    viewer->frame();
    // Only the later message ran: shown with mask 1, not hidden.
    EXPECT_EQ(layer("first")->getNodeMask(), 1u);
    EXPECT_TRUE(control->getHandler()->pendingCommand().empty());
}

TEST_F(PipelineControl, VisualMessagesTakeTheNameRightAfterTheKeyword) {
    openKml("roads");
    control->postMessage("Visual:noroads");
    viewer->frame();
    EXPECT_EQ(layer("roads")->getNodeMask(), 0u);
    control->postMessage("Visual:yes,roads"); // looks up the empty name
    viewer->frame();
    EXPECT_EQ(layer("roads")->getNodeMask(), 0u);
    control->postMessage("Visual:yesroads,ignored,fields");
    viewer->frame();
    EXPECT_EQ(layer("roads")->getNodeMask(), 1u);
    control->postMessage("Visual:nosomething else");
    viewer->frame();
    EXPECT_EQ(layer("roads")->getNodeMask(), 1u);
}

TEST_F(PipelineControl, RemovalRunsBeforeThePendingCommandAtTheSameEvent) {
    openKml("old");
    // The command re-opens the name the removal frees: it only registers if the
    // removal ran first.
    auto* points = new std::vector<osg::Vec3d>{{0, 0, 0}, {5, 0, 0}};
    control->postMessageWithData(points, "OpenKml:old,0,0.5,0,1,0,1");
    osg::ref_ptr<osg::Group> before = layer("old");
    control->postRemoval("Remove:old");
    viewer->frame();
    ASSERT_NE(layer("old"), nullptr);
    EXPECT_NE(layer("old"), before.get());
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(before.get()));
    EXPECT_TRUE(viewer->getPipeGroup()->containsNode(layer("old")));
}

TEST_F(PipelineControl, RemovalRunsWithoutAnyCommandAndOnlyOnce) {
    openKml("gone");
    osg::ref_ptr<osg::Group> gone = layer("gone");
    control->postRemoval("Remove:gone");
    viewer->frame();
    EXPECT_EQ(layer("gone"), nullptr);
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(gone.get()));
    EXPECT_TRUE(control->getHandler()->pendingRemoval().empty());
    control->postMessage("Remove:not there");
    viewer->frame();
    EXPECT_TRUE(names().empty());
}

TEST_F(PipelineControl, ASecondLayerUnderATakenNameIsAttachedButTheNameKeepsTheFirst) {
    openKml("twice");
    osg::Group* first = layer("twice");
    size_t children = viewer->getPipeGroup()->getNumChildren();
    openKml("twice");
    EXPECT_EQ(layer("twice"), first);
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), children + 1);
}

TEST_F(PipelineControl, PostedPointListIsReleasedWithItsCommandWhateverTheCommand) {
    openKml("k");
    EXPECT_FALSE(control->getHandler()->hasPendingPoints());
    // A list posted with another command does not linger for a later "OpenKml:".
    control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {1, 1, 1}}, "Visual:nok");
    viewer->frame();
    EXPECT_FALSE(control->getHandler()->hasPendingPoints());
    control->postMessage("OpenKml:late,0,0.5,1,0,0,1");
    viewer->frame();
    EXPECT_EQ(layer("late"), nullptr);
}

TEST_F(PipelineControl, MalformedMessagesChangeNothing) {
    openKml("keep");
    size_t children = viewer->getPipeGroup()->getNumChildren();
    for (const char* message : {"OpenLine:", "OpenLine:a.shp,1,0,0", "OpenKml:x,0,0.5,1", "Visual:no", "Remove:",
                                "visual:nokeep", "Something else", "OpenKml:", ""}) {
        control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {1, 0, 0}}, message);
        control->postRemoval("Remove");
        viewer->frame();
    }
    EXPECT_EQ(names(), std::vector<std::string>{"keep"});
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), children);
    EXPECT_EQ(layer("keep")->getNodeMask(), ~0u);
}

TEST_F(PipelineControl, AMessagePostedBeforeInitializeIsKept) {
    // The handler exists from the first post on, so nothing posted early is lost.
    control->postMessage("Visual:nonothing");
    EXPECT_EQ(control->getHandler()->pendingCommand(), "Visual:nonothing");
}

TEST(PipeCreators, FirstPipeCreatorUnderAKeyWinsAndPointCreatorsAccumulate) {
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    PipeCreatorFunc first = [](osg::ref_ptr<DBPipe>&) {};
    PipeCreatorFunc second = [](osg::ref_ptr<DBPipe>&) { static int calls = 0; ++calls; };
    PointCreatorFunc point = [](osg::ref_ptr<DBPoint>&) {};
    control->registerPipeCreator("test-kind", first);
    control->registerPipeCreator("test-kind", second);
    control->registerPointCreator("test-kind", point);
    control->registerPointCreator("test-kind", point);
    EXPECT_EQ(control->pipeCreators["test-kind"], first);
    EXPECT_EQ(control->pointCreators.count("test-kind"), 2u);
    control->pipeCreators.erase("test-kind");
    control->pointCreators.erase("test-kind");
}
