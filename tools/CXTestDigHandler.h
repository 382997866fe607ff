#pragma once

#include "tools/CXPointCollectHandler.h"

// The test pit: the user draws the outline of a pit of fixed depth; a right click on an
// outline of four points or more (the moving end included) closes it.
class CXTestDigHandler : public CXPointCollectHandler {
public:
    CXTestDigHandler();

protected:
    ~CXTestDigHandler() override;
    void finish() override;
};
