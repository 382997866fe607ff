#include "tools/CXPipeLineCancelDirHandler.h"

#include "tools/FlowDirectionShow.h"

void CXPipeLineCancelDirHandler::InitInstance() {
    pipeDirectionShow::onDrainage(pipeDirectionShow::Cancel);
}
