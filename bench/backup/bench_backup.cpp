// A folder backup of an inventory with many photographs, against `cp` of the same files in the
// same run. Usage: bench_backup [PHOTOS [MEBIBYTES_EACH [WORK_FOLDER]]] (default 500, 2, $TMPDIR).
// Prints the backup's time without its check against cp's, and the check's time against reading
// the copies once more.
#include "backup/core/backup_core.h"
#include "bench/bench_support.h"
#include "store/database.h"
#include "store/stored_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

namespace {

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

    const int rounds = 3;
    qint64 cp = -1, ours = -1, check = -1, reread = -1, rereadCopies = -1;
    for (int r = 0; r < rounds; ++r) {
        fresh();
        // The same files and the same end state: everything written out to the medium.
        QStringList cpArgs{QStringLiteral("-r"), photos, home + QStringLiteral("QIVUser.mdb"),
                           dest};
        const qint64 c = runNs(QStringLiteral("cp"), cpArgs) +
                         runNs(QStringLiteral("sync"), {QStringLiteral("-f"), dest});
        if (cp < 0 || c < cp) cp = c;

        fresh();
        const QString folder = dest + QStringLiteral("/QIVBackup");
        backup::PrepareBackupFolder(folder);
        backup::FolderBackupOptions options;
        options.verify = true;
        QElapsedTimer t;
        qint64 copyNs = 0;
        options.progress = [&](const QString& line) {
            if (line.startsWith(QStringLiteral("Verifying"))) copyNs = t.nsecsElapsed();
        };
        t.start();
        const auto report = backup::BackUpToFolder(files, folder, options);
        const qint64 all = t.nsecsElapsed();
        if (!report.ok()) std::fprintf(stderr, "backup not whole\n");
        // The copy ends when its data are on the medium, as cp's did after sync.
        const qint64 syncNs = runNs(QStringLiteral("sync"), {QStringLiteral("-f"), folder});
        if (ours < 0 || copyNs + syncNs < ours) ours = copyNs + syncNs;
        if (check < 0 || all - copyNs < check) check = all - copyNs;
        QStringList copies, sources;
        for (const auto& f : files.entries()) {
            copies << (f.database ? folder + QStringLiteral("/QIVUser.mdb")
                                  : folder + QStringLiteral("/Pictures/") + f.name);
            sources << f.path();
        }
        auto readAll = [](const QStringList& paths) {
            QElapsedTimer rt;
            rt.start();
            QByteArray buffer(1 << 20, Qt::Uninitialized);
            for (const QString& path : paths) {
                QFile f(path);
                f.open(QIODevice::ReadOnly);
                while (f.read(buffer.data(), buffer.size()) > 0) {
                }
            }
            return rt.nsecsElapsed();
        };
        const qint64 rc = readAll(copies);
        const qint64 rr = rc + readAll(sources);
        if (rereadCopies < 0 || rc < rereadCopies) rereadCopies = rc;
        if (reread < 0 || rr < reread) reread = rr;
    }
    QDir(dest).removeRecursively();
    std::printf("cp -r + sync:                   %8.1f ms\n", double(cp) / 1e6);
    std::printf("backup without its check:      %8.1f ms  ratio %.2f (goal <= 1.10)\n",
                double(ours) / 1e6, double(ours) / double(cp));
    std::printf("check of the backup:           %8.1f ms\n", double(check) / 1e6);
    // The check compares each copy with its source, so both are read once more.
    std::printf("reading sources and copies:    %8.1f ms  ratio %.2f (goal <= 1.00)\n",
                double(reread) / 1e6, double(check) / double(reread));
    std::printf("reading the copies alone:      %8.1f ms  ratio %.2f\n", double(rereadCopies) / 1e6,
                double(check) / double(rereadCopies));
    return 0;
}
