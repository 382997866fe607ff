// The built plug-in module, loaded as the host loads it.
#include "Selmor/CXViewer.h"
#include "Torvik/CXControl.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/CXPluginLoader.h"

#include <osgDB/Registry>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
const std::string PluginPath = std::string(PN_BIN_DIR) + "/libpipenetwork.so";

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}
} // namespace

// First in this program, so the control has never been initialised before.
TEST(PluginLoad, AMessagePostedBeforeTheHostInitialisesTheControlRunsAtTheFirstFrameAfter) {
    CXPluginLoader plugin;
    ASSERT_TRUE(plugin.load(PluginPath)) << plugin.error();
    CXControl* control = nullptr;
    for (CXControl* registered : g_playerManager->getControls())
        if (registered->name == "Quenvale")
            control = registered;
    ASSERT_NE(control, nullptr);
    control->postMessageWithData(new std::vector<osg::Vec3d>{{0, 0, 0}, {10, 0, 0}},
                                 "OpenKml:early,0,0.5,1,0,0,1");

    CXViewer viewer;
    control->initialize();
    viewer.frame();
    EXPECT_EQ(viewer.getPipeGroup()->getNumChildren(), 1u);
}

TEST(PluginLoad, LoadingRegistersExactlyOneControlNamedQuenvaleAndUnloadingTakesItBack) {
    size_t before = g_playerManager->getControls().size();
    {
        CXPluginLoader plugin;
        ASSERT_TRUE(plugin.load(PluginPath)) << plugin.error();
        ASSERT_EQ(plugin.controls().size(), 1u);
        EXPECT_EQ(plugin.controls()[0]->name, "Quenvale");
        EXPECT_EQ(g_playerManager->getControls().size(), before + 1);
        plugin.unload();
        EXPECT_EQ(g_playerManager->getControls().size(), before);
    }
    CXPluginLoader again;
    ASSERT_TRUE(again.load(PluginPath)) << again.error();
    EXPECT_EQ(again.controls().size(), 1u);
}

TEST(PluginLoad, ReaderWritersAreFoundWhileThePluginIsLoadedAndNotAfter) {
    // Looked up among the reader-writers already registered, so that osgDB does not
    // go looking for a plug-in file of that name.
    auto registered = [](const std::string& extension) {
        for (osgDB::ReaderWriter* rw : osgDB::Registry::instance()->getReaderWriterList())
            if (rw->acceptsExtension(extension))
                return true;
        return false;
    };
    {
        CXPluginLoader plugin;
        ASSERT_TRUE(plugin.load(PluginPath)) << plugin.error();
        EXPECT_TRUE(registered("pipe_zem"));
        EXPECT_TRUE(registered("pipe_pseudo_zem"));
    }
    EXPECT_FALSE(registered("pipe_zem"));
    EXPECT_FALSE(registered("pipe_pseudo_zem"));
}

TEST(PluginLoad, TheModuleDefinesNoDynamicSymbolOnlyImportsThem) {
    // The host finds the control through its own manager, never by symbol, so the
    // dynamic table holds what the module needs and nothing it defines.
    EXPECT_EQ(run("nm -D --defined-only '" + PluginPath + "' 2>&1"), "");
    std::string imports = run("nm -D --undefined-only '" + PluginPath + "' 2>&1");
    EXPECT_NE(imports.find(" U g_playerManager\n"), std::string::npos) << imports;
}

TEST(PluginLoad, UnloadingWhileALineLayerIsBuiltStopsTheBuildBeforeTheCodeGoes) {
    CXViewer viewer;
    {
        CXPluginLoader plugin;
        ASSERT_TRUE(plugin.load(PluginPath)) << plugin.error();
        CXControl* control = plugin.controls()[0];
        control->initialize();
        auto* points = new std::vector<osg::Vec3d>;
        for (int i = 0; i < 500000; ++i)
            points->emplace_back(10.0 * i, (i % 2) * 5.0, 0.0);
        control->postMessageWithData(points, "OpenKml:long,0,0.5,1,0,0,1");
        viewer.frame();
        plugin.unload();
    }
    viewer.frame();
    EXPECT_EQ(viewer.getPipeGroup()->getNumChildren(), 0u);
}
