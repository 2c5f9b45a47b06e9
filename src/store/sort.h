#pragma once

// The order of the schedule file: an add sorts every record before the file is written again.
// Part of the namespace dirs, which spans dirs.* and sort.*.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <vector>

namespace dirs {

// Sorts by the first eight characters, in exactly the order of the exchange sort
// "for i < j: if key(i) > key(j) swap(i, j)" (which is not stable).
// Test seam: the program sorts fields (sortedOrder); the tests check the order on decoded
// records, against the exchange sort itself, through this.
void sortSchedules(QStringList &items);

// The same order over fields of the file's undecoded bytes (keys compared as decoded text).
// Returns: the index in `fields` of the field at each position after the sort.
std::vector<qsizetype> sortedOrder(const QList<QByteArray> &fields);

} // namespace dirs
