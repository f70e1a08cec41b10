// A folder backup of an inventory with many photographs, against `cp` of the same files in the
// same run. Usage: bench_backup [PHOTOS [MEBIBYTES_EACH [WORK_FOLDER]]] (default 500, 2, $TMPDIR).
// Rounds of cp and of the backup alternate; prints, per goal, the medians and the min / median /
// max of the per-round ratios with PASS or FAIL: the backup without its check against cp's time
// (goal 1.1 x), and the check against reading the backup's files once more from the medium
// (goal 1.0 x).
#include "backup/core/backup_core.h"
#include "backup/core/content_hash.h"
#include "bench/bench_support.h"
#include "store/database.h"
#include "store/stored_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

// How much of the recent time some task of this machine waited for a disk (the kernel's pressure
// figures, in percent), printed with the load: a busy disk slows the baselines and the backup alike
// but widens the spread of their ratios.
void PrintDiskPressure(const char* when) {
    if (FILE* f = std::fopen("/proc/pressure/io", "r")) {
        double ten = 0, sixty = 0;
        if (std::fscanf(f, "some avg10=%lf avg60=%lf", &ten, &sixty) == 2)
            std::printf("disk pressure %s: some task waited %.1f %% of the last 10 s, %.1f %% of "
                        "the last 60 s\n",
                        when, ten, sixty);
        std::fclose(f);
    }
}

// The content hash's own rate in GB/s: over pieces of the size the copy and the check hand it
// (already in the processor's cache), and over a block far larger than the caches.
void PrintHashRate() {
    auto rate = [](const QByteArray& bytes, qsizetype piece, int passes) {
        QElapsedTimer t;
        t.start();
        quint64 sum = 0;
        for (int p = 0; p < passes; ++p) {
            backup::ContentHash h;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                h.add(bytes.constData() + at, size_t(std::min(piece, bytes.size() - at)));
            sum += h.value();
        }
        bench::sink = bench::sink + qint64(sum);
        return double(bytes.size()) * passes / double(t.nsecsElapsed());
    };
    const QByteArray piece(256 * 1024, 'p');
    QByteArray large(512 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); i += 4096)
        large[i] = char(i >> 12);
    rate(large, large.size(), 1); // the pages made before timing
    std::printf("content hash: %.1f GB/s in the cache, %.1f GB/s from memory\n",
                rate(piece, piece.size(), 4000), rate(large, large.size(), 2));
}

qint64 runNs(const QString& program, const QStringList& arguments) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(-1);
    if (p.exitCode() != 0) std::fprintf(stderr, "%s failed\n", qPrintable(program));
    return t.nsecsElapsed();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Before this program writes its photographs: what other programs do to the disk.
    PrintDiskPressure("at the start");
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 500;
    const qint64 each = (args.size() > 2 ? args[2].toLongLong() : 2) << 20;
    QTemporaryDir work(args.size() > 3 ? args[3] + QStringLiteral("/bench_backup-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/bench_backup-XXXXXX"));
    const QString root = work.path() + QLatin1Char('/');
    const QString photos = root + QStringLiteral("photos/");
    const QString home = root + QStringLiteral("home/");
    QDir().mkpath(photos);
    QDir().mkpath(home);
    QFile::copy(QStringLiteral(QUIVERA_DIST_DIR) + QStringLiteral("/QIVUser.mdb"),
                home + QStringLiteral("QIVUser.mdb"));
    QFile(home + QStringLiteral("QIVUser.mdb"))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The photographs: incompressible bytes, each file different.
    std::mt19937_64 random(42);
    QByteArray bytes(each, Qt::Uninitialized);
    for (qsizetype i = 0; i + 8 <= bytes.size(); i += 8) {
        const quint64 v = random();
        std::memcpy(bytes.data() + i, &v, 8);
    }
    {
        store::Connection db(store::ConnectionString(store::DatabaseKind::User, home));
        store::Query q(db);
        db.transaction([&] {
            for (int i = 1; i <= count; ++i) {
                const QString path =
                    photos + QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
                std::memcpy(bytes.data(), &i, sizeof i);
                QFile f(path);
                f.open(QIODevice::WriteOnly);
                f.write(bytes);
                q.execute({QStringLiteral("INSERT INTO Inventory (ID_Number, Item_Name, "
                                          "Item_Photo_Name) VALUES (%1, 'Item', '%2')")
                               .arg(i)
                               .arg(store::ToStoredText(path))});
            }
        });
        q.close();
        db.disconnect();
    }
    std::printf("%d photographs of %lld MiB in %s\n", count, each >> 20, qPrintable(root));

    backup::BackupFiles files;
    {
        store::Connection db(store::ConnectionString(store::DatabaseKind::User, home));
        store::Query q(db);
        backup::CollectBackupFiles(q, home, files);
        q.close();
    }
    const QString dest = root + QStringLiteral("dest");
    auto fresh = [&] {
        QDir(dest).removeRecursively();
        QDir().mkpath(dest);
        runNs(QStringLiteral("sync"), {QStringLiteral("-f"), root});
    };

    const QString folder = dest + QStringLiteral("/QIVBackup");
    QStringList copies;
    for (const auto& f : files.entries())
        copies << (f.database ? folder + QStringLiteral("/QIVUser.mdb")
                              : folder + QStringLiteral("/Pictures/") + f.name);
    // The check's baseline: each copy read once from the medium (what the system holds of them
    // in memory let go first, as the check does), the best plain way: into a buffer of the
    // check's own size, the next file asked for ahead while one is read, as the check does.
    auto advise = [](const QString& path, int advice) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        ::posix_fadvise(fd, 0, 0, advice);
        ::close(fd);
    };
    auto readAll = [&](const QStringList& paths) {
        QElapsedTimer rt;
        rt.start();
        for (const QString& path : paths)
            advise(path, POSIX_FADV_DONTNEED);
        std::vector<char> buffer(256 * 1024);
        for (qsizetype i = 0; i < paths.size(); ++i) {
            if (i + 1 < paths.size()) advise(paths[i + 1], POSIX_FADV_WILLNEED);
            const int fd = ::open(QFile::encodeName(paths[i]).constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            ssize_t n;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
                bench::sink = bench::sink + buffer[size_t(n) - 1];
            ::close(fd);
        }
        return double(rt.nsecsElapsed());
    };
    // cp of the same files to the same end state: everything written out to the medium.
    auto copyByCp = [&] {
        fresh();
        QStringList cpArgs{QStringLiteral("-r"), photos, home + QStringLiteral("QIVUser.mdb"),
                           dest};
        return double(runNs(QStringLiteral("cp"), cpArgs) +
                      runNs(QStringLiteral("sync"), {QStringLiteral("-f"), dest}));
    };
    // The backup; its copy ends when its data are on the medium (it syncs them itself), as cp's
    // did after sync. Then its check, timed to `checkNs`, and reading the copies once more (the
    // check's baseline), timed to `rereadNs`, in alternating order.
    double checkNs = 0, rereadNs = 0;
    int backups = 0;
    auto copyByBackup = [&] {
        fresh();
        backup::PrepareBackupFolder(folder);
        backup::FolderBackupOptions options;
        options.verify = false;
        QElapsedTimer t;
        t.start();
        const auto report = backup::BackUpToFolder(files, folder, options);
        const double copyNs = double(t.nsecsElapsed());
        if (!report.ok()) std::fprintf(stderr, "backup not whole\n");
        auto checkBackup = [&] {
            QElapsedTimer ct;
            ct.start();
            const QStringList bad = backup::CheckWrittenFiles(report.written);
            checkNs = double(ct.nsecsElapsed());
            if (!bad.isEmpty()) std::fprintf(stderr, "backup not verified\n");
        };
        if (++backups % 2 == 0) {
            checkBackup();
            rereadNs = readAll(copies);
        } else {
            rereadNs = readAll(copies);
            checkBackup();
        }
        return copyNs;
    };

    PrintHashRate();
    bench::PrintLoad("before");
    PrintDiskPressure("before");
    const int rounds = 9;
    // Each backup round also times its check against reading the copies once more.
    bench::Comparison check;
    const bench::Comparison copy = bench::Interleaved(rounds, copyByCp, [&] {
        const double ns = copyByBackup();
        check.baseline.push_back(rereadNs);
        check.program.push_back(checkNs);
        check.ratio.push_back(checkNs / rereadNs);
        return ns;
    });
    // The warm-up round's check is not counted.
    check.baseline.erase(check.baseline.begin());
    check.program.erase(check.program.begin());
    check.ratio.erase(check.ratio.begin());
    QDir(dest).removeRecursively();
    const bool copyPass =
        bench::ReportRatio("folder backup without its check, against cp -r and sync", copy, 1.1);
    // The check reads each copy once from the medium and compares its hash with the one taken
    // while copying; the sources are not read again.
    const bool checkPass = bench::ReportRatio(
        "check of the backup, against reading the backup's files once more", check, 1.0);
    // Round by round, so that a round disturbed by another program's use of the disk shows.
    for (const bench::Comparison* c : {&copy, static_cast<const bench::Comparison*>(&check)}) {
        std::printf("%s, round by round:", c == &copy ? "backup / cp" : "check / reading");
        for (const double r : c->ratio)
            std::printf(" %.2f", r);
        std::printf("\n");
    }
    // The medium's read rate in the check's baseline, round by round.
    std::vector<double> rates;
    qint64 total = 0;
    for (const auto& f : files.entries())
        total += QFileInfo(f.path()).size();
    for (const double ns : check.baseline)
        rates.push_back(double(total) / ns * 1e3);
    const bench::Spread rate = bench::SpreadOf(rates);
    std::printf("the medium read the backup at %.0f / %.0f / %.0f MB/s (min / median / max)\n",
                rate.min, rate.median, rate.max);
    bench::PrintLoad("after");
    PrintDiskPressure("after");
    std::printf("backup goals: %s\n", bench::Verdict(copyPass && checkPass));
    return 0;
}
