#pragma once

// The order of the schedule file: an add sorts every record before the file is written again.

#include <QStringList>

namespace dirs {

// Sorts by the first eight characters, in exactly the order of the exchange sort
// "for i < j: if key(i) > key(j) swap(i, j)" (which is not stable).
void sortSchedules(QStringList &items);

} // namespace dirs
