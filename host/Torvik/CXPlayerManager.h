#pragma once

#include "Torvik/TorvikExport.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CXControl;
class TerrainHeight;

// The host's manager: the list of plug-in controls, the channel through which tools
// report results to the host, and the terrain height at a map position.
class TORVIK_EXPORT CXPlayerManager {
public:
    using CallbackListener =
        std::function<void(const std::string& name, const std::string& payload, void* data)>;

    CXPlayerManager();
    ~CXPlayerManager();
    CXPlayerManager(const CXPlayerManager&) = delete;
    CXPlayerManager& operator=(const CXPlayerManager&) = delete;

    // Appends a control. Controls register while their plug-in loads.
    void RegisterCtrl(CXControl* ctrl);
    // Host side: forgets a control whose plug-in is being unloaded.
    void UnregisterCtrl(CXControl* ctrl);
    // The registered controls in registration order. Changes only while plug-ins load
    // or unload, never while the viewer runs.
    const std::vector<CXControl*>& getControls() const { return _controls; }

    // What the network loader posts (from any thread): a kind that could not be read,
    // payload "<table or layer>: <reason>"; rows of a kind left out of the scene, payload
    // "<table or layer>\t<count>\t<reason>". Text in GBK.
    static constexpr const char* LoadFailureCallback = "network load failed";
    static constexpr const char* LeftOutCallback = "network rows left out";
    // How a kind is read, once decided: payload "<layer>\t<how>", how "extent" (each tile
    // asks the database for its own extent) or "whole" (the kind before its first tile).
    static constexpr const char* ReadingCallback = "network reading";
    // What the plug-in posts (from the frame thread) when the number of line layers it is
    // reading and building off the frame thread changes; payload the number. They join
    // the scene at later frames: a host waiting for the scene to settle waits for 0.
    static constexpr const char* LineLayersBuildingCallback = "line layers being built";

    // A tool's result for the host: delivered to every subscribed listener in turn.
    void OnCallback(const std::string& name, const std::string& payload, void* data);
    int addCallbackListener(CallbackListener listener);
    void removeCallbackListener(int id);

    // Terrain height at a map position; safe from any thread.
    double getHeight(double x, double y) const;
    // Replaces the terrain. Earlier terrains stay alive until the manager goes, so a
    // pager thread that is still sampling one is never left with a dangling pointer.
    void setTerrain(std::shared_ptr<const TerrainHeight> terrain);
    const TerrainHeight* getTerrain() const { return _terrain.load(std::memory_order_acquire); }

private:
    std::vector<CXControl*> _controls;

    mutable std::mutex _listenerMutex;
    std::vector<std::pair<int, CallbackListener>> _listeners;
    int _nextListenerId = 1;

    std::mutex _terrainMutex;
    std::vector<std::shared_ptr<const TerrainHeight>> _terrains;
    std::atomic<const TerrainHeight*> _terrain{nullptr};
};

TORVIK_EXPORT extern CXPlayerManager* g_playerManager;
