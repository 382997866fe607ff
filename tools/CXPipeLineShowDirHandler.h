#pragma once

#include "Torvik/CXCommandHandler.h"

// "显示流向": shows the direction of flow on the drainage network as bands of colour
// creeping along its pipes, in every tile built so far (tiles paged in later need the
// tool again).
class CXPipeLineShowDirHandler : public CXCommandHandler {
public:
    CXPipeLineShowDirHandler() = default;
    void InitInstance() override;

protected:
    ~CXPipeLineShowDirHandler() override = default;
};
