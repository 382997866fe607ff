#pragma once

#include "Torvik/TorvikExport.h"

#include <osg/ref_ptr>

#include <mutex>
#include <string>
#include <vector>

class CXCommandHandler;
namespace osgGA {
class GUIEventAdapter;
class GUIActionAdapter;
} // namespace osgGA

// The host's commands: name to handler, in registration order, and the one command
// that is active at a time. Names are byte strings (GBK for Chinese command names).
class TORVIK_EXPORT CXCommandRegistry {
public:
    static CXCommandRegistry& instance();

    // A second handler under a name already present is kept but never found by name.
    void add(std::string name, CXCommandHandler* handler);
    CXCommandHandler* find(const std::string& name) const;
    std::vector<std::string> names() const;
    size_t size() const;

    // Makes the named command the active one: the active one (if another) gets
    // ExitInstance first, then the named one InitInstance. False for an unknown name.
    bool activate(const std::string& name);
    // ExitInstance on the active command, if any; none is active afterwards.
    void deactivate();
    CXCommandHandler* active() const;
    std::string activeName() const;

    // Delivers a text message to the named command. False for an unknown name.
    bool message(const std::string& name, const std::string& text);

    // Hands a GUI event to the active command; returns what it returns.
    bool handleEvent(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa);

    // Host side, for unloading a plug-in: forgets (and releases) every command
    // registered at position `first` or later, deactivating the active one among them.
    void truncate(size_t first);

private:
    CXCommandRegistry() = default;

    struct Entry {
        std::string name;
        osg::ref_ptr<CXCommandHandler> handler;
    };
    mutable std::recursive_mutex _mutex;
    std::vector<Entry> _entries;
    int _active = -1;
};
