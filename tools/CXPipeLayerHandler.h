#pragma once

#include "Torvik/CXCommandHandler.h"

#include <string>

// "管线图层管理": the host's layer panel switches the pipes, the well lids or the well
// chambers of one utility network with "LayerVisible:A,B,flag". Every change is also
// written into the host viewer's visibility table, so tiles built later follow it.
class CXPipeLayerHandler : public CXCommandHandler {
public:
    CXPipeLayerHandler() = default;
    void OnMessage(std::string message) override;

protected:
    ~CXPipeLayerHandler() override = default;
};
