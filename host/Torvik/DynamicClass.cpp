#include "Torvik/DynamicClass.h"

#include "Torvik/CXCommandRegistry.h"

DynamicClass::DynamicClass(std::string name, CXCommandHandler* handler) {
    CXCommandRegistry::instance().add(std::move(name), handler);
}
