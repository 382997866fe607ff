#pragma once

#include <string>
#include <sys/types.h>

// Turns away a file that is not a Jet (Access) database, or is cut short (its size, given,
// not a whole number of its pages), before any page of it is interpreted. False with a
// message (GBK) naming the fault.
bool checkAccessHeader(const std::string& nativePath, off_t size, std::string& error);
