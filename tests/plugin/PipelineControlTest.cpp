#include "modeling/CXColorVisitor.h"
#include "plugin/CXPipeLineCtrl.h"
#include "plugin/PipeHandler.h"

#include "Selmor/CXViewer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

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
        for (const std::string& name : names())
            control->removeLineLayer(name);
        control->postMessage("");
        control->postRemoval("");
        control->pendingLayers.clear(); // files opened are read on worker threads
        control->retiring.clear();
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
        control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}},
                                     "OpenKml:" + name + ",0,0.5,1,0,0,1");
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

TEST_F(PipelineControl, InitializeShadesOnlyThePipeGroupItselfAndAddsItsHandlerOnce) {
    osg::StateSet* state = viewer->getPipeGroup()->getStateSet();
    EXPECT_EQ(state, CXColorVisitor::sharedStateSet());
    EXPECT_NE(state->getAttribute(osg::StateAttribute::PROGRAM), nullptr);
    osg::ref_ptr<osg::Group> child = new osg::Group;
    osg::ref_ptr<osg::StateSet> own = child->getOrCreateStateSet();
    viewer->getPipeGroup()->addChild(child);
    control->initialize();
    EXPECT_EQ(child->getStateSet(), own.get());
    const auto& handlers = viewer->getViewer()->getEventHandlers();
    EXPECT_EQ(std::count(handlers.begin(), handlers.end(), control->getHandler()), 1);
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
    const std::pair<const char*, unsigned> steps[] = {{"Visual:noroads", 0u},
                                                      {"Visual:yes,roads", 0u}, // looks up the empty name
                                                      {"Visual:yesroads,ignored,fields", 1u},
                                                      {"Visual:nosomething else", 1u}};
    for (const auto& [message, mask] : steps) {
        control->postMessage(message);
        viewer->frame();
        EXPECT_EQ(layer("roads")->getNodeMask(), mask) << message;
    }
}

TEST_F(PipelineControl, RemovalRunsBeforeThePendingCommandAtTheSameEvent) {
    openKml("old");
    // The command re-opens the name the removal frees: it only registers if the
    // removal ran first.
    control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {5, 0, 0}},
                                 "OpenKml:old,0,0.5,0,1,0,1");
    osg::ref_ptr<osg::Group> before = layer("old");
    control->postRemoval("Remove:old");
    viewer->frame();
    ASSERT_NE(layer("old"), nullptr);
    EXPECT_NE(layer("old"), before.get());
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(before.get()));
    EXPECT_TRUE(viewer->getPipeGroup()->containsNode(layer("old")));
}

TEST_F(PipelineControl, ARemovalRunsOnItsOwnOnceAndARemoveCommandDoesTheSame) {
    openKml("gone");
    openKml("also");
    osg::ref_ptr<osg::Group> gone = layer("gone"), also = layer("also");
    control->postRemoval("Remove:gone");
    viewer->frame();
    EXPECT_EQ(names(), std::vector<std::string>{"also"});
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(gone.get()));
    EXPECT_TRUE(control->getHandler()->pendingRemoval().empty());
    control->postMessage("Remove:also");
    viewer->frame();
    EXPECT_TRUE(names().empty());
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(also.get()));
}

TEST_F(PipelineControl, ASecondLayerUnderATakenNameReplacesTheFirst) {
    openKml("twice");
    osg::ref_ptr<osg::Group> first = layer("twice");
    size_t children = viewer->getPipeGroup()->getNumChildren();
    openKml("twice");
    EXPECT_NE(layer("twice"), first.get());
    EXPECT_FALSE(viewer->getPipeGroup()->containsNode(first.get()));
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), children);
}

TEST_F(PipelineControl, MalformedMessagesChangeNothingAndTheirPointListsDoNotLinger) {
    openKml("keep");
    size_t children = viewer->getPipeGroup()->getNumChildren();
    // A FIFO is no vector file: refused before any open, which would wait for a writer.
    const std::string fifo = testing::TempDir() + "pn_line_fifo_" + std::to_string(::getpid()) + ".shp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string openFifo = "OpenLine:" + fifo + ",1,0,0,1,1";
    for (const char* message : {"OpenLine:", "OpenLine:a.shp,1,0,0", "OpenKml:x,0,0.5,1", "Visual:no",
                                "Remove:", "visual:nokeep", "Something else", "OpenKml:", "",
                                "OpenKml:,0,0.5,1,0,0,1", "OpenLine:,1,0,0,1,1", openFifo.c_str()}) {
        control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {1, 0, 0}}, message);
        control->postRemoval("Remove");
        viewer->frame();
    }
    std::remove(fifo.c_str());
    // Each list went with its command: none is left for a later "OpenKml:" without one.
    EXPECT_FALSE(control->getHandler()->hasPendingPoints());
    control->postMessage("OpenKml:late,0,0.5,1,0,0,1");
    viewer->frame();
    EXPECT_EQ(names(), std::vector<std::string>{"keep"});
    EXPECT_EQ(viewer->getPipeGroup()->getNumChildren(), children);
    EXPECT_EQ(layer("keep")->getNodeMask(), ~0u);
}
