#include "tools/CXHighLightHandler.h"

#include "tools/CXHighLightUtil.h"
#include "tools/ToolMessage.h"

#include "plugin/CXPipeLineCtrl.h"

#include <algorithm>
#include <utility>

CXPipeHightLightVisitor::CXPipeHightLightVisitor(std::vector<std::string> names)
    : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN), wanted(std::move(names)) {}

void CXPipeHightLightVisitor::apply(osg::Node& node) {
    if (std::find(wanted.begin(), wanted.end(), node.getName()) != wanted.end())
        found.emplace_back(&node);
    traverse(node);
}

void CXHighLightHandler::OnMessage(std::string message) {
    std::vector<std::string> names;
    if (!ToolMessage::matchVerb(message, "HighLight:", names))
        return;
    osg::ref_ptr<osg::Node> root = CXPipeLineCtrl::getInstance()->getNetworkRoot();
    if (!root)
        return;
    // An empty name (a trailing comma) would match every unnamed group and geode of the
    // network: such names are dropped.
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    if (names.empty())
        return;
    CXPipeHightLightVisitor search(std::move(names));
    root->accept(search);
    if (!search.getFound().empty())
        CXHighLightUtil::getInstance()->highLight(search.getFound());
}
