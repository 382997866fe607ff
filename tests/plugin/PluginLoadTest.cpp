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

TEST(PluginLoad, AMissingPluginIsAnErrorNotACrash) {
    CXPluginLoader plugin;
    EXPECT_FALSE(plugin.load("/nonexistent/libpipenetwork.so"));
    EXPECT_FALSE(plugin.error().empty());
    EXPECT_FALSE(plugin.isLoaded());
}

TEST(PluginLoad, ThePluginExportsNoFunctions) {
    std::string symbols = run("nm -D --defined-only '" + PluginPath + "' 2>&1");
    // Whatever the linker itself puts there aside, no symbol of ours is visible.
    EXPECT_EQ(symbols.find(" T "), std::string::npos) << symbols;
    EXPECT_EQ(symbols.find(" W "), std::string::npos) << symbols;
    EXPECT_EQ(symbols.find(" D "), std::string::npos) << symbols;
    EXPECT_EQ(symbols.find(" B "), std::string::npos) << symbols;
}
