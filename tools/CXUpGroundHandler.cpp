#include "tools/CXUpGroundHandler.h"

#include "tools/ToolFrame.h"

#include "Selmor/CXEarthManipulator.h"

void CXUpGroundHandler::InitInstance() {
    if (CXEarthManipulator* manipulator = ToolFrame::earthManipulator())
        manipulator->setTourismMode(1); // above-ground browsing
}
