#include "Torvik/CXControl.h"

// The host hands its messages over by value.
// NOLINTBEGIN(performance-unnecessary-value-param)

void CXControl::initialize() {}
bool CXControl::postMessage(std::string) {
    return false;
}
bool CXControl::postMessageWithData(void*, std::string) {
    return false;
}
bool CXControl::postRemoval(std::string) {
    return false;
}
// NOLINTEND(performance-unnecessary-value-param)
CXControl::~CXControl() = default;
