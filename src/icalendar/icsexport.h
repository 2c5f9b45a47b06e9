#pragma once

// Writing every memo out to a calendar file (.ics) that calendar programs import: one all-day
// event per record (icalendar/icalendar.h). The schedule file itself is only read.

#include "icalendar/icalendar.h"
#include "store/dirs.h"
#include "store/storeoptions.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

class Platform;

namespace icsexport {

// Returns: the name the save dialog proposes: the schedule file's name with ".ics" in place of
// its extension, in its folder.
QString proposedName(const QString &schedulePath);

// The command as the user sees it: reads the schedule file, asks where to write through the
// save dialog of `platform`, writes the calendar there safely (a new file renamed over the old
// one) and says how many memos it wrote or why it wrote nothing. The schedule file itself is
// never the target. Reading the schedule file and writing the calendar run through `run`, as an
// add of a memo does: a file of many memos takes a while. Returns: true when the file was
// written.
bool exportSchedules(Platform &platform, const StoreOptions &options = {},
                     const dirs::Runner &run = {});

} // namespace icsexport
