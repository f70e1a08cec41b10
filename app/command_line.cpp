#include "app/command_line.h"

#include "app/exchange_jobs.h"

#include "ui/app_state.h"
#include "backup/core/backup_core.h"
#include "backup/core/disc_backup.h"
#include "burner/dwdiscwriter.h"
#include "store/database.h"
#include "report/report_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>

namespace app {

namespace {

void line(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Every option, as --help lists it: the option with its value, and what it does.
struct Option {
    const char* name;
    const char* text;
};
constexpr Option kOptions[] = {
    {"--backup FOLDER", "back up the user database and every photograph into FOLDER/QIVBackup"},
    {"--backup-disc DEVICE", "the same onto a CD or DVD in DEVICE (sr0, /dev/sr0, iscsi://...)"},
    {"--restore FOLDER", "restore a backup (FOLDER/QIVBackup, or FOLDER itself)"},
    {"--help", "show this help and exit"},
    {"--version", "show the version and exit"},
};

int usage() {
    QStringList jobs;
    for (const Option& o : kOptions)
        if (QByteArray(o.name).contains(' ')) jobs << QString::fromLatin1(o.name);
    line(QStringLiteral("usage: quivera [%1]").arg(jobs.join(QStringLiteral(" | "))));
    line(QStringLiteral("Try 'quivera --help' for more information."));
    return 2;
}

backup::BackupFiles collect(const QString& programFolder) {
    store::Connection db(store::ConnectionString(store::DatabaseKind::User, programFolder));
    store::Query q(db);
    backup::BackupFiles files;
    backup::CollectBackupFiles(q, programFolder, files);
    q.close();
    db.disconnect();
    return files;
}

// A backup's last lines: what failed and what its check found, or that it is whole. Its exit
// status: 0 only for a whole, verified backup.
int backupEnd(const QStringList& problems, const QStringList& unverified, bool whole,
              const QString& done) {
    for (const QString& p : problems)
        line(p);
    if (!unverified.isEmpty()) line(backup::VerificationMessage(unverified));
    if (!whole) {
        line(QStringLiteral("Errors occured.  Backup may not be valid."));
        return 1;
    }
    line(done);
    return 0;
}

int backUpToFolder(const QString& programFolder, const QString& target) {
    if (!QFileInfo(target).isDir()) {
        line(QStringLiteral("Could not find the folder %1").arg(target));
        return 1;
    }
    const backup::BackupFiles files = collect(programFolder);
    if (files.duplicateNames())
        line(QStringLiteral("Warning:  Distinct pictures may have the same name.  Backing up may "
                            "lose some of the pictures."));
    const qint64 needed = backup::SpaceNeeded(files);
    const QStorageInfo volume(target);
    line(QStringLiteral("%1 files, %2 needed, %3 free")
             .arg(files.entries().size())
             .arg(backup::KiloText(needed), backup::KiloText(volume.bytesAvailable())));
    if (needed >= volume.bytesAvailable()) {
        line(QStringLiteral("The drive selected does not have enough capacity to back up the "
                            "inventory."));
        return 1;
    }
    const QString folder = QDir(target).filePath(backup::kBackupFolder);
    backup::PrepareBackupFolder(folder);
    backup::FolderBackupOptions options;
    options.progress = line;
    const backup::FolderBackupReport report = backup::BackUpToFolder(files, folder, options);
    return backupEnd(report.failed, report.unverified, report.ok(),
                     QStringLiteral("Backup into %1 complete and verified.").arg(folder));
}

int backUpToDisc(const QString& programFolder, const QString& device, dw::TDiscWriter* given) {
    std::unique_ptr<dw::TDiscWriter> own;
    if (!given) own = std::make_unique<dw::TDiscWriter>();
    dw::TDiscWriter& writer = given ? *given : *own;
    backup::ConfigureForBackup(writer);
    // The writer's end is handed to this thread, which waits for it.
    std::mutex lock;
    std::condition_variable changed;
    std::function<void()> pending;
    writer.SetSynchronizer([&](std::function<void()> fn) {
        std::lock_guard<std::mutex> g(lock);
        pending = std::move(fn);
        changed.notify_all();
    });
    bool ended = false, failed = false;
    writer.SetOnWriteDone([&](void*, bool writeFailed) {
        ended = true;
        failed = writeFailed;
    });
    // Both handlers hold this function's variables: a writer that outlives it forgets them.
    struct Forget {
        dw::TDiscWriter& w;
        ~Forget() {
            w.SetOnWriteDone(nullptr);
            w.SetSynchronizer(nullptr);
        }
    } forget{writer};
    const std::string name = device.toStdString();
    if (!writer.SelectDeviceByLetter(name)) {
        writer.InitializeASPI({});
        if (!writer.SelectDeviceByLetter(name) && writer.AddDevice(name) < 0) {
            line(QStringLiteral("No disc drive %1").arg(device));
            return 1;
        }
    }
    const backup::DiscDrive drive = backup::EvaluateDisc(writer, device);
    if (!drive.burner) {
        line(QStringLiteral("The drive %1 cannot write discs").arg(device));
        return 1;
    }
    const backup::BackupFiles files = collect(programFolder);
    if (files.duplicateNames())
        line(QStringLiteral("Warning:  Distinct pictures may have the same name.  Backing up may "
                            "lose some of the pictures."));
    const qint64 needed = backup::SpaceNeeded(files);
    const backup::SpaceVerdict v =
        backup::EvaluateSpace(needed, drive.free, drive.size, true, false);
    if (!v.okEnabled) {
        line((QStringList{v.label6} + (v.label7Shown ? QStringList{v.label7} : QStringList{}) +
              (v.label8Shown ? QStringList{QStringLiteral("back up the inventory.")}
                             : QStringList{}))
                 .join(QLatin1Char(' ')));
        return 1;
    }
    if (v.label6Shown) line(v.label6 + QLatin1Char(' ') + v.label7);
    line(QStringLiteral("%1 files, %2 needed, %3 free on %4")
             .arg(files.entries().size())
             .arg(backup::KiloText(needed), backup::KiloText(drive.free), device));
    backup::DiscBackup disc(writer, programFolder);
    backup::DiscBackupReport report = disc.start(files);
    if (report.started) {
        int shown = -1;
        for (;;) {
            std::function<void()> fn;
            {
                std::unique_lock<std::mutex> g(lock);
                changed.wait_for(g, std::chrono::seconds(2), [&] { return bool(pending); });
                fn = std::move(pending);
                pending = nullptr;
            }
            if (fn) fn();
            if (ended) break;
            const quint32 size = writer.GetImageSize();
            const int percent = size ? int(100.0 * writer.GetBlocksWritten() / size) : 0;
            if (percent != shown) line(QStringLiteral("Writing: %1%").arg(percent));
            shown = percent;
        }
        if (!failed) line(QStringLiteral("Reading the disc back"));
        report = disc.finish(failed);
    }
    return backupEnd(report.problems, report.unverified, report.ok(),
                     QStringLiteral("Backup onto %1 complete and verified.").arg(device));
}

int restore(const QString& programFolder, QString source) {
    // The folder that holds the backup itself, or the one the backup was made into.
    if (!QFileInfo(QDir(source).filePath(backup::kDatabaseFile)).exists() &&
        QFileInfo(QDir(source).filePath(backup::kBackupFolder)).isDir())
        source = QDir(source).filePath(backup::kBackupFolder);
    QLockFile lock(backup::RunLockPath(programFolder));
    if (!backup::TakeRunLock(lock)) {
        line(QStringLiteral("Quivera is running on %1: close it before restoring.")
                 .arg(programFolder));
        return 1;
    }
    backup::RestoreOptions options;
    options.setSessionMarker = false;
    options.progress = line;
    const backup::RestoreReport report = backup::RestoreFromBackup(programFolder, source, options);
    if (report.refused) {
        line(report.message);
        return 1;
    }
    if (!report.failedPictures.isEmpty()) {
        line(report.message);
        for (const QString& name : report.failedPictures)
            line(QStringLiteral("  ") + name);
        return 1;
    }
    line(QStringLiteral("Restored from %1.").arg(source));
    return 0;
}

// --report-pdf OUT.pdf [--inventory NAME] [--no-photos]
int reportPdf(const QString& programFolder, const QStringList& arguments) {
    const auto usageLine = [] {
        line(QStringLiteral("usage: quivera --report-pdf OUT.pdf [--inventory NAME] "
                            "[--no-photos]"));
        return 2;
    };
    if (arguments.size() < 3 || arguments[2].startsWith(QLatin1String("--"))) return usageLine();
    const QString out = arguments[2];
    std::optional<QString> saved;
    report::ReportOptions options;
    options.programFolder = programFolder;
    for (qsizetype i = 3; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--inventory") && i + 1 < arguments.size() && !saved)
            saved = arguments[++i];
        else if (arguments[i] == QLatin1String("--no-photos") && options.photos)
            options.photos = false;
        else
            return usageLine();
    }
    store::Connection db(store::ConnectionString(store::DatabaseKind::User, programFolder));
    if (!QFileInfo(db.fileName()).isFile()) {
        line(QStringLiteral("There is no inventory file %1").arg(db.fileName()));
        return 1;
    }
    store::Query q(db);
    const QDate today = QDate::currentDate();
    const report::ReportContent content = saved ? report::ReadSavedInventory(q, *saved, today)
                                                : report::ReadWorkingInventory(q, today);
    q.close();
    db.disconnect();
    const int pages = report::SaveReportPdf(out, report::DefaultReportPageSize(), content, options);
    line(QStringLiteral("%1: %2 entries, %3 pages, written to %4")
             .arg(report::InventoryLabel(content))
             .arg(content.entryCount)
             .arg(pages)
             .arg(out));
    return 0;
}

} // namespace

namespace {
qsizetype jobAt(const QStringList& arguments) {
    const QStringList jobs{QStringLiteral("--backup"), QStringLiteral("--backup-disc"),
                           QStringLiteral("--restore"), QStringLiteral("--report-pdf")};
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (jobs.contains(arguments[i])) return i;
    return -1;
}
} // namespace

QString HelpText() {
    QString text = QStringLiteral(
        "Usage: quivera [OPTION]\n"
        "Keeps a home inventory. Without an option it opens its window; the options run a job\n"
        "without a window, report on standard error and exit with status 0 only on success.\n"
        "\n");
    for (const Option& o : kOptions)
        text += QStringLiteral("  %1%2\n")
                    .arg(QString::fromLatin1(o.name), -24)
                    .arg(QString::fromLatin1(o.text));
    text += QStringLiteral(
        "\n"
        "The program folder is $QUIVERA_HOME, else ${XDG_DATA_HOME:-~/.local/share}/quivera.\n"
        "$QUIVERA_DATA_DIR names the folder of the shipped files when they are elsewhere.\n");
    return text;
}

QString VersionText() {
    return QStringLiteral("quivera %1\n").arg(QStringLiteral(QUIVERA_VERSION));
}

std::optional<int> RunInformationOption(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h") ||
            a == QLatin1String("--version")) {
            const QString text = a == QLatin1String("--version") ? VersionText() : HelpText();
            std::fputs(text.toLocal8Bit().constData(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return std::nullopt;
}

bool NamesCommandLineJob(const QStringList& arguments) {
    return jobAt(arguments) > 0 || NamesExchangeJob(arguments);
}

bool CommandLineJobDraws(const QStringList& arguments) {
    return arguments.size() > 1 && arguments[1] == QLatin1String("--report-pdf");
}

std::optional<int> RunCommandLineJob(const QStringList& arguments, dw::TDiscWriter* writer) {
    if (const std::optional<int> exchanged = RunExchangeJob(arguments)) return exchanged;
    const qsizetype at = jobAt(arguments);
    if (at < 0) return std::nullopt;
    if (CommandLineJobDraws(arguments)) {
        try {
            return reportPdf(ProgramFolderFrom(QDir::currentPath()), arguments);
        } catch (const std::exception& e) {
            line(QString::fromUtf8(e.what()));
            return 1;
        }
    }
    if (arguments.size() != 3 || at != 1) return usage();
    const QString job = arguments[1];
    const QString value = arguments[2];
    const QString programFolder = ProgramFolderFrom(QDir::currentPath());
    try {
        if (job == QLatin1String("--backup")) return backUpToFolder(programFolder, value);
        if (job == QLatin1String("--restore")) return restore(programFolder, value);
        return backUpToDisc(programFolder, value, writer);
    } catch (const std::exception& e) {
        line(QString::fromUtf8(e.what()));
        return 1;
    }
}

} // namespace app
