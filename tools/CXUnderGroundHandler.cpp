#include "CXUnderGroundHandler.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/CXViewer.h"

void CXUnderGroundHandler::InitInstance() {
    osgViewer::View* view = g_pCXviewer ? g_pCXviewer->getViewer() : nullptr;
    if (!view)
        return;
    auto* manipulator = dynamic_cast<CXEarthManipulator*>(view->getCameraManipulator());
    if (!manipulator) {
        // Another manipulator (or none): the earth manipulator takes over from its home.
        manipulator = new CXEarthManipulator;
        view->setCameraManipulator(manipulator, true);
    }
    manipulator->setTourismMode(0); // underground browsing
}
