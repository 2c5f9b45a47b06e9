#pragma once

// Work that may take seconds (an add waiting for another program's lock, or writing a large
// file) runs on a thread of its own while the caller's event loop goes on, so that the window
// keeps painting and answering.

#include <functional>

namespace background {

// Runs `work` on a new thread and returns when it has finished, handling the calling thread's
// events meanwhile. `work` must not touch widgets. Where no thread can be started (too little
// memory), `work` runs on the calling thread instead.
void run(const std::function<void()> &work);

} // namespace background
