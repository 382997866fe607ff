#pragma once

#include "tools/CXPointCollectHandler.h"

// The trench tool: the user draws the line to dig along, and the line goes to the host,
// which computes the trench outline and asks for its depth.
class CXAlongDigHandler : public CXPointCollectHandler {
public:
    CXAlongDigHandler();

protected:
    ~CXAlongDigHandler() override;
    void finish() override;
};
