#include "tools/CXPipeLayerHandler.h"
#include "tools/ToolMessage.h"

#include "Selmor/CXViewer.h"
#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"

namespace {

// What the panel calls a network's pipes and its points, and the layer's own name.
// The rain-water and sewage networks have no row of the panel.
struct PanelRow {
    const char* lineName;
    const char* pointName;
    const char* layerName;
};

const PanelRow panelRows[] = {
    {"给水管线", "给水管点", "给水管线"},       {"排水管线", "排水管点", "排水管线"},
    {"天然气管线", "天然气管点", "天然气管线"}, {"热水管线", "热水管点", "热水管线"},
    {"氧气管线", "氧气管点", "工业氧气管线"},   {"负压管线", "负压管点", "工业氢气管线"},
    {"供电管线", "供电管点", "供电管线"},       {"路灯管线", "路灯管点", "路灯管线"},
    {"电信管线", "电信管点", "电信管线"},       {"有线电视管线", "有线电视管点", "有线电视管线"},
    {"军用管线", "军用管点", "军用管线"},       {"移动管线", "移动管点", "移动管线"},
    {"石油管线", "石油管点", "石油管线"},
};

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
    for (const PanelRow& row : panelRows) {
        if (a == row.lineName && b == row.lineName)
            switchPart(row.layerName, Part::Pipes, visible);
        else if (a == row.pointName && b == "井盖")
            switchPart(row.layerName, Part::Lids, visible);
        else if (a == row.pointName && b == "井室")
            switchPart(row.layerName, Part::Chambers, visible);
    }
}
