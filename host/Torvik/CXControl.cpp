#include "Torvik/CXControl.h"

void CXControl::initialize() {}
bool CXControl::postMessage(std::string) { return false; }
bool CXControl::postMessageWithData(void*, std::string) { return false; }
bool CXControl::postRemoval(std::string) { return false; }
CXControl::~CXControl() = default;
