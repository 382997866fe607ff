#pragma once

#include "Torvik/CXCommandHandler.h"

#include <osg/NodeVisitor>
#include <osg/ref_ptr>

#include <string>
#include <vector>

// Collects, in traversal order, every node whose name is one of the wanted names,
// nested matches included.
class CXPipeHightLightVisitor : public osg::NodeVisitor {
public:
    explicit CXPipeHightLightVisitor(std::vector<std::string> names);
    void apply(osg::Node& node) override;
    const std::vector<osg::ref_ptr<osg::Node>>& getFound() const { return found; }

private:
    std::vector<std::string> wanted;
    std::vector<osg::ref_ptr<osg::Node>> found;
};

// "高亮显示": recolours the network nodes named in "HighLight:name,name,..." in the
// highlight colour. The colours stay until the geometry is built again; a new message
// adds to what is already highlighted.
class CXHighLightHandler : public CXCommandHandler {
public:
    CXHighLightHandler() = default;
    void OnMessage(std::string message) override;
    void InitInstance() override {}
    void ExitInstance() override {}

protected:
    ~CXHighLightHandler() override = default;
};
