#pragma once

#include "Torvik/TorvikExport.h"

#include <string>

// A control is a plug-in's face towards the host: the host knows it by name and
// talks to it through these four operations, in this order in the table of virtuals.
class TORVIK_EXPORT CXControl {
public:
    CXControl() = default;
    CXControl(const CXControl&) = delete;
    CXControl& operator=(const CXControl&) = delete;

    // Called once the viewer exists.
    virtual void initialize();
    virtual bool postMessage(std::string message);
    // data is a heap object the receiver takes over (the host allocated it with new).
    virtual bool postMessageWithData(void* data, std::string message);
    virtual bool postRemoval(std::string message);
    virtual ~CXControl();

    std::string name;
};
