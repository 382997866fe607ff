#pragma once

#include "Torvik/CXCommandHandler.h"

// "地上浏览": the main view's earth manipulator keeps the eye above the terrain. The mode
// stays after deactivation.
class CXUpGroundHandler : public CXCommandHandler {
public:
    void InitInstance() override;
};
