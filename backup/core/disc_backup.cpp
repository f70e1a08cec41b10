#include "backup/core/disc_backup.h"

#include "burner/dwdiscwriter.h"
#include "burner/dwscsilib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace backup {

namespace {

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

QString fromUtf16(const std::u16string& s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

dw::TFileEntry* child(dw::TDirEntry* dir, const QString& name) {
    if (!dir) return nullptr;
    for (dw::TFileEntry* e = dir->firstChild; e; e = e->next)
        if (fromUtf16(e->longName) == name) return e;
    return nullptr;
}

} // namespace

void ConfigureForBackup(dw::TDiscWriter& writer) {
    writer.SetVolumeID("QIV Backup");
    writer.SetUDFBridge(false);
    writer.SetJolietFileSystem(true);
    writer.SetBurnProof(true);
    writer.SetTestWrite(false);
    writer.SetFinalizeDisc(false);
}

DiscDrive EvaluateDisc(dw::TDiscWriter& writer, const QString& letter) {
    DiscDrive d;
    if (!writer.SelectDeviceByLetter(utf8(letter)) || !writer.DeviceIsBurner()) return d;
    d.burner = true;
    if (writer.TestUnitReady()) {
        // The kind of medium first: a rewritable disc counts as writable whatever it holds.
        writer.DiscIs();
        d.free = qint64(writer.GetFreeBlocksOnDisc()) * 2048;
        d.size = qint64(writer.GetTotalBlocksOnDisc()) * 2048;
    }
    return d;
}

DiscBackup::DiscBackup(dw::TDiscWriter& writer, QString programFolder)
    : writer_(writer), programFolder_(std::move(programFolder)) {}

void DiscBackup::cleanUp() {
    QFile::remove(tempFolder() + QLatin1Char('/') + kDatabaseFile);
    QDir().rmdir(tempFolder());
    writer_.UnlockMedium();
}

DiscBackupReport DiscBackup::start(const BackupFiles& files) {
    DiscBackupReport r;
    sources_.clear();
    writer_.LockMedium();
    writer_.ClearAll();
    if (!writer_.CreateDir("/", utf8(kBackupFolder)) ||
        !writer_.CreateDir("/" + utf8(kBackupFolder), utf8(kPicturesFolder))) {
        r.failed = true;
        r.problems << QStringLiteral("Could not make the folders of the disc.");
    }
    const std::string pictures = "/" + utf8(kBackupFolder) + "/" + utf8(kPicturesFolder);
    for (const BackupFile& f : files.entries()) {
        if (f.database) {
            // A consistent copy, whatever the program does to the database during the burn.
            const QString copy = tempFolder() + QLatin1Char('/') + kDatabaseFile;
            try {
                if (!QDir().mkpath(tempFolder()))
                    throw BackupError(
                        QStringLiteral("Could not create %1").arg(tempFolder()).toStdString());
                CopyDatabase(f.path(), copy);
                if (!writer_.InsertFile("/" + utf8(kBackupFolder), utf8(copy)))
                    throw BackupError(
                        QStringLiteral("Could not put %1 on the disc").arg(copy).toStdString());
                sources_.emplace_back(kDatabaseFile, copy);
            } catch (const BackupError& e) {
                r.failed = true;
                r.problems << QString::fromUtf8(e.what());
            }
        } else if (writer_.InsertFile(pictures, utf8(f.path()))) {
            // On a disc the name comes from the file itself.
            sources_.emplace_back(QFileInfo(f.path()).fileName(), f.path());
        } else {
            r.failed = true;
            r.problems << QStringLiteral("Could not put %1 on the disc").arg(f.path());
        }
    }
    // Nothing is burnt after an error: the disc would hold a backup that is known to be
    // incomplete, and the clean-up below would take away a file the burn still reads.
    if (!r.failed && writer_.Prepare() == 0) {
        r.failed = true;
        r.problems << QString::fromStdString(writer_.GetErrorString(writer_.GetErrorNumber()));
    }
    if (!r.failed) {
        running_ = true;
        if (writer_.Burn()) {
            r.started = true;
            return r;
        }
        r.problems << QString::fromStdString(writer_.GetErrorString(writer_.GetErrorNumber()));
        r.failed = true;
        // A start abandoned after the threads ran has reported its end already.
        if (!running_) {
            r.ignored = true;
            return r;
        }
        running_ = false;
    }
    cleanUp();
    return r;
}

DiscBackupReport DiscBackup::finish(bool writeFailed, bool verifyDisc) {
    DiscBackupReport r;
    if (!running_) {
        r.ignored = true;
        return r;
    }
    running_ = false;
    writer_.WaitForSession();
    r.failed = writeFailed;
    if (writeFailed)
        r.problems << QString::fromStdString(writer_.GetErrorString(writer_.GetErrorNumber()));
    else if (verifyDisc)
        r.unverified = verify();
    cleanUp();
    return r;
}

bool ReadDiscFile(dw::TDiscWriter& writer, quint32 extent, quint64 size, QByteArray& out) {
    out.clear();
    out.reserve(qsizetype(size));
    const quint32 chunk = 32;
    std::vector<uint8_t> buffer(chunk * 2048);
    quint64 left = size;
    quint32 block = extent;
    while (left > 0) {
        const quint32 blocks = quint32(std::min<quint64>(chunk, (left + 2047) / 2048));
        if (!dw::Read10(writer.Device(), block, uint16_t(blocks), buffer.data())) return false;
        const quint64 take = std::min<quint64>(left, quint64(blocks) * 2048);
        out.append(reinterpret_cast<const char*>(buffer.data()), qsizetype(take));
        left -= take;
        block += blocks;
    }
    return true;
}

QStringList DiscBackup::verify() {
    QStringList bad;
    writer_.ClearAll();
    writer_.ImportSession(0, "/");
    dw::TDirEntry* top = writer_.FindDirW(u"/QIVBackup");
    dw::TDirEntry* pictures = writer_.FindDirW(u"/QIVBackup/Pictures");
    for (const auto& [name, source] : sources_) {
        const bool database = name == kDatabaseFile && source.startsWith(tempFolder());
        dw::TFileEntry* e = child(database ? top : pictures, name);
        QByteArray onDisc;
        QFile f(source);
        const QString shown =
            kBackupFolder + (database ? QStringLiteral("/") : QStringLiteral("/Pictures/")) + name;
        if (!e || !f.open(QIODevice::ReadOnly) || quint64(f.size()) != e->size ||
            !ReadDiscFile(writer_, e->extent, e->size, onDisc) || onDisc != f.readAll())
            bad << shown;
    }
    writer_.ClearAll();
    return bad;
}

} // namespace backup
