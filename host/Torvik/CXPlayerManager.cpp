#include "Torvik/CXPlayerManager.h"

#include "Torvik/TerrainHeight.h"

#include <algorithm>

namespace {
// The manager exists before any plug-in is loaded and outlives them all.
CXPlayerManager& theManager() {
    static CXPlayerManager* manager = new CXPlayerManager;
    return *manager;
}
} // namespace

CXPlayerManager* g_playerManager = &theManager();

CXPlayerManager::CXPlayerManager() {
    setTerrain(std::make_shared<FlatTerrain>(0.0));
}

CXPlayerManager::~CXPlayerManager() = default;

void CXPlayerManager::RegisterCtrl(CXControl* ctrl) {
    if (ctrl)
        _controls.push_back(ctrl);
}

void CXPlayerManager::UnregisterCtrl(CXControl* ctrl) {
    _controls.erase(std::remove(_controls.begin(), _controls.end(), ctrl), _controls.end());
}

void CXPlayerManager::OnCallback(const std::string& name, const std::string& payload, void* data) {
    std::vector<CallbackListener> listeners;
    {
        std::lock_guard<std::mutex> lock(_listenerMutex);
        for (const auto& entry : _listeners)
            listeners.push_back(entry.second);
    }
    // Called outside the lock: a listener may subscribe or unsubscribe others.
    for (const auto& listener : listeners)
        listener(name, payload, data);
}

int CXPlayerManager::addCallbackListener(CallbackListener listener) {
    std::lock_guard<std::mutex> lock(_listenerMutex);
    int id = _nextListenerId++;
    _listeners.emplace_back(id, std::move(listener));
    return id;
}

void CXPlayerManager::removeCallbackListener(int id) {
    std::lock_guard<std::mutex> lock(_listenerMutex);
    _listeners.erase(std::remove_if(_listeners.begin(), _listeners.end(),
                                    [id](const auto& entry) { return entry.first == id; }),
                     _listeners.end());
}

double CXPlayerManager::getHeight(double x, double y) const {
    const TerrainHeight* terrain = _terrain.load(std::memory_order_acquire);
    return terrain ? terrain->heightAt(x, y) : 0.0;
}

void CXPlayerManager::setTerrain(std::shared_ptr<const TerrainHeight> terrain) {
    if (!terrain)
        terrain = std::make_shared<FlatTerrain>(0.0);
    std::lock_guard<std::mutex> lock(_terrainMutex);
    _terrains.push_back(terrain);
    _terrain.store(terrain.get(), std::memory_order_release);
}
