#pragma once

#include "Selmor/SelmorExport.h"

#include <osgGA/GUIEventHandler>

// Hands every event of the view it is attached to over to the host's active command.
class SELMOR_EXPORT CXCommandRouter : public osgGA::GUIEventHandler {
public:
    using osgGA::GUIEventHandler::handle;
    bool handle(const osgGA::GUIEventAdapter& ea, osgGA::GUIActionAdapter& aa) override;
};
