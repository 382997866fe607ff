#include "Torvik/CXCommandHandler.h"
#include "Torvik/CXCommandRegistry.h"
#include "Torvik/DynamicClass.h"

#include <osgGA/EventQueue>
#include <osgViewer/View>

#include <gtest/gtest.h>

namespace {

// Writes what the host does to it into a shared log.
class RecordingTool : public CXCommandHandler {
public:
    RecordingTool(std::string tag, std::vector<std::string>& log) : _tag(std::move(tag)), _log(log) {}
    bool handle(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) override {
        _log.push_back(_tag + ":event");
        return false;
    }
    void OnMessage(std::string message) override { _log.push_back(_tag + ":message " + message); }
    void InitInstance() override { _log.push_back(_tag + ":init"); }
    void ExitInstance() override { _log.push_back(_tag + ":exit"); }

private:
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
    ASSERT_EQ(registry.size(), before + 2);
    EXPECT_EQ(registry.names().back(), "横断面");

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

TEST(CommandRegistry, TruncatingForgetsLaterCommandsAndExitsTheActiveOneAmongThem) {
    auto& registry = CXCommandRegistry::instance();
    size_t before = registry.size();
    std::vector<std::string> log;
    DynamicClass a("a", new RecordingTool("a", log));
    DynamicClass b("b", new RecordingTool("b", log));
    registry.activate("b");
    registry.truncate(before);
    EXPECT_EQ(registry.size(), before);
    EXPECT_EQ(registry.find("a"), nullptr);
    EXPECT_EQ(registry.active(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"b:init", "b:exit"}));
}

TEST(CommandRegistry, CommandNamesAreGbkBytes) {
    // The host and the plug-in compare Chinese command names byte for byte in GBK.
    const std::string name = "检修井";
    EXPECT_EQ(name, std::string("\xBC\xEC\xD0\xDE\xBE\xAE"));
}
