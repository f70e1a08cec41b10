// Kills the inventory driver with SIGKILL at random moments, over and over, on one user
// database: after every kill the database is sound, every save the driver finished is whole
// (and one cut short left the old or the new inventory, nothing in between), the working
// inventory is numbered without gaps, and the next start finds the run's marker.
#include "contents.h"
#include "store/database.h"
#include "store/schema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kMaxKills = 40;
constexpr int kMinKills = 30;
constexpr qint64 kTimeBudgetMs = 30000;

void CreateUserDatabase(const QString& folder) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((folder + QStringLiteral("QIVUser.mdb")).toUtf8().constData(), &raw,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    store::Connection db(store::ConnectionString(store::DatabaseKind::User, folder));
    store::Query q(db);
    for (const QString& ddl : store::UserDatabaseDdl())
        q.execute(QStringList{ddl});
    q.execute({QStringLiteral("INSERT INTO Inventory VALUES (0, '', 0, '', 0, '', 0, 0, 0, 0, "
                              "'', '')")});
    q.execute({QStringLiteral("INSERT INTO Current_Table VALUES (1, '')")});
    for (const QString& t : store::UserDatabaseTableNames())
        q.execute({QStringLiteral("INSERT INTO Prohibited VALUES ('%1')").arg(t)});
}

// What the log says about each saved inventory: the contents of its last finished save, and
// those of saves begun since (cut short, they may or may not have taken effect).
struct SaveState {
    bool finished = false;
    std::pair<int, uint64_t> last;
    std::set<std::pair<int, uint64_t>> begun;
};

struct LogReading {
    std::map<QString, SaveState> saves;
    std::vector<int> startMarkers; // per run: 1 when its start found the marker
    std::vector<bool> ready;       // per run: its marker was in place
    int savesFinished = 0;
    int savesCutShort = 0;
};

LogReading ReadLog(const QString& path) {
    LogReading r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return r;
    std::map<QString, std::pair<int, uint64_t>> pending;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QStringList w = QString::fromUtf8(raw).split(QLatin1Char(' '));
        if (w[0] == QLatin1String("start") && w.size() == 2) {
            r.startMarkers.push_back(w[1].toInt());
            r.ready.push_back(false);
            pending.clear();
        } else if (w[0] == QLatin1String("ready") && !r.ready.empty()) {
            r.ready.back() = true;
        } else if (w[0] == QLatin1String("saving") && w.size() == 4) {
            const std::pair<int, uint64_t> c{w[2].toInt(), w[3].toULongLong()};
            r.saves[w[1]].begun.insert(c);
            pending[w[1]] = c;
            ++r.savesCutShort; // until its "saved" line is read
        } else if (w[0] == QLatin1String("saved") && w.size() == 2 && pending.count(w[1])) {
            SaveState& s = r.saves[w[1]];
            s.finished = true;
            s.last = pending[w[1]];
            s.begun.clear();
            pending.erase(w[1]);
            --r.savesCutShort;
            ++r.savesFinished;
        }
    }
    return r;
}

// Runs the driver; returns its process id.
pid_t StartDriver(const QString& folder, unsigned seed, const QString& log, const QString& err) {
    const QByteArray f = folder.toLocal8Bit(), s = QByteArray::number(seed), l = log.toLocal8Bit(),
                     e = err.toLocal8Bit();
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* out = std::freopen(e.constData(), "a", stderr);
        (void)out;
        execl(KILL_DRIVER, KILL_DRIVER, f.constData(), s.constData(), l.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

size_t ReadyCount(const QString& log) {
    QFile f(log);
    return f.open(QIODevice::ReadOnly) ? size_t(f.readAll().count("ready\n")) : 0;
}

// Waits (up to ten seconds) until the driver's run has logged its marker, or has stopped.
void WaitForReady(const QString& log, size_t readyBefore, pid_t pid) {
    for (int i = 0; i < 1000 && ReadyCount(log) == readyBefore; ++i) {
        siginfo_t info{};
        if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0)
            return;
        usleep(10000);
    }
}

// Everything that must hold after a kill; `run` counts the kills.
void CheckAfterKill(const QString& folder, const LogReading& log, int run) {
    store::Connection db(store::ConnectionString(store::DatabaseKind::User, folder));
    store::Query q(db);
    // Opening for writing rolls back what the killed run left half done.
    q.open({QStringLiteral("PRAGMA integrity_check")});
    ASSERT_EQ(q.text(0), QStringLiteral("ok"));
    q.close();

    // No run ends its session, so once one had its marker in place it stays.
    if (std::find(log.ready.begin(), log.ready.end(), true) != log.ready.end()) {
        q.open({QStringLiteral("SELECT COUNT(*) FROM Master_Table WHERE Table_Names = "
                               "'Inventory'")});
        EXPECT_EQ(q.integer(0), 1) << "the run's marker is gone after kill " << run;
        q.close();
    }

    q.open({QStringLiteral("SELECT COUNT(*), COALESCE(MIN(ID_Number), 1), "
                           "COALESCE(MAX(ID_Number), 0) FROM Inventory WHERE ID_Number > 0")});
    EXPECT_EQ(q.integer(1), 1);
    EXPECT_EQ(q.integer(2), q.integer(0)) << "entries are not numbered 1 to N";
    q.close();
    q.open({QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number = 0")});
    EXPECT_EQ(q.integer(0), 1) << "the header row is missing or doubled";
    q.close();

    for (const auto& [name, state] : log.saves) {
        q.open({QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                               "name = '%1'")
                    .arg(name)});
        const bool exists = q.integer(0) == 1;
        q.close();
        if (!exists) {
            EXPECT_FALSE(state.finished) << "finished save of " << name.toStdString() << " lost";
            continue;
        }
        const kill_test::Contents c = kill_test::ReadContents(q, name);
        const std::pair<int, uint64_t> found{c.entries, c.digest};
        const bool whole = (state.finished && found == state.last) || state.begun.count(found);
        EXPECT_TRUE(whole) << "saved inventory " << name.toStdString() << " holds " << c.entries
                           << " entries that no save wrote (after kill " << run << ")";
    }
}

} // namespace

TEST(KillTest, SavesStayWholeAndTheMarkerStaysWhenTheProgramIsKilled) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    CreateUserDatabase(folder);
    const QString log = folder + QStringLiteral("driver.log");
    const QString err = folder + QStringLiteral("driver.err");

    const char* seedText = std::getenv("QUIVERA_KILL_SEED");
    const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : 16u;
    std::mt19937 rng(seed);
    std::printf("kill test seed %u (set QUIVERA_KILL_SEED to repeat another)\n", seed);

    QElapsedTimer clock;
    clock.start();
    int kills = 0;
    while (kills < kMaxKills && !(kills >= kMinKills && clock.elapsed() > kTimeBudgetMs)) {
        const size_t readyBefore = ReadyCount(log);
        const pid_t pid = StartDriver(folder, seed * 1000 + unsigned(kills), log, err);
        ASSERT_GT(pid, 0);
        // Mostly somewhere in the middle of a run, counted from its marker being in place (a
        // busy machine may take a while to start it); now and then during its start.
        if (rng() % 5 == 0) {
            usleep((rng() % 40) * 1000);
        } else {
            WaitForReady(log, readyBefore, pid);
            usleep((rng() % 500) * 1000);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0)
            << "the driver stopped by itself:\n"
            << [&] {
                   QFile f(err);
                   return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
               }();
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const LogReading reading = ReadLog(log);
        CheckAfterKill(folder, reading, kills);
        ++kills;
        if (::testing::Test::HasFailure()) break;
    }

    const LogReading reading = ReadLog(log);
    // Every start after a run that had its marker in place found it.
    for (size_t run = 1; run < reading.startMarkers.size(); ++run) {
        if (reading.ready[run - 1]) {
            EXPECT_EQ(reading.startMarkers[run], 1) << "run " << run << " found no marker";
        }
    }
    EXPECT_GE(kills, kMinKills);
    EXPECT_GT(reading.savesFinished, 0) << "the driver never finished a save";
    std::printf("%d kills in %lld ms; %d saves finished, %d cut short\n", kills,
                static_cast<long long>(clock.elapsed()), reading.savesFinished,
                reading.savesCutShort);
}
