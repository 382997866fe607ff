#pragma once

#include "Torvik/TorvikExport.h"

#include <string>

class CXCommandHandler;

// Hands a command handler to the host under a command name. Constructed as a static
// object of a plug-in; the host keeps the handler from then on (its registry holds a
// reference), and destroying this object takes nothing back.
class TORVIK_EXPORT DynamicClass {
public:
    DynamicClass(std::string name, CXCommandHandler* handler);
};
