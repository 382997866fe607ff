#include "Torvik/CXCommandRegistry.h"

#include "Torvik/CXCommandHandler.h"

CXCommandRegistry& CXCommandRegistry::instance() {
    // Never destroyed: plug-ins may still hold handlers registered here at exit.
    static CXCommandRegistry* registry = new CXCommandRegistry;
    return *registry;
}

void CXCommandRegistry::add(std::string name, CXCommandHandler* handler) {
    if (!handler)
        return;
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    _entries.push_back(Entry{std::move(name), handler});
}

CXCommandHandler* CXCommandRegistry::find(const std::string& name) const {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    for (const auto& entry : _entries)
        if (entry.name == name)
            return entry.handler.get();
    return nullptr;
}

std::vector<std::string> CXCommandRegistry::names() const {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    std::vector<std::string> result;
    for (const auto& entry : _entries)
        result.push_back(entry.name);
    return result;
}

size_t CXCommandRegistry::size() const {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    return _entries.size();
}

bool CXCommandRegistry::activate(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    int index = -1;
    for (size_t i = 0; i < _entries.size(); ++i)
        if (_entries[i].name == name) {
            index = static_cast<int>(i);
            break;
        }
    if (index < 0)
        return false;
    if (_active >= 0 && _active != index)
        _entries[_active].handler->ExitInstance();
    _active = index;
    _entries[index].handler->InitInstance();
    return true;
}

void CXCommandRegistry::deactivate() {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    if (_active >= 0) {
        int was = _active;
        _active = -1;
        _entries[was].handler->ExitInstance();
    }
}

CXCommandHandler* CXCommandRegistry::active() const {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    return _active >= 0 ? _entries[_active].handler.get() : nullptr;
}

std::string CXCommandRegistry::activeName() const {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    return _active >= 0 ? _entries[_active].name : std::string();
}

bool CXCommandRegistry::message(const std::string& name, const std::string& text) {
    osg::ref_ptr<CXCommandHandler> handler = find(name);
    if (!handler)
        return false;
    handler->OnMessage(text);
    return true;
}

bool CXCommandRegistry::handleEvent(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    osg::ref_ptr<CXCommandHandler> handler = active();
    return handler ? handler->handle(ea, aa) : false;
}

void CXCommandRegistry::truncate(size_t first) {
    std::lock_guard<std::recursive_mutex> lock(_mutex);
    if (first >= _entries.size())
        return;
    if (_active >= static_cast<int>(first))
        deactivate();
    _entries.erase(_entries.begin() + static_cast<std::ptrdiff_t>(first), _entries.end());
}
