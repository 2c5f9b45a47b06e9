#pragma once

// A seam for tests: every step of writing or setting aside the schedule file asks the injector
// of its StoreOptions first whether it should fail. The program passes none: nothing is injected.

enum class SaveStep {
    Open,   // creating the new file beside the old one
    Write,  // each block of bytes written to it
    Flush,  // handing the bytes to the system
    Commit, // syncing the new file and putting it in the old one's place
    Rename, // setting the schedule file aside under its backup name
};

class FaultInjector
{
public:
    virtual ~FaultInjector() = default;

    // Returns: true to make `step` fail as if the system had refused it.
    virtual bool fails(SaveStep step) = 0;
};

// Returns: true when `faults` is set and makes `step` fail.
inline bool injectedFailure(FaultInjector *faults, SaveStep step)
{
    return faults != nullptr && faults->fails(step);
}
