#pragma once

// Timing pieces shared by the benchmarks. A goal compares the program with a baseline measured in
// the same run; on a shared machine the load drifts, so baseline and program rounds alternate and
// every round gives its own ratio. A goal is judged on the median of those ratios; the smallest
// and largest are printed beside it so that a noisy run shows as one.
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace bench {

inline volatile qint64 sink = 0; // keeps the baseline's reads from being optimised away

// Reads every column of the current row with its own type's accessor, the way the program reads
// its fields: integers and reals natively, text as its stored bytes.
inline qint64 ReadRowTyped(sqlite3_stmt* st, int columns) {
    qint64 sum = 0;
    for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(st, i)) {
        case SQLITE_INTEGER:
            sum += sqlite3_column_int64(st, i);
            break;
        case SQLITE_FLOAT:
            sum += static_cast<qint64>(sqlite3_column_double(st, i));
            break;
        case SQLITE_TEXT:
            sum += reinterpret_cast<const char*>(sqlite3_column_text(st, i))[0];
            sum += sqlite3_column_bytes(st, i);
            break;
        default:
            break;
        }
    }
    return sum;
}

// Nanoseconds to prepare `sql` and step through every row, reading every column typed.
inline qint64 BareQueryNs(sqlite3* db, const char* sql) {
    QElapsedTimer t;
    t.start();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "baseline query failed: %s\n", sqlite3_errmsg(db));
        return -1;
    }
    const int columns = sqlite3_column_count(st);
    qint64 sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        sum += ReadRowTyped(st, columns);
    sqlite3_finalize(st);
    const qint64 ns = t.nsecsElapsed();
    sink = sum;
    return ns;
}

// The baseline's own connection to `file`: the engine at its plainest (no connection mutex, its
// built-in collations), with the same page cache size as the program's connection `program`, so
// that both read the same pages from memory.
inline sqlite3* BareConnection(sqlite3* program, const QString& file) {
    sqlite3* bare = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &bare, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    sqlite3_stmt* st = nullptr;
    qint64 pages = -2000;
    if (sqlite3_prepare_v2(program, "PRAGMA cache_size", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        pages = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    const std::string pragma = "PRAGMA cache_size = " + std::to_string(pages);
    sqlite3_exec(bare, pragma.c_str(), nullptr, nullptr, nullptr);
    return bare;
}

struct Spread {
    double min = 0, median = 0, max = 0;
};

inline Spread SpreadOf(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {v.front(), median, v.back()};
}

// Baseline and program timings of one comparison, round by round.
struct Comparison {
    std::vector<double> baseline, program, ratio;
};

// One untimed round of each, then `rounds` rounds in which baseline and program alternate (the
// baseline first in even rounds, the program first in odd ones). Each function returns the time
// of its round in any unit, the same for both.
inline Comparison Interleaved(int rounds, const std::function<double()>& baseline,
                              const std::function<double()>& program) {
    baseline();
    program();
    Comparison c;
    for (int r = 0; r < rounds; ++r) {
        double b = 0, p = 0;
        if (r % 2 == 0) {
            b = baseline();
            p = program();
        } else {
            p = program();
            b = baseline();
        }
        c.baseline.push_back(b);
        c.program.push_back(p);
        c.ratio.push_back(b > 0 ? p / b : 0);
    }
    return c;
}

inline const char* Verdict(bool pass) {
    return pass ? "PASS" : "FAIL";
}

// Prints a ratio goal: baseline and program medians in `unit` (times `scale`), the ratio's
// min / median / max, the goal and PASS or FAIL on the median ratio. Returns the verdict.
inline bool ReportRatio(const std::string& what, const Comparison& c, double goal,
                        const char* unit = "ms", double scale = 1e-6) {
    const Spread b = SpreadOf(c.baseline), p = SpreadOf(c.program), r = SpreadOf(c.ratio);
    const bool pass = r.median <= goal;
    const int decimals = scale < 1e-3 ? 1 : 3; // milliseconds to a tenth, seconds to a thousandth
    std::printf("%s: baseline %.*f %s, program %.*f %s (medians); ratio min %.2f / median %.2f / "
                "max %.2f over %zu rounds; goal at most %.1f x: %s\n",
                what.c_str(), decimals, b.median * scale, unit, decimals, p.median * scale, unit,
                r.min, r.median, r.max, c.ratio.size(), goal, Verdict(pass));
    return pass;
}

// The machine's load averages, printed beside the figures they may have disturbed.
inline void PrintLoad(const char* when) {
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        double one = 0, five = 0;
        if (std::fscanf(f, "%lf %lf", &one, &five) == 2)
            std::printf("load average %s: %.2f (1 min), %.2f (5 min)\n", when, one, five);
        std::fclose(f);
    }
}

} // namespace bench
