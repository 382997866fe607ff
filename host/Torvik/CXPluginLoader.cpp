#include "Torvik/CXPluginLoader.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXPlayerManager.h"

#include <dlfcn.h>

CXPluginLoader::~CXPluginLoader() {
    unload();
}

bool CXPluginLoader::load(const std::string& path) {
    if (_handle) {
        _error = "a plug-in is already loaded";
        return false;
    }
    size_t firstControl = g_playerManager->getControls().size();
    _firstCommand = CXCommandRegistry::instance().size();
    _handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!_handle) {
        const char* message = dlerror();
        _error = message ? message : "cannot load " + path;
        return false;
    }
    const auto& all = g_playerManager->getControls();
    _controls.assign(all.begin() + static_cast<std::ptrdiff_t>(firstControl), all.end());
    _error.clear();
    return true;
}

void CXPluginLoader::unload() {
    if (!_handle)
        return;
    CXCommandRegistry::instance().truncate(_firstCommand);
    for (CXControl* control : _controls)
        g_playerManager->UnregisterCtrl(control);
    _controls.clear();
    dlclose(_handle);
    _handle = nullptr;
}
