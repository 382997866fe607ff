#include "Torvik/DatabaseLock.h"

std::recursive_mutex& Torvik::databaseLock() {
    static std::recursive_mutex lock;
    return lock;
}
