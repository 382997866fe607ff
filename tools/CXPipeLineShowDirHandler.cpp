#include "tools/CXPipeLineShowDirHandler.h"

#include "tools/FlowDirectionShow.h"

void CXPipeLineShowDirHandler::InitInstance() {
    pipeDirectionShow::onDrainage(pipeDirectionShow::Show);
}
