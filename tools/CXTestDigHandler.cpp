#include "tools/CXTestDigHandler.h"

#include "tools/ExcavationBuilder.h"

#include "Selmor/CXViewer.h"

CXTestDigHandler::CXTestDigHandler() : CXPointCollectHandler(GL_LINE_LOOP, false, 0) {}

CXTestDigHandler::~CXTestDigHandler() = default;

void CXTestDigHandler::finish() {
    // Fewer points: the user keeps drawing.
    if (_points->size() <= 3)
        return;
    if (ExcavationBuilder::dig(_result, *_points, Depth, ExcavationBuilder::Dig::Test) && g_pCXviewer)
        g_pCXviewer->getRoot()->addChild(_result.get());
    _state = Done;
}
