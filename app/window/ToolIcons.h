#pragma once

#include <QIcon>
#include <QString>

#include <string>
#include <vector>

class QPainter;

// How the tool bar shows the plug-in's twelve commands and the host's own identify mode:
// an icon drawn in code, the command's name as its label and a tip saying what it does
// and how it is used.
//
// A mode stays active until another mode is chosen: the tools that collect clicked
// points, the two browsing modes, identify. An action does its work when chosen (show or
// cancel the flow, the ground's opacity, the highlight, the layer panel) and leaves the
// active mode as it was.
namespace ToolIcons {

struct Tool {
    const char* command; // as the plug-in registers it (GBK); empty for identify
    QString label;
    QString toolTip; // Chinese, then English
    bool mode;
    void (*draw)(QPainter&); // on a 32 x 32 canvas
};

// The twelve commands in tool bar order.
const std::vector<Tool>& tools();
// The command of that name, or null.
const Tool* find(const std::string& command);
// The host's own mode: what lies under the pointer.
const Tool& identify();

QIcon icon(const Tool& tool);
// A null icon for a command that is none of the twelve.
QIcon icon(const std::string& command);

} // namespace ToolIcons
