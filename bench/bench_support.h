#pragma once

// Timing pieces shared by the benchmarks: the best of several rounds, and a statement read to the
// end by the bare engine as the baseline.
#include <QElapsedTimer>
#include <QtGlobal>
#include <functional>
#include <sqlite3.h>

namespace bench {

inline volatile qint64 sink = 0; // keeps the baseline's reads from being optimised away

inline qint64 BestOf(int rounds, const std::function<qint64()>& run) {
    qint64 b = -1;
    for (int i = 0; i < rounds; ++i) {
        const qint64 ns = run();
        if (b < 0 || ns < b) b = ns;
    }
    return b;
}

// Nanoseconds to prepare `sql` and step through every row, touching `columns` columns.
inline qint64 BareQueryNs(sqlite3* db, const char* sql, int columns) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    qint64 sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int i = 0; i < columns; ++i)
            sum += sqlite3_column_bytes(st, i);
    sqlite3_finalize(st);
    const qint64 ns = t.nsecsElapsed();
    sink = sum;
    return ns;
}

} // namespace bench
