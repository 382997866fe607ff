#include "CXSetOpacityHandler.h"
#include "CXUnderGroundHandler.h"
#include "CXUpGroundHandler.h"

#include "Torvik/DynamicClass.h"

namespace {

const DynamicClass opacity("地表透明度", new CXSetOpacityHandler);
const DynamicClass underground("地下浏览", new CXUnderGroundHandler);
const DynamicClass aboveGround("地上浏览", new CXUpGroundHandler);

} // namespace
