// Sanitizer builds: after the last test, every module then loaded stays mapped to the
// end, so that the leaks reported at exit are traced into osgDB's, Qt's and our own
// plug-ins (osgDB and Qt unload theirs while the process ends).
#include "Torvik/CXPluginLoader.h"

#include <gtest/gtest.h>

namespace {
struct KeepModulesMapped : ::testing::Environment {
    void TearDown() override { CXPluginLoader::keepModulesToExit(); }
};
::testing::Environment* const g_keepModules = ::testing::AddGlobalTestEnvironment(new KeepModulesMapped);
} // namespace
