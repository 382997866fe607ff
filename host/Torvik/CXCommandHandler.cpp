#include "Torvik/CXCommandHandler.h"

bool CXCommandHandler::handle(const osgGA::GUIEventAdapter&, osgGA::GUIActionAdapter&) { return false; }
void CXCommandHandler::OnMessage(std::string) {}
void CXCommandHandler::InitInstance() {}
void CXCommandHandler::ExitInstance() {}
CXCommandHandler::~CXCommandHandler() = default;
