#pragma once

#include "tools/CXPointCollectHandler.h"

// The region dig: the user draws the outline of a pit, and the outline goes to the host,
// which asks for the pit's depth.
class CXRegionDigHandler : public CXPointCollectHandler {
public:
    CXRegionDigHandler();
    void InitInstance() override;

protected:
    ~CXRegionDigHandler() override;
    void finish() override;
};
