// The twelve commands, handed to the host while the plug-in loads, in this order. This
// unit is laid out after the control's, so the control is registered before any command.
#include "Torvik/DynamicClass.h"

#include "tools/CXAlongDigHandler.h"
#include "tools/CXHighLightHandler.h"
#include "tools/CXPipeLayerHandler.h"
#include "tools/CXPipeLineCancelDirHandler.h"
#include "tools/CXPipeLineShowDirHandler.h"
#include "tools/CXRegionDigHandler.h"
#include "tools/CXSetOpacityHandler.h"
#include "tools/CXSetUpTunnelHandler.h"
#include "tools/CXTestDigHandler.h"
#include "tools/CXTransectAnalysisHandler.h"
#include "tools/CXUnderGroundHandler.h"
#include "tools/CXUpGroundHandler.h"

// The host keeps each handler; the plug-in never deletes one.
static DynamicClass g_setOpacity("地表透明度", new CXSetOpacityHandler);
static DynamicClass g_setUpTunnel("创建隧道", new CXSetUpTunnelHandler);
static DynamicClass g_testDig("测试开挖", new CXTestDigHandler);
static DynamicClass g_transect("横断面", new CXTransectAnalysisHandler);
static DynamicClass g_underGround("地下浏览", new CXUnderGroundHandler);
static DynamicClass g_upGround("地上浏览", new CXUpGroundHandler);
static DynamicClass g_highLight("高亮显示", new CXHighLightHandler);
static DynamicClass g_alongDig("沿线开挖", new CXAlongDigHandler);
static DynamicClass g_regionDig("区域开挖", new CXRegionDigHandler);
static DynamicClass g_pipeLayer("管线图层管理", new CXPipeLayerHandler);
static DynamicClass g_showDir("显示流向", new CXPipeLineShowDirHandler);
static DynamicClass g_cancelDir("取消流向", new CXPipeLineCancelDirHandler);
