#pragma once

#include "Torvik/CXCommandHandler.h"

// "取消流向": takes the flow bands off the drainage network's pipes, which show their
// own colours again.
class CXPipeLineCancelDirHandler : public CXCommandHandler {
public:
    CXPipeLineCancelDirHandler() = default;
    void InitInstance() override;

protected:
    ~CXPipeLineCancelDirHandler() override = default;
};
