#pragma once

// The calendar sync's rows, against a local Radicale and xandikos: a first sync and a sync after
// one change on either side, each beside the same requests sent by a bare loop with no sync
// logic (the least the server must do). Wall time: the server works in a process of its own.
// REKOVA_BENCH_SYNC_MEMOS sets the number of memos (10,000 by default), REKOVA_BENCH_SYNC_SERVER
// (radicale or xandikos) runs against one server only.
void runSyncRows();
