#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

namespace store {
class Query;
}

// Backup and restore of the user database and every photograph the inventories refer to. No
// windows here: the dialogs and the command-line jobs ask their questions and show the results.
class QLockFile;

namespace backup {

inline const QString kBackupFolder = QStringLiteral("QIVBackup");
inline const QString kDatabaseFile = QStringLiteral("QIVUser.mdb");
inline const QString kPicturesFolder = QStringLiteral("Pictures");
inline const QString kDiscTempFolder = QStringLiteral("TempQIVFolder");

// A failure of a copy or a check, with the text the user is shown.
class BackupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Letters a-z turned into A-Z, every other character unchanged.
QString UpperAscii(const QString& text);

// One file of a backup: its own name and the folder it comes from (up to and including the last
// '/', empty when the path had none).
struct BackupFile {
    QString name;
    QString folder;
    QString key; // the name with a-z upper-cased: names are unique under this
    bool database = false;
    QString path() const { return folder + name; }
};

// The files of a backup, sorted by key in plain character order, one per key. The first file
// of a name wins; a later one from elsewhere is dropped and marks duplicateNames().
class BackupFiles {
  public:
    void clear();
    // False when the file was dropped because its name was already listed.
    bool add(const QString& path, bool database = false);
    const std::vector<BackupFile>& entries() const { return entries_; }
    bool duplicateNames() const { return duplicateNames_; }
    const BackupFile* databaseEntry() const;

  private:
    std::vector<BackupFile> entries_;
    bool duplicateNames_ = false;
};

// The tables whose pictures a backup takes: the working table first, then every saved inventory
// by name, without the one whose name is open (the working table stands for it). Names listed
// in Master_Table whose tables are missing are left out.
QStringList TablesToBackUp(store::Query& query);
// The database first, then each picture of those tables in ID order (stored form decoded).
void CollectBackupFiles(store::Query& query, const QString& programFolder, BackupFiles& files);

// Room a file of `length` bytes takes on the backup medium: whole 2048-byte blocks, always one
// more than the length fills. An unreadable file counts as one block.
qint64 SpaceFor(qint64 length);
qint64 SpaceNeeded(const BackupFiles& files);
// "<bytes div 1024>K"
QString KiloText(qint64 bytes);

// What the backup dialog shows for a drive: free space -1 means a disc drive without a medium.
struct SpaceVerdict {
    QString label3; // the free amount, or empty
    QString label6; // first message line
    QString label7; // second message line
    bool label6Shown = false;
    bool label7Shown = false;
    bool label8Shown = false; // "back up the inventory."
    bool okEnabled = false;
};
// `afterDriveChange`: a disc counts as used only when more than the 152 blocks of an empty
// disc's own overhead are taken.
SpaceVerdict EvaluateSpace(qint64 needed, qint64 free, qint64 driveSize, bool toDisc,
                           bool afterDriveChange);

using Progress = std::function<void(const QString& line)>;

// Copies a database file consistently through SQLite's online backup, whatever another
// connection is doing to it at that moment. The copy is written beside `target` and renamed
// over it at the end, so `target` is either the old file or the whole copy. Throws BackupError.
void CopyDatabase(const QString& source, const QString& target);

// What a copy's check expects to read back: the length and content hash (ContentHash) of the
// bytes that were written.
struct Fingerprint {
    qint64 size = 0;
    quint64 hash = 0;
    bool operator==(const Fingerprint&) const = default;
};

// Copies a file through a temporary file beside `target` renamed at the end; the result is
// owner read-write, readable by others. The source is read once; the bytes written are hashed on
// the way. Throws BackupError naming the file.
Fingerprint CopyWholeFile(const QString& source, const QString& target);
// Reads a file once and hashes it. Throws BackupError naming the file when it cannot be read.
Fingerprint FingerprintOf(const QString& path);

// Opens a database read-only and defensively and checks that it is whole and holds the user
// tables. Returns the reason it is unusable, empty when it is fine.
QString CheckUserDatabase(const QString& path);

struct FolderBackupOptions {
    bool keepOldPictures = false; // an existing picture of the same name stays untouched
    bool verify = true;
    Progress progress;
};

// A file written into a backup folder, and what reading it back must give.
struct WrittenFile {
    QString target;
    bool database = false; // checked by opening it, not by its bytes
    Fingerprint expected;
};

struct FolderBackupReport {
    QStringList failed;     // files that could not be copied, with the reason
    QStringList unverified; // files whose copy does not match the source
    std::vector<WrittenFile> written;
    int copied = 0;
    int keptOld = 0;
    bool ok() const { return failed.isEmpty() && unverified.isEmpty(); }
};

// Makes backupFolder (the QIVBackup folder itself) and its Pictures folder as needed. Throws
// BackupError when a folder cannot be made.
void PrepareBackupFolder(const QString& backupFolder);
// Copies every file of the list into a prepared backup folder, then checks the copies (see
// CheckWrittenFiles). A failing file does not stop the others.
FolderBackupReport BackUpToFolder(const BackupFiles& files, const QString& backupFolder,
                                  const FolderBackupOptions& options);
// The check of a backup once its files are on the medium: every copy read back once from the
// medium (not from what the system still holds in memory) and its length and hash compared with
// what was written (the sources are not read again), the database opened and checked whole. Returns
// the files that fail, each with the reason where it is more than a difference.
// The medium is asked to read up to `readAhead` bytes ahead of the file being hashed.
inline constexpr qint64 kCheckReadAhead = 32 << 20;
QStringList CheckWrittenFiles(const std::vector<WrittenFile>& written,
                              qint64 readAhead = kCheckReadAhead);
// The message that names the files of a failed check.
QString VerificationMessage(const QStringList& files);

// A picture file name taken from a backup may not reach outside the Pictures folder.
bool SafePictureName(const QString& name);
// The file name of a photo path: what follows its last '/'.
QString PictureFileName(const QString& path);

// A restore's refusals and results. A refused restore changed nothing.
struct RestoreReport {
    bool refused = false;
    QString message; // for a refusal, or the picture failure message
    QString caption;
    QStringList failedPictures;
    int copiedPictures = 0;
    int updatedEntries = 0;
    bool ok() const { return !refused && failedPictures.isEmpty(); }
};

struct RestoreOptions {
    // Set the running session's marker in the restored database (the program is running).
    bool setSessionMarker = true;
    Progress progress;
};

// The checks a restore makes before anything is replaced; a refusal's report, or an empty one.
RestoreReport CheckBackup(const QString& programFolder, const QString& backupFolder);

// Restores a backup folder into the program folder: the database (checked first, then written
// beside and renamed; the one it replaces stays as QIVUser.mdb.bak), the pictures into Pictures,
// and every inventory pointed at them. Nothing of the user's may be open on the user database.
RestoreReport RestoreFromBackup(const QString& programFolder, const QString& backupFolder,
                                const RestoreOptions& options);

// The lock file a running program holds in its program folder.
QString RunLockPath(const QString& programFolder);
// Takes the run lock of a program folder (stale time 0: a running holder keeps it however long it
// runs). A lock file that names no process was left by a run killed while taking it; once it is
// a second old it is set aside, so such a kill does not shut the folder for good.
bool TakeRunLock(QLockFile& lock);

} // namespace backup
