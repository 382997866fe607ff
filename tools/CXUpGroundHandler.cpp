#include "CXUpGroundHandler.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"

void CXUpGroundHandler::InitInstance() {
    osgViewer::View* view = g_pCXviewer ? g_pCXviewer->getViewer() : nullptr;
    if (!view)
        return;
    auto* manipulator = dynamic_cast<CXEarthManipulator*>(view->getCameraManipulator());
    if (!manipulator) {
        // Another manipulator (or none): the earth manipulator takes over from its home.
        manipulator = new CXEarthManipulator;
        view->setCameraManipulator(manipulator, true);
    }
    manipulator->setTourismMode(1); // above-ground browsing
}
