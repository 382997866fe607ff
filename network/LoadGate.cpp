#include "network/LoadGate.h"

bool LoadGate::ensure(const std::function<bool()>& fill) {
    std::unique_lock<std::mutex> lock(mutex);
    if (filled)
        return true;
    if (filling) {
        unsigned long running = attempts;
        ++waiters;
        finished.wait(lock, [&] { return attempts != running; });
        --waiters;
        return filled;
    }
    filling = true;
    lock.unlock();

    bool ok = false;
    struct Finish {
        LoadGate& gate;
        bool& ok;
        ~Finish() {
            std::lock_guard<std::mutex> relock(gate.mutex);
            gate.filling = false;
            gate.filled = ok;
            ++gate.attempts;
            gate.finished.notify_all();
        }
    } finish{*this, ok};
    // Waiters are released even when the fill throws (out of memory mid-load).
    ok = fill();
    return ok;
}

bool LoadGate::isFilled() const {
    std::lock_guard<std::mutex> lock(mutex);
    return filled;
}

int LoadGate::waiting() const {
    std::lock_guard<std::mutex> lock(mutex);
    return waiters;
}
