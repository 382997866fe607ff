#include "Torvik/CXCommandHandler.h"
#include "Torvik/CXCommandRegistry.h"
#include "Torvik/DynamicClass.h"

#include <osgGA/EventQueue>
#include <osgViewer/View>

#include <gtest/gtest.h>

namespace {

// Writes what the host does to it into a shared log.
struct RecordingTool : CXCommandHandler {
    RecordingTool(std::string tag, std::vector<std::string>& log) : _tag(std::move(tag)), _log(log) {}
    bool handle(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) override {
        _log.push_back(_tag + ":event");
        return false;
    }
    void OnMessage(std::string message) override { _log.push_back(_tag + ":message " + message); }
    void InitInstance() override { _log.push_back(_tag + ":init"); }
    void ExitInstance() override { _log.push_back(_tag + ":exit"); }
    std::string _tag;
    std::vector<std::string>& _log;
};

} // namespace

TEST(CommandRegistry, ActivatingAnotherCommandExitsTheActiveOneFirst) {
    auto& registry = CXCommandRegistry::instance();
    size_t before = registry.size();
    std::vector<std::string> log;
    DynamicClass dig("测试开挖", new RecordingTool("dig", log));
    DynamicClass section("横断面", new RecordingTool("section", log));

    EXPECT_TRUE(registry.activate("测试开挖"));
    EXPECT_TRUE(registry.activate("横断面"));
    EXPECT_FALSE(registry.activate("no such tool"));
    EXPECT_EQ(registry.activeName(), "横断面");

    osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
    osg::ref_ptr<osgGA::GUIEventAdapter> event = view->getEventQueue()->createEvent();
    EXPECT_FALSE(registry.handleEvent(*event, *view));
    EXPECT_TRUE(registry.message("测试开挖", "Opacity:50"));
    EXPECT_FALSE(registry.message("unknown", "x"));
    registry.deactivate();
    registry.deactivate();
    EXPECT_EQ(registry.active(), nullptr);

    EXPECT_EQ(log, (std::vector<std::string>{"dig:init", "dig:exit", "section:init", "section:event",
                                             "dig:message Opacity:50", "section:exit"}));
    registry.truncate(before);
}

TEST(CommandRegistry, NamesMatchAsTheGbkBytesRegisteredAndTruncationForgetsLaterOnesExitingTheActive) {
    auto& registry = CXCommandRegistry::instance();
    size_t before = registry.size();
    std::vector<std::string> log;
    DynamicClass well("\xBC\xEC\xD0\xDE\xBE\xAE", new RecordingTool("well", log)); // 检修井 in GBK
    DynamicClass later("later", new RecordingTool("later", log));
    EXPECT_FALSE(registry.activate(u8"检修井")); // the same word in UTF-8 is another name
    EXPECT_TRUE(registry.activate("检修井"));
    registry.truncate(before);
    EXPECT_EQ(registry.find("later"), nullptr);
    EXPECT_EQ(registry.active(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"well:init", "well:exit"}));
}
