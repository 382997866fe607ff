#pragma once

#include "Torvik/TorvikExport.h"

#include <string>
#include <vector>

class CXControl;

// Loads a plug-in shared library the way the host does: the library's static objects
// register its controls and commands while it loads. Unloading takes those back out
// of the host first, so nothing the host keeps points into unmapped code.
class TORVIK_EXPORT CXPluginLoader {
public:
    CXPluginLoader() = default;
    ~CXPluginLoader();
    CXPluginLoader(const CXPluginLoader&) = delete;
    CXPluginLoader& operator=(const CXPluginLoader&) = delete;

    bool load(const std::string& path);
    void unload();
    bool isLoaded() const { return _handle != nullptr; }
    const std::string& error() const { return _error; }
    // The controls this plug-in registered while loading.
    const std::vector<CXControl*>& controls() const { return _controls; }

    // Keeps every module the process has mapped now (this plug-in, osgDB's and Qt's
    // plug-ins) mapped until it ends: unloading one later still takes its registrations
    // out of the host, but its static objects go only at exit. For a leak checker that
    // reports at exit, which can name code only while it is mapped.
    static void keepModulesToExit();

private:
    void* _handle = nullptr;
    size_t _firstCommand = 0;
    std::vector<CXControl*> _controls;
    std::string _error;
};
