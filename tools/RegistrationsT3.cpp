// The highlight, layer and flow tools handed to the host while the module loads.
#include "tools/CXHighLightHandler.h"
#include "tools/CXPipeLayerHandler.h"
#include "tools/CXPipeLineCancelDirHandler.h"
#include "tools/CXPipeLineShowDirHandler.h"

#include "Torvik/DynamicClass.h"

namespace {

DynamicClass highLight("高亮显示", new CXHighLightHandler);
DynamicClass layers("管线图层管理", new CXPipeLayerHandler);
DynamicClass showFlow("显示流向", new CXPipeLineShowDirHandler);
DynamicClass cancelFlow("取消流向", new CXPipeLineCancelDirHandler);

} // namespace
