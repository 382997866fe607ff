#include "tools/CXTestDigHandler.h"

CXTestDigHandler::CXTestDigHandler() : CXPointCollectHandler(GL_LINE_LOOP, false, 0) {}

CXTestDigHandler::~CXTestDigHandler() = default;

void CXTestDigHandler::finish() {
    if (_points->size() > 3)
        _state = Done;
}
