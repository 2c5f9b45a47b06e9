#pragma once

#include <functional>

// Runs a step of work that may wait or take long: the window gives one that keeps it answering
// meanwhile; an empty one means "on the caller's thread".
using Runner = std::function<void(const std::function<void()> &work)>;

// Runs `work` through `run`, or at once when `run` is empty.
inline void runThrough(const Runner &run, const std::function<void()> &work)
{
    if (run)
        run(work);
    else
        work();
}
