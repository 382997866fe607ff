#pragma once

#include <osg/ref_ptr>

#include <map>
#include <string>

class DBPipe;
class DBPoint;

using PipeCreatorFunc = void (*)(osg::ref_ptr<DBPipe>&);
using PointCreatorFunc = void (*)(osg::ref_ptr<DBPoint>&);

// The kinds' factories, keyed by the kind folder word ("water", "wushui", ...). The
// kinds register here while the module loads; the control makes its pipe layers from
// them. Lives as long as the module.
class LayerFactories {
public:
    static LayerFactories& instance();

    // First registration under a key wins.
    void registerPipeCreator(const std::string& key, PipeCreatorFunc creator);
    // Every registration is kept, in order.
    void registerPointCreator(const std::string& key, PointCreatorFunc creator);

    std::map<std::string, PipeCreatorFunc> pipeCreators;
    std::multimap<std::string, PointCreatorFunc> pointCreators;

private:
    LayerFactories() = default;
};
