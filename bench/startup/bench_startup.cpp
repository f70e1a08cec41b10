// Start-up of the program against the floor of any Qt program: both are started as processes on
// a real X server, and each is timed from the moment the process is started to the moment its
// first window is mapped (the program's main window; its splash comes after). Rounds of the two
// alternate; each program is given a fresh copy of the shipped program folder. Run under
// `xvfb-run -a`:
//
//   xvfb-run -a bench_startup [rounds]     start-up goals (default 10 rounds)
//   bench_startup --index                  the item index build against its bare statements
//                                          (in this process, QT_QPA_PLATFORM=offscreen)
#include "bench/bench_support.h"
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/program_folder.h"
#include "app/startup.h"
#include "entries/item_index.h"
#include "entries/tab_table.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <poll.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr int kIndexRounds = 10;
constexpr double kStartupSeconds = 0.3;
constexpr double kStartupRatio = 1.5;
constexpr double kIndexRatio = 2.0;
constexpr double kGiveUpSeconds = 30;

double now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Processor time a process has had so far, all its threads together, in seconds (from the
// scheduler's own accounting, to the nanosecond); negative when it cannot be read.
double cpuSeconds(pid_t pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    double total = 0;
    bool any = false;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (!f.open(QIODevice::ReadOnly)) continue;
        bool ok = false;
        const double ns = f.readAll().split(' ').value(0).toDouble(&ok);
        if (ok) total += ns / 1e9, any = true;
    }
    return any ? total : -1;
}

// Watches the X server for top-level windows being mapped.
class MapWatcher {
  public:
    bool open() {
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_)) return false;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        return true;
    }
    ~MapWatcher() {
        if (c_) xcb_disconnect(c_);
    }

    void drain() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_))
            std::free(e);
    }

    // Starts `program` in `folder` and returns the seconds until its first ordinary top-level
    // window is mapped; negative when it ends first or nothing comes within kGiveUpSeconds. The
    // process is ended afterwards either way. `cpu` receives the processor time the process had
    // used when the mapping was seen (a little past the mapping itself: the reading comes after
    // the event is read, while the process runs on).
    double time(const char* program, const QString& folder, QString* title, double* cpu) {
        drain();
        const QByteArray dir = QFile::encodeName(folder);
        const double start = now();
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.constData()) != 0) _exit(126);
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            setenv("QUIVERA_HOME", dir.constData(), 1);
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return -1;
        double seconds = -1;
        bool ended = false;
        xcb_window_t window = 0;
        const int fd = xcb_get_file_descriptor(c_);
        while (seconds < 0 && !ended && now() - start < kGiveUpSeconds) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
                if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && seconds < 0) {
                    const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    if (!m->override_redirect) {
                        seconds = now() - start;
                        if (cpu) *cpu = cpuSeconds(pid);
                        window = m->window;
                    }
                }
                std::free(e);
            }
            if (seconds >= 0 || xcb_connection_has_error(c_)) break;
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 50);
            int status = 0;
            ended = waitpid(pid, &status, WNOHANG) == pid;
        }
        if (title && window) *title = windowTitle(window);
        if (!ended) {
            kill(pid, SIGKILL);
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        return seconds;
    }

  private:
    QString windowTitle(xcb_window_t window) {
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(c_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(c_, cookie, nullptr);
        if (!reply) return {};
        const QString text =
            QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
        std::free(reply);
        return text;
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
};

// The index build's own statements run by the bare engine: the scratch table filled, read in
// order and dropped, in one transaction.
qint64 bareIndexBuild(sqlite3* db) {
    QElapsedTimer t;
    t.start();
    qint64 sum = 0;
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "CREATE TABLE Temp_Table (Item_Name VARCHAR(255) COLLATE NOCASE, "
                 "Category_Name VARCHAR(255) COLLATE NOCASE, Tab_Name TEXT COLLATE NOCASE)",
                 nullptr, nullptr, nullptr);
    for (const entries::TabInfo& tab : entries::TabTable()) {
        const QString caption = QStringLiteral("'") + tab.captionText() + QStringLiteral("'");
        const QString key = tab.keyText();
        const QString sql = QStringLiteral("INSERT INTO Temp_Table SELECT Item_Name, "
                                           "Category_Name, ") +
                            caption + QStringLiteral(" FROM ") + key +
                            QStringLiteral("_Items; INSERT INTO Temp_Table SELECT Category_Name, "
                                           "' ', ") +
                            caption + QStringLiteral(" FROM ") + key + QStringLiteral("_Main");
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Temp_Table ORDER BY Item_Name", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        sum += bench::ReadRowTyped(st, 3);
    sqlite3_finalize(st);
    sqlite3_exec(db, "DROP TABLE Temp_Table; COMMIT", nullptr, nullptr, nullptr);
    bench::sink = sum;
    return t.nsecsElapsed();
}

int indexBuild(int argc, char** argv) {
    QApplication application(argc, argv);
    testing_support::ProgramFolder folder;
    testing_support::ScriptedModal modal;
    app::CreateWindows();
    sqlite3* db = nullptr;
    sqlite3_open_v2(folder.file(QStringLiteral("QIVData.mdb")).toUtf8().constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    size_t lines = 0;
    bench::PrintLoad("before");
    const auto c = bench::Interleaved(
        kIndexRounds, [&] { return double(bareIndexBuild(db)); },
        [&] {
            QElapsedTimer t;
            t.start();
            lines = entries::BuildItemIndex(app::State().ADOQuery1).size();
            return double(t.nsecsElapsed());
        });
    bench::ReportRatio("item index build of " + std::to_string(lines) +
                           " lines against its statements on the bare engine",
                       c, kIndexRatio);
    bench::PrintLoad("after");
    sqlite3_close(db);
    app::DestroyWindows();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--index") == 0) return indexBuild(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    MapWatcher watcher;
    if (!std::getenv("DISPLAY") || !watcher.open()) {
        std::fprintf(stderr, "bench_startup needs an X server: run it under xvfb-run -a\n");
        return 2;
    }
    // A program folder set up from the shipped files as on a first start, copied afresh for
    // every start measured: a run that was ended early must not leave the next one an
    // interrupted session, and each measured start is an ordinary later one.
    QTemporaryDir work;
    const QString shipped = work.filePath(QStringLiteral("shipped"));
    QDir().mkpath(shipped);
    if (const QString e = app::PrepareProgramFolder(QStringLiteral(QUIVERA_DIST_DIR), shipped);
        !e.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(e));
        return 2;
    }
    int run = 0;
    QString programTitle, bareTitle;
    bool failed = false;
    std::vector<double> programCpu, bareCpu;
    const auto program = [&] {
        const QString folder = work.filePath(QStringLiteral("run%1").arg(++run));
        QDir().mkpath(folder);
        testing_support::CopyTree(shipped, folder);
        double cpu = -1;
        const double s =
            watcher.time(QUIVERA_PROGRAM, folder + QLatin1Char('/'), &programTitle, &cpu);
        programCpu.push_back(cpu);
        QDir(folder).removeRecursively();
        failed = failed || s < 0;
        return s;
    };
    const auto bare = [&] {
        double cpu = -1;
        const double s = watcher.time(BARE_WINDOW_PROGRAM, work.path(), &bareTitle, &cpu);
        bareCpu.push_back(cpu);
        failed = failed || s < 0;
        return s;
    };
    bench::PrintLoad("before");
    const bench::Comparison c = bench::Interleaved(rounds, bare, program);
    if (failed) {
        std::printf("a program ended or showed no window within %.0f s\n", kGiveUpSeconds);
        return 1;
    }
    std::printf("first window mapped: program \"%s\", floor \"%s\"\n",
                programTitle.toUtf8().constData(), bareTitle.toUtf8().constData());
    const bench::Spread p = bench::SpreadOf(c.program), b = bench::SpreadOf(c.baseline);
    std::printf("start-up, process start to the main window mapped: min %.3f / median %.3f / max "
                "%.3f s over %zu starts; goal at most %.1f s: %s\n",
                p.min, p.median, p.max, c.program.size(), kStartupSeconds,
                bench::Verdict(p.median <= kStartupSeconds));
    std::printf("floor, a bare Qt window: min %.3f / median %.3f / max %.3f s\n", b.min, b.median,
                b.max);
    bench::ReportRatio("start-up against the bare Qt window", c, kStartupRatio, "s", 1.0);
    // The same starts by processor time, which a busy machine disturbs far less than the clock
    // (the first, untimed start of each is left out, as above).
    bench::Comparison cpu;
    for (std::size_t i = 1; i < programCpu.size() && i < bareCpu.size(); ++i) {
        if (programCpu[i] <= 0 || bareCpu[i] <= 0) continue;
        cpu.program.push_back(programCpu[i]);
        cpu.baseline.push_back(bareCpu[i]);
        cpu.ratio.push_back(programCpu[i] / bareCpu[i]);
    }
    if (!cpu.ratio.empty())
        bench::ReportRatio("processor time to the main window mapped, against the bare Qt window",
                           cpu, kStartupRatio, "s", 1.0);
    bench::PrintLoad("after");
    return 0;
}
