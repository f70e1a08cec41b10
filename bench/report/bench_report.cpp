// The insurance report of a large inventory with photographs, made by the program from its
// command line in a child process: wall time and the child's peak resident memory against the
// goals. The photographs are written by this program; the entries go in through the program's
// own entry statements. Every entry has a photograph of its own name (hard links to a few
// written pictures, so the files stay few while each entry's photograph is read and cached as a
// separate one, as in a real inventory).
//
// Two reports in one run: the first with no renditions (each photograph decoded from its file,
// and its rendition written on the way), and one once the renditions exist, made beforehand by
// the call the program makes when a photograph is chosen (timed apart, not part of the report).
// Both are judged against the goals.
//
//   bench_report [entries [photographs [width height]]]
//   (default 2000 entries over 20 pictures of 2048 x 1536; 4000 3000 for a 12 MP camera's)
#include "bench/bench_photographs.h"
#include "bench/bench_support.h"

#include "entries/entry_store.h"
#include "entries/tab_table.h"
#include "pictures/rendition_cache.h"
#include "store/database.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kTimeGoalSeconds = 30;
constexpr double kMemoryGoalMb = 300;

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(600000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

double LoadAverage() {
    double load = 0;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = 0;
        std::fclose(f);
    }
    return load;
}

struct Run {
    bool ok = false;
    double seconds = 0, cpu = 0, peakMb = 0;
};

// `quivera --report-pdf OUT` in the program folder, with that child's own resource use.
Run ReportRun(const QString& folder, const QString& out) {
    const QByteArray home = QFile::encodeName(folder);
    const QByteArray file = QFile::encodeName(out);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QUIVERA_HOME", home.constData(), 1);
        if (::chdir(home.constData()) != 0) ::_exit(127);
        ::execl(QUIVERA_EXECUTABLE, QUIVERA_EXECUTABLE, "--report-pdf", file.constData(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

int CacheFiles(const QString& folder) {
    return int(QDir(pictures::RenditionFolder(folder)).entryList(QDir::Files).size());
}

// The report's figures, checked whole, with PASS or FAIL against the goals; true when whole and
// within them.
bool Print(const char* title, const Run& run, const QString& out, int count) {
    std::printf("\n== %s\n", title);
    if (!run.ok) {
        std::printf("FAIL: the program did not make the report\n");
        return false;
    }
    const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                          .match(Tool(QStringLiteral("pdfinfo"), {out}))
                          .captured(1)
                          .toInt();
    const QStringList rows = Tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int images = int(std::max<qsizetype>(0, rows.size() - 2));
    const QStringList first =
        rows.size() > 2 ? rows[2].simplified().split(QLatin1Char(' ')) : QStringList();
    std::printf("report: %d pages, %d images (the first %s x %s pixels), %.1f MB\n", pages, images,
                qPrintable(first.value(3)), qPrintable(first.value(4)),
                double(QFile(out).size()) / 1e6);
    const bool whole = images == count;
    if (!whole) std::printf("FAIL: %d photographs expected in the report\n", count);
    // On a shared machine the wall time follows the load; the processor time shows the work.
    std::printf("processor time %.2f s; load average %.1f on %d processors\n", run.cpu,
                LoadAverage(), QThread::idealThreadCount());
    const bool fast = run.seconds < kTimeGoalSeconds;
    const bool small = run.peakMb < kMemoryGoalMb;
    std::printf("time %.2f s (goal under %.0f s): %s\n", run.seconds, kTimeGoalSeconds,
                fast ? "PASS" : "FAIL");
    std::printf("peak resident %.1f MB (goal under %.0f MB): %s\n", run.peakMb, kMemoryGoalMb,
                small ? "PASS" : "FAIL");
    return whole && fast && small;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (QByteArray(argv[1]) == "--help" || QByteArray(argv[1]) == "-h")) {
        std::printf("usage: bench_report [entries [photographs [width height]]]\n"
                    "  default 2000 entries over 20 pictures of 2048 x 1536 (3 MP);\n"
                    "  4000 3000 for a 12 MP camera's. The first report has no renditions, the\n"
                    "  second reads them; both are judged against the goals (%.0f s, %.0f MB).\n",
                    kTimeGoalSeconds, kMemoryGoalMb);
        return 0;
    }
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int distinct = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, count) : 20;
    const int width = argc > 4 ? std::max(16, std::atoi(argv[3])) : 2048;
    const int height = argc > 4 ? std::max(16, std::atoi(argv[4])) : 1536;
    testing_support::EnsureApplication();
    testing_support::ProgramFolder folder;

    std::printf("writing %d photographs of %d x %d ...\n", distinct, width, height);
    QDir(folder.path()).mkdir(QStringLiteral("Pictures"));
    QStringList photos;
    qint64 bytes = 0;
    for (int i = 0; i < distinct; ++i) {
        const QString f = folder.file(QStringLiteral("Pictures/photo%1.jpg").arg(i));
        bench::Photograph(width, height, quint32(i)).save(f, "JPG", 90);
        bytes += QFile(f).size();
        photos << f;
    }
    std::printf("%.1f MB of photographs\n", double(bytes) / 1e6);
    // One name for each entry's photograph, all on the same few files.
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const QString f = folder.file(QStringLiteral("Pictures/entry%1.jpg").arg(i + 1));
        if (::link(QFile::encodeName(photos[i % distinct]).constData(),
                   QFile::encodeName(f).constData()) != 0) {
            std::printf("FAIL: cannot link %s\n", qPrintable(f));
            return 1;
        }
        names << f;
    }

    {
        store::Connection db(store::ConnectionString(store::DatabaseKind::User, folder.path()));
        store::Query q(db);
        int counter = 0;
        entries::EntryStore store(db, q, counter);
        const auto& tabs = entries::TabTable();
        QRandomGenerator random(7);
        db.transaction([&] {
            for (int i = 0; i < count; ++i) {
                const auto& tab = tabs[i % entries::kTabCount];
                entries::NewEntry e;
                e.subInventory = tab.subInventoryText();
                e.subInventoryNumber = tab.number;
                e.category = QStringLiteral("Category %1").arg(i % 9);
                e.item = QStringLiteral("Item number %1").arg(i + 1);
                e.itemNumber = -1;
                e.count = 1 + random.bounded(4);
                e.cost = double(random.bounded(1, 500000)) / 100.0;
                e.notes = QStringLiteral("~Brand: Maker %1  Serial Number: SN%2  Purchase "
                                         "Date: 2019-05-%3~`~Bought in town~")
                              .arg(i % 13)
                              .arg(100000 + i)
                              .arg(1 + i % 28);
                e.photo = names[i];
                store.add(e);
            }
        });
        q.close();
        db.disconnect();
    }
    std::printf("%d entries, each with a photograph\n", count);

    const QString out = folder.file(QStringLiteral("report.pdf"));
    const Run cold = ReportRun(folder.path(), out);
    const bool coldPass = Print(
        "the first report: no renditions, each photograph decoded from its file", cold, out, count);
    std::printf("renditions written on the way: %d\n", CacheFiles(folder.path()));

    // The renditions as the program makes them when a photograph is chosen: in the background.
    QDir(pictures::RenditionFolder(folder.path())).removeRecursively();
    QElapsedTimer making;
    making.start();
    pictures::MakeRenditionsLater(folder.path(), names);
    pictures::WaitForRenditions();
    const double made = double(making.nsecsElapsed()) / 1e9;
    const int renditions = CacheFiles(folder.path());
    std::printf("\n%d renditions made in the background in %.1f s: %.1f ms a photograph "
                "(not part of the report)\n",
                renditions, made, 1000.0 * made / std::max(1, renditions));

    const Run warm = ReportRun(folder.path(), out);
    const bool warmPass = Print("the report once the renditions exist", warm, out, count);
    const bool reused = CacheFiles(folder.path()) == renditions;
    if (!reused) std::printf("FAIL: the report wrote renditions although they existed\n");
    std::printf("\nreport goals: first report %s, with renditions %s\n", coldPass ? "PASS" : "FAIL",
                warmPass && reused ? "PASS" : "FAIL");
    return coldPass && warmPass && reused ? 0 : 1;
}
