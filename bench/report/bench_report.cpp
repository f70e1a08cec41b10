// The insurance report of a large inventory with photographs, made by the program from its
// command line in a child process: wall time and the child's peak resident memory against the
// goals. The photographs are written by this program; the entries go in through the program's
// own entry statements.
//
//   bench_report [entries [photographs [width height]]]
//   (default 2000 entries over 20 photographs of 2048 x 1536)
#include "bench/bench_photographs.h"
#include "bench/bench_support.h"

#include "entries/entry_store.h"
#include "entries/tab_table.h"
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

namespace {

constexpr double kTimeGoalSeconds = 30;
constexpr double kMemoryGoalMb = 300;

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(600000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

int main(int argc, char** argv) {
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
                e.photo = photos[i % distinct];
                store.add(e);
            }
        });
        q.close();
        db.disconnect();
    }
    std::printf("%d entries, each with a photograph\n", count);

    const QString out = folder.file(QStringLiteral("report.pdf"));
    QProcess job;
    job.setProgram(QStringLiteral(QUIVERA_EXECUTABLE));
    job.setArguments({QStringLiteral("--report-pdf"), out});
    job.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUIVERA_HOME"), folder.path());
    job.setProcessEnvironment(env);
    job.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    job.start();
    job.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage); // the only child so far: the program
    const double peakMb = double(usage.ru_maxrss) / 1024.0;
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    double load = 0;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = 0;
        std::fclose(f);
    }
    if (job.exitStatus() != QProcess::NormalExit || job.exitCode() != 0) {
        std::printf("FAIL: the program ended with status %d\n", job.exitCode());
        return 1;
    }

    const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                          .match(Tool(QStringLiteral("pdfinfo"), {out}))
                          .captured(1)
                          .toInt();
    const QStringList rows = Tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const int images = int(std::max<qsizetype>(0, rows.size() - 2));
    std::printf("report: %d pages, %d images, %.1f MB\n", pages, images,
                double(QFile(out).size()) / 1e6);
    const bool whole = images == count;
    if (!whole) std::printf("FAIL: %d photographs expected in the report\n", count);
    const bool fast = seconds < kTimeGoalSeconds;
    const bool small = peakMb < kMemoryGoalMb;
    // On a shared machine the wall time follows the load; the processor time shows the work.
    std::printf("processor time %.2f s; load average %.1f on %d processors\n", cpu, load,
                QThread::idealThreadCount());
    std::printf("time %.2f s (goal under %.0f s): %s\n", seconds, kTimeGoalSeconds,
                fast ? "PASS" : "FAIL");
    std::printf("peak resident %.1f MB (goal under %.0f MB): %s\n", peakMb, kMemoryGoalMb,
                small ? "PASS" : "FAIL");
    return whole && fast && small ? 0 : 1;
}
