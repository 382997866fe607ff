#pragma once

#include "Torvik/CXCommandHandler.h"

// "地下浏览": the main view's earth manipulator lets the eye below the terrain, to orbit
// and zoom about a point under the surface. The mode stays after deactivation.
class CXUnderGroundHandler : public CXCommandHandler {
public:
    void InitInstance() override;
};
