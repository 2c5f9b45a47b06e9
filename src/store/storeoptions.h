#pragma once

// What a test may change about adding, saving or setting aside the schedule file. The program
// passes the defaults.

#include "store/filelock.h"

#include <atomic>
#include <chrono>

class FaultInjector;

struct StoreOptions
{
    // Asked before each step whether it should fail (store/faultinjector.h); none by default.
    FaultInjector *faults = nullptr;
    // How long to wait for another add or set-aside to release the file.
    std::chrono::milliseconds lockWait = filelock::defaultTimeout;
    // Set by the window when the user stops a long step: the step ends at its next look at it,
    // before the file is replaced, and nothing is written.
    const std::atomic_bool *stop = nullptr;

    bool stopped() const { return stop != nullptr && stop->load(std::memory_order_relaxed); }
};
