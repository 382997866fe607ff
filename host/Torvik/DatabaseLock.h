#pragma once

#include "Torvik/TorvikExport.h"

#include <mutex>

namespace Torvik {

// The process's one lock on Qt's default database connection. The network loaders of the
// plug-in and those the host runs itself (the cross-section reads the network) each keep
// a copy of their connection code, but Qt's default connection is one per process: they
// all hold this lock while they use it, so none replaces the connection under another.
TORVIK_EXPORT std::recursive_mutex& databaseLock();

} // namespace Torvik
