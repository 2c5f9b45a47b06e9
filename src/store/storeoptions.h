#pragma once

// What the caller may change about adding, saving or setting aside the schedule file: tests
// inject faults and shorter waits; the window stops long steps and keeps a history of them.

#include "store/filelock.h"

#include <atomic>
#include <chrono>
#include <functional>

class FaultInjector;
struct StoreStep;

struct StoreOptions
{
    // Asked before each step whether it should fail (store/faultinjector.h); none by default.
    FaultInjector *faults = nullptr;
    // How long to wait for another add or set-aside to release the file.
    std::chrono::milliseconds lockWait = filelock::defaultTimeout;
    // Set by the window when the user stops a long step: the step ends at its next look at it,
    // before the file is replaced, and nothing is written.
    const std::atomic_bool *stop = nullptr;

    // Told of every step that changed the file, on the thread that ran it.
    std::function<void(const StoreStep &)> recorded {};

    bool stopped() const { return stop != nullptr && stop->load(std::memory_order_relaxed); }
};
