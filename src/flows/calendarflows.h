#pragma once

// Calendar files (.ics) out and in, as the user sees them: the dialogs, the question before an
// import and what is told after each.

#include "common/runner.h"
#include "store/storeoptions.h"

class Platform;

namespace flows {

// Reads the schedule file, asks where to write through the save dialog, writes the calendar
// there safely (a new file renamed over the old one) and says how many memos it wrote or why it
// wrote nothing. The schedule file itself is never the target. Reading the schedule file and
// writing the calendar run through `run`, as an add of a memo does: a file of many memos takes
// a while. Returns: true when the file was written.
bool exportSchedules(Platform &platform, const StoreOptions &options = {}, const Runner &run = {});

// Asks for the calendar file through the open dialog, reads it, tells what will be added, what
// is there already and what is left out and why, and adds only when the user agrees; reading
// the calendar and the add run through `run`. Returns: true when the schedule file was written,
// so that the month is redrawn.
bool importSchedules(Platform &platform, const StoreOptions &options = {}, const Runner &run = {});

// Asks which years (the shown one, ten from it, or all the 暦 covers), then where to write the
// 六曜 and solar terms of those years through the save dialog, writes the file safely and says
// what it wrote or why it wrote nothing. The schedule file itself is never the target. Returns:
// true when the file was written.
bool exportKoyomi(Platform &platform, int shownYear, const StoreOptions &options = {});

} // namespace flows
