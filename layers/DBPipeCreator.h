#pragma once

#include "layers/LayerFactories.h"
#include "network/UtilityKind.h"

#include <osg/ref_ptr>

class DBPipe;

// Registration base of a pipe layer class T. Its registrar is a static object defined
// beside the kinds, so the factories are registered in the kinds' order while the
// module loads.
template <class T> class DBPipeCreator {
public:
    static void create(osg::ref_ptr<DBPipe>& layer) { layer = new T; }

    struct Registrar {
        Registrar() {
            LayerFactories::instance().registerPipeCreator(utilityKind(T::kind).folderWord, &create);
        }
    };
    static const Registrar registrar;

protected:
    ~DBPipeCreator() = default;
};
