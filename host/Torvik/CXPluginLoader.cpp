#include "Torvik/CXPluginLoader.h"

#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXPlayerManager.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

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

void CXPluginLoader::keepModulesToExit() {
    std::vector<std::string> paths;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && info->dlpi_name[0] == '/')
                static_cast<std::vector<std::string>*>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &paths);
    // Opened once more without loading anything, and marked never to be unmapped; the
    // handle is left open on purpose.
    for (const std::string& path : paths)
        dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}
