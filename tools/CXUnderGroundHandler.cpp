#include "tools/CXUnderGroundHandler.h"

#include "tools/ToolFrame.h"

#include "Selmor/CXEarthManipulator.h"

void CXUnderGroundHandler::InitInstance() {
    if (CXEarthManipulator* manipulator = ToolFrame::earthManipulator())
        manipulator->setTourismMode(0); // underground browsing
}
