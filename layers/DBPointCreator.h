#pragma once

#include "layers/LayerFactories.h"
#include "network/UtilityKind.h"

#include <osg/ref_ptr>

class DBPoint;

// Registration base of a point category class T, registered under its kind's word.
// The registrars are static objects defined beside the kinds in each kind's category
// order, which is the order a layer receives its categories in.
template <class T> class DBPointCreator {
public:
    static void create(osg::ref_ptr<DBPoint>& category) { category = new T; }

    struct Registrar {
        Registrar() {
            LayerFactories::instance().registerPointCreator(utilityKind(T::kind).folderWord, &create);
        }
    };
    static const Registrar registrar;

protected:
    ~DBPointCreator() = default;
};
