#include "tools/CXPipeLayerHandler.h"
#include "tools/ToolMessage.h"

#include "Selmor/CXViewer.h"
#include "layers/DBPipe.h"
#include "network/LayerPanelNames.h"
#include "plugin/CXPipeLineCtrl.h"

namespace {

enum class Part { Pipes, Lids, Chambers };

void switchPart(const char* layerName, Part part, bool visible) {
    osg::ref_ptr<DBPipe> layer = CXPipeLineCtrl::getInstance()->findPipeLayer(layerName);
    if (!layer)
        return;
    const std::string code = layer->getKindCode();
    switch (part) {
    case Part::Pipes:
        layer->setPipesVisible(visible);
        if (g_pCXviewer)
            g_pCXviewer->setPipeVisible(code, visible);
        break;
    case Part::Lids:
        layer->setLidsVisible(visible);
        if (g_pCXviewer)
            g_pCXviewer->setPipeLidVisible(code, visible);
        break;
    case Part::Chambers:
        layer->setChambersVisible(visible);
        if (g_pCXviewer)
            g_pCXviewer->setPipeLipVisible(code, visible);
        break;
    }
}

} // namespace

void CXPipeLayerHandler::OnMessage(std::string message) {
    std::vector<std::string> fields;
    if (!ToolMessage::matchVerb(message, "LayerVisible:", fields) || fields.size() < 3)
        return;
    const std::string& a = fields[0];
    const std::string& b = fields[1];
    // Any whole number but 0 shows, text that is no number hides.
    const bool visible = ToolMessage::flag(fields[2]);
    // Every row is tried: a match does not end the scan.
    for (const LayerPanelRow& row : LayerPanelRows) {
        if (a == row.lineName && b == row.lineName)
            switchPart(row.layerName, Part::Pipes, visible);
        else if (a == row.pointName && b == "井盖")
            switchPart(row.layerName, Part::Lids, visible);
        else if (a == row.pointName && b == "井室")
            switchPart(row.layerName, Part::Chambers, visible);
    }
}
