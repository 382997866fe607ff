#pragma once

#include "Torvik/TorvikExport.h"

#include <mutex>

namespace Torvik {

// The process's one lock on Qt's default database connection, which is one per process:
// whoever uses it (the plug-in's DBConnection, the host's own readers) holds this lock
// meanwhile, so none replaces the connection under another. The network loaders do not
// take it: each thread reads on a named connection of its own (ThreadConnection).
TORVIK_EXPORT std::recursive_mutex& databaseLock();

} // namespace Torvik
