#include "Selmor/CXCommandRouter.h"

#include "Torvik/CXCommandRegistry.h"

bool CXCommandRouter::handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) {
    return CXCommandRegistry::instance().handleEvent(ea, aa);
}
