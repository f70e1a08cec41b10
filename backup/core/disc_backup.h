#pragma once

#include "backup/core/backup_core.h"

namespace dw {
class TDiscWriter;
}

// A backup onto a CD or DVD through the program's own disc writer: the same layout as a folder
// backup, with the volume label "QIV Backup". The database goes onto the disc from a consistent
// copy in TempQIVFolder, which stays until the burn has ended.
namespace backup {

// What the drive evaluation learns about a disc drive.
struct DiscDrive {
    bool burner = false; // the name is a drive that can write
    qint64 free = -1;    // bytes; -1 when no medium is ready
    qint64 size = 0;
};

// Settings a backup disc is written with (the rest stay at the component's defaults).
void ConfigureForBackup(dw::TDiscWriter& writer);
// Selects the drive and reads its medium.
DiscDrive EvaluateDisc(dw::TDiscWriter& writer, const QString& letter);

struct DiscBackupReport {
    bool started = false;   // the burn runs; finish() will report its end
    bool ignored = false;   // an end already reported (the burn's start failed after all)
    bool failed = false;    // a file could not be put on the disc or the write failed
    QStringList problems;   // what failed, for the command line
    QStringList unverified; // files on the disc that differ from their sources
    bool ok() const { return !failed && unverified.isEmpty(); }
};

class DiscBackup {
  public:
    DiscBackup(dw::TDiscWriter& writer, QString programFolder);

    // Puts the files on the selected drive's disc and starts the burn. After an error before
    // the burn nothing is burnt: the temporary copy is removed, the medium unlocked and the
    // report says so (started false). Otherwise the end comes through finish().
    DiscBackupReport start(const BackupFiles& files);
    // The writer's end of the burn (OnWriteDone): reads the disc back and compares it with the
    // sources, then removes the temporary copy and unlocks the medium. Only the first end counts.
    DiscBackupReport finish(bool writeFailed, bool verify = true);

    QString tempFolder() const { return programFolder_ + kDiscTempFolder; }

  private:
    void cleanUp();
    QStringList verify();

    dw::TDiscWriter& writer_;
    QString programFolder_;
    std::vector<std::pair<QString, QString>> sources_; // name on disc, file it came from
    bool running_ = false;
};

// Reads a file of an imported session from the disc; false when a block cannot be read.
bool ReadDiscFile(dw::TDiscWriter& writer, quint32 extent, quint64 size, QByteArray& out);

} // namespace backup
