#include "Torvik/CXCommandHandler.h"

// The host hands its messages over by value.
// NOLINTBEGIN(performance-unnecessary-value-param)

bool CXCommandHandler::handle(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) {
    return false;
}
void CXCommandHandler::OnMessage(std::string) {}
void CXCommandHandler::InitInstance() {}
void CXCommandHandler::ExitInstance() {}
// NOLINTEND(performance-unnecessary-value-param)
CXCommandHandler::~CXCommandHandler() = default;
