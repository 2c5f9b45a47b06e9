#pragma once

// What a test may change about adding, saving or setting aside the schedule file. The program
// passes the defaults.

#include "store/filelock.h"

#include <chrono>

class FaultInjector;

struct StoreOptions
{
    // Asked before each step whether it should fail (store/faultinjector.h); none by default.
    FaultInjector *faults = nullptr;
    // How long to wait for another add or set-aside to release the file.
    std::chrono::milliseconds lockWait = filelock::defaultTimeout;
};
