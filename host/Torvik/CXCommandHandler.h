#pragma once

#include "Torvik/TorvikExport.h"

#include <osgGA/GUIEventHandler>

#include <string>

// Base of the plug-in's tools. The host activates a tool (InitInstance), feeds it
// GUI events (handle) and text messages (OnMessage), and deactivates it (ExitInstance).
// Left as they are, all four do nothing and no event is consumed.
class TORVIK_EXPORT CXCommandHandler : public osgGA::GUIEventHandler {
public:
    using osgGA::GUIEventHandler::handle;
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
    virtual void OnMessage(std::string message);
    virtual void InitInstance();
    virtual void ExitInstance();

protected:
    ~CXCommandHandler() override;
};
