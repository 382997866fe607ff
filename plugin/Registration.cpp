// Makes sure the control exists, and so is registered with the host, once the
// plug-in has loaded, even before any kind registers a factory with it.
#include "plugin/CXPipeLineCtrl.h"

namespace {
CXPipeLineCtrl* const g_control = CXPipeLineCtrl::getInstance();
}
