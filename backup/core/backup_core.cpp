#include "backup/core/backup_core.h"

#include "backup/core/content_hash.h"

#include "store/database.h"
#include "store/stored_text.h"

#include <QDir>
#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace backup {

namespace {

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    // Closes now and tells whether the last writes reached the file.
    bool closeChecked() {
        const int f = fd;
        fd = -1;
        return ::close(f) == 0;
    }
};

// Flushes a file or folder to the medium; false when the medium refuses.
bool syncPath(const QString& path, bool directory) {
    Fd f(::open(native(path).constData(), (directory ? O_RDONLY | O_DIRECTORY : O_RDONLY)));
    if (f.fd < 0) return false;
    return ::fsync(f.fd) == 0;
}

// A name beside `target` for the file being written; it never collides with a picture name.
QString partName(const QString& target) {
    const QFileInfo fi(target);
    return fi.path() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".part");
}

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Reads up to size bytes; fewer only at the end of the file. -1 on error.
qint64 readFull(int fd, char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

QString sqliteText(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

QString connectionStringFor(const QString& path, bool readOnly) {
    return QStringLiteral("Data Source=") + path +
           (readOnly ? QStringLiteral(";Mode=Read") : QStringLiteral(";Mode=ReadWrite")) +
           QStringLiteral(";Jet OLEDB:Database Password=") + store::kDatabasePassword;
}

QStringList existingTables(store::Query& q) {
    QStringList names;
    q.open({QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")});
    while (!q.eof()) {
        names << q.text(0);
        q.next();
    }
    q.close();
    return names;
}

// The working table, then the saved inventories by name, each once and only when it exists.
QStringList inventoryTables(store::Query& q, const QString& skip) {
    const QStringList existing = existingTables(q);
    QStringList tables{QStringLiteral("Inventory")};
    q.open({QStringLiteral("SELECT Table_Names"), QStringLiteral("FROM Master_Table"),
            QStringLiteral("ORDER BY Table_Names")});
    while (!q.eof()) {
        const QString t = q.text(0);
        if (!t.isEmpty() && t != skip && !tables.contains(t, Qt::CaseInsensitive) &&
            existing.contains(t, Qt::CaseInsensitive))
            tables << t;
        q.next();
    }
    q.close();
    return tables;
}

void say(const Progress& progress, const QString& line) {
    if (progress) progress(line);
}

} // namespace

QString UpperAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    return out;
}

void BackupFiles::clear() {
    entries_.clear();
    duplicateNames_ = false;
}

bool BackupFiles::add(const QString& path, bool database) {
    BackupFile f;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    f.name = slash < 0 ? path : path.mid(slash + 1);
    f.folder = slash < 0 ? QString() : path.left(slash + 1);
    f.key = UpperAscii(f.name);
    f.database = database;
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), f.key,
                                     [](const BackupFile& e, const QString& key) {
                                         return QString::compare(e.key, key, Qt::CaseSensitive) < 0;
                                     });
    if (at != entries_.end() && at->key == f.key) {
        // Another file under the same name would land on the same place in the backup. Folders
        // and names are compared exactly: on this system Cat.jpg and cat.jpg are two files.
        if (at->path() != f.path()) duplicateNames_ = true;
        return false;
    }
    entries_.insert(at, std::move(f));
    return true;
}

const BackupFile* BackupFiles::databaseEntry() const {
    for (const BackupFile& f : entries_)
        if (f.database) return &f;
    return nullptr;
}

QStringList TablesToBackUp(store::Query& query) {
    query.open({QStringLiteral("SELECT Current_Table"), QStringLiteral("FROM Current_Table")});
    const QString current = query.text(0);
    query.close();
    return inventoryTables(query, current);
}

void CollectBackupFiles(store::Query& query, const QString& programFolder, BackupFiles& files) {
    files.add(programFolder + kDatabaseFile, true);
    for (const QString& t : TablesToBackUp(query)) {
        query.open({QStringLiteral("SELECT Item_Photo_Name"),
                    QStringLiteral("FROM [") + t + QLatin1Char(']'),
                    QStringLiteral("WHERE Item_Photo_Name IS NOT NULL"),
                    QStringLiteral("ORDER BY ID_Number")});
        while (!query.eof()) {
            const QString stored = query.text(0);
            if (!stored.isEmpty()) files.add(store::FromStoredText(stored));
            query.next();
        }
        query.close();
    }
}

qint64 SpaceFor(qint64 length) {
    return (length / 2048 + 1) * 2048;
}

qint64 SpaceNeeded(const BackupFiles& files) {
    qint64 sum = 0;
    for (const BackupFile& f : files.entries()) {
        const QFileInfo fi(f.path());
        sum += (fi.isFile() && fi.isReadable()) ? SpaceFor(fi.size()) : 2048;
    }
    return sum;
}

QString KiloText(qint64 bytes) {
    return QString::number(bytes / 1024) + QLatin1Char('K');
}

SpaceVerdict EvaluateSpace(qint64 needed, qint64 free, qint64 driveSize, bool toDisc,
                           bool afterDriveChange) {
    SpaceVerdict v;
    if (free == -1) {
        v.label6 = QStringLiteral("Please insert a disk");
        v.label6Shown = true;
        return v;
    }
    v.label3 = KiloText(free);
    if (needed >= driveSize) {
        v.label6 = QStringLiteral("The drive selected does not");
        v.label7 = QStringLiteral("have enough capacity to");
        v.label6Shown = v.label7Shown = v.label8Shown = true;
        return v;
    }
    if (needed < free) {
        v.okEnabled = true;
        const qint64 used = afterDriveChange ? driveSize - 152 * 2048 : driveSize;
        if (toDisc && free < used) {
            v.label6 = QStringLiteral("Backing up will erase the");
            v.label7 = QStringLiteral("contents of this disk.");
            v.label6Shown = v.label7Shown = true;
        }
        return v;
    }
    v.label6 = QStringLiteral("Please insert another disk");
    v.label6Shown = true;
    return v;
}

void CopyDatabase(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile())
        throw BackupError(
            QStringLiteral("Could not find the database %1.").arg(source).toStdString());
    const QString part = partName(target);
    QFile::remove(part);
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    auto fail = [&](const QString& what, sqlite3* db) {
        const QString text = QStringLiteral("Could not copy the database %1 to %2: %3 (%4).")
                                 .arg(source, target, what, sqliteText(db));
        sqlite3_close(from);
        sqlite3_close(to);
        QFile::remove(part);
        throw BackupError(text.toStdString());
    };
    if (sqlite3_open_v2(native(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        fail(QStringLiteral("cannot open the source"), from);
    sqlite3_busy_timeout(from, 10000);
    if (sqlite3_open_v2(native(part).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot create the copy"), to);
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) fail(QStringLiteral("cannot start the copy"), to);
    // All pages in one step: the source is read under one read lock, so the copy is one moment of
    // it. A writer holding the lock makes the step wait (busy), then try again.
    int rc;
    int tries = 0;
    while ((rc = sqlite3_backup_step(b, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (++tries > 100) break;
        sqlite3_sleep(100);
    }
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) fail(QString::fromUtf8(sqlite3_errstr(rc)), to);
    if (sqlite3_close(to) != SQLITE_OK) {
        to = nullptr;
        fail(QStringLiteral("cannot finish the copy"), nullptr);
    }
    to = nullptr;
    sqlite3_close(from);
    from = nullptr;
    ::chmod(native(part).constData(), 0644);
    if (!syncPath(part, false))
        fail(QStringLiteral("cannot write the copy to the medium"), nullptr);
    if (::rename(native(part).constData(), native(target).constData()) != 0) {
        const QString why = errnoText();
        QFile::remove(part);
        throw BackupError(QStringLiteral("Could not copy the database %1 to %2: %3.")
                              .arg(source, target, why)
                              .toStdString());
    }
    syncPath(QFileInfo(target).path(), true);
}

namespace {

// Big enough that a read or write costs little more than its copying, small enough to stay in
// the processor's cache between the read, the hash and the write.
constexpr qint64 kChunk = 256 * 1024;

char* chunkBuffer() {
    thread_local std::unique_ptr<char[]> buffer(new char[kChunk]);
    return buffer.get();
}

// Reads an open file to its end and hashes it; `reached` (when set) hears how far the reading
// got after each read. False with errno set when a read fails.
bool hashToEnd(int fd, ContentHash& hash, const std::function<void(qint64)>& reached = {}) {
    char* buffer = chunkBuffer();
    for (qint64 at = 0;;) {
        const qint64 n = readFull(fd, buffer, kChunk);
        if (n < 0) return false;
        if (n == 0) return true;
        hash.add(buffer, size_t(n));
        at += n;
        if (reached) reached(at);
    }
}

} // namespace

Fingerprint CopyWholeFile(const QString& source, const QString& target) {
    auto fail = [&](const QString& why) {
        throw BackupError(
            QStringLiteral("Could not copy %1 to %2: %3.").arg(source, target, why).toStdString());
    };
    Fd in(::open(native(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) fail(errnoText());
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) fail(errnoText());
    if (!S_ISREG(st.st_mode)) fail(QStringLiteral("not a file"));
    ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const QString part = partName(target);
    Fd out(::open(native(part).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.fd < 0) fail(errnoText());
    auto failOut = [&](const QString& why) {
        out.closeChecked();
        QFile::remove(part);
        fail(why);
    };
    // Piece by piece within the kernel where it can (no copy through this process), each piece
    // hashed straight after from what was just written, while it is still in the processor's
    // cache, so the fingerprint is that of the bytes written. Where the file systems allow no
    // kernel copy the pieces pass through the buffer and are hashed on the way. Either way the
    // source is read to its end, not to the length it had when opened: a file that grows
    // meanwhile is copied whole.
    ContentHash hash;
    char* buffer = chunkBuffer();
    bool kernelCopy = true;
    for (qint64 at = 0;;) {
        qint64 n = 0;
        if (kernelCopy) {
            n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, size_t(kChunk), 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP &&
                    errno != EPERM)
                    failOut(errnoText());
                // Both files stand where the kernel copy stopped; the rest goes through the buffer.
                kernelCopy = false;
                continue;
            }
            if (n == 0) break;
            for (qint64 got = 0; got < n;) {
                const ssize_t r = ::pread(out.fd, buffer + got, size_t(n - got), at + got);
                if (r < 0 && errno == EINTR) continue;
                if (r <= 0) failOut(r < 0 ? errnoText() : QStringLiteral("the copy got shorter"));
                got += r;
            }
        } else {
            n = readFull(in.fd, buffer, kChunk);
            if (n < 0) failOut(errnoText());
            if (n == 0) break;
            if (!writeAll(out.fd, buffer, n)) failOut(errnoText());
        }
        hash.add(buffer, size_t(n));
        at += n;
    }
    // The copy starts on its way to the medium now, while the next file is copied, rather than
    // all at once at the backup's closing sync. Failures of that writing show at the sync.
    if (::sync_file_range(out.fd, 0, 0, SYNC_FILE_RANGE_WRITE) != 0 && errno != EINVAL &&
        errno != ESPIPE && errno != ENOSYS)
        failOut(errnoText());
    ::fchmod(out.fd, 0644);
    if (!out.closeChecked()) {
        QFile::remove(part);
        fail(errnoText());
    }
    if (::rename(native(part).constData(), native(target).constData()) != 0) {
        const QString why = errnoText();
        QFile::remove(part);
        fail(why);
    }
    return {qint64(hash.length()), hash.value()};
}

Fingerprint FingerprintOf(const QString& path) {
    auto fail = [&] {
        throw BackupError(
            QStringLiteral("Could not read %1: %2.").arg(path, errnoText()).toStdString());
    };
    Fd f(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) fail();
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ContentHash hash;
    if (!hashToEnd(f.fd, hash)) fail();
    return {qint64(hash.length()), hash.value()};
}

QString CheckUserDatabase(const QString& path) {
    const QFileInfo fi(path);
    if (!fi.isFile()) return QStringLiteral("the file is missing");
    store::Connection db(connectionStringFor(path, true));
    try {
        sqlite3* h = db.handle();
        // Nothing in the file may run code or write through its schema.
        sqlite3_db_config(h, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        store::Query q(db);
        q.execute({QStringLiteral("PRAGMA trusted_schema = OFF")});
        q.open({QStringLiteral("PRAGMA integrity_check")});
        QStringList problems;
        while (!q.eof() && problems.size() < 3) {
            problems << q.text(0);
            q.next();
        }
        q.close();
        if (problems != QStringList{QStringLiteral("ok")})
            return QStringLiteral("the database is damaged (%1)")
                .arg(problems.join(QStringLiteral("; ")));
        const QStringList tables = existingTables(q);
        QStringList missing;
        for (const char* t : {"Inventory", "Master_Table", "Current_Table", "Last_Used"})
            if (!tables.contains(QString::fromLatin1(t), Qt::CaseInsensitive))
                missing << QString::fromLatin1(t);
        if (!missing.isEmpty())
            return QStringLiteral("it is not an inventory database (no table %1)")
                .arg(missing.join(QStringLiteral(", ")));
        // The columns the restore reads and writes.
        q.open({QStringLiteral("SELECT ID_Number, Item_Photo_Name FROM Inventory LIMIT 1")});
        q.close();
        q.open({QStringLiteral("SELECT Table_Names FROM Master_Table LIMIT 1")});
        q.close();
    } catch (const store::DatabaseError& e) {
        db.disconnect();
        return QString::fromUtf8(e.what());
    }
    db.disconnect();
    return {};
}

void PrepareBackupFolder(const QString& backupFolder) {
    if (!QDir().mkpath(backupFolder) ||
        !QDir().mkpath(backupFolder + QLatin1Char('/') + kPicturesFolder))
        throw BackupError("Could not create backup directory");
}

FolderBackupReport BackUpToFolder(const BackupFiles& files, const QString& backupFolder,
                                  const FolderBackupOptions& options) {
    FolderBackupReport report;
    const QString pictures = backupFolder + QLatin1Char('/') + kPicturesFolder + QLatin1Char('/');
    // Opened before anything is written: the closing sync through it then reports every failure
    // to write out since this moment, also of the copies whose writing started early.
    Fd medium(::open(native(backupFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int mediumError = medium.fd < 0 ? errno : 0;
    const int total = int(files.entries().size());
    int n = 0;
    for (const BackupFile& f : files.entries()) {
        ++n;
        const QString target =
            f.database ? backupFolder + QLatin1Char('/') + kDatabaseFile : pictures + f.name;
        say(options.progress, QStringLiteral("[%1/%2] %3").arg(n).arg(total).arg(f.path()));
        // A file that already is its own copy (a backup made into the folders it comes from)
        // stays as it is: replacing the open database under the program would lose its changes.
        const QString canonical = QFileInfo(f.path()).canonicalFilePath();
        if (!canonical.isEmpty() && canonical == QFileInfo(target).canonicalFilePath()) {
            ++report.copied;
            continue;
        }
        try {
            WrittenFile written{target, f.database, {}};
            if (f.database) {
                CopyDatabase(f.path(), target);
            } else {
                if (options.keepOldPictures && QFileInfo::exists(target)) {
                    ++report.keptOld;
                    continue;
                }
                written.expected = CopyWholeFile(f.path(), target);
            }
            report.written.push_back(std::move(written));
            ++report.copied;
        } catch (const BackupError& e) {
            report.failed << QString::fromUtf8(e.what());
        }
    }
    // The backup is whole only once its files have reached the medium.
    if (medium.fd < 0) errno = mediumError;
    if (medium.fd < 0 || ::syncfs(medium.fd) != 0)
        report.failed << QStringLiteral("Could not write the backup in %1 to its medium: %2.")
                             .arg(backupFolder, errnoText());
    if (!options.verify) return report;
    say(options.progress, QStringLiteral("Verifying %1 files").arg(report.written.size()));
    report.unverified = CheckWrittenFiles(report.written);
    return report;
}

namespace {

// Asks the medium to read a check's files ahead of the one being hashed, up to `window` bytes
// beyond the reader's place, taking the files as one stream: the medium then always has reading
// to do while a piece is hashed, and a file larger than the window is asked for piece by piece.
class ReadAhead {
  public:
    ReadAhead(const std::vector<WrittenFile>& files, qint64 window)
        : files_(files), window_(window), start_(files.size() + 1, 0) {}

    // The reader is `offset` bytes into file `index`; asks for what then falls in the window.
    void reached(size_t index, qint64 offset) {
        if (window_ <= 0) return;
        if (index > next_) {
            // The reader has gone past what was asked for (a file larger than the window): the
            // asking goes on from its place. Only distances within the stream count, so the
            // file's start may be any place behind what was asked for.
            start_[index] = start_[next_] + asked_;
            next_ = index;
            file_.reset();
        }
        const qint64 reader = start_[index] + offset;
        while (next_ < files_.size()) {
            if (!file_) {
                file_ = std::make_unique<Fd>(
                    ::open(native(files_[next_].target).constData(), O_RDONLY | O_CLOEXEC));
                struct stat st {};
                size_ = (file_->fd >= 0 && ::fstat(file_->fd, &st) == 0) ? st.st_size : 0;
                asked_ = 0;
            }
            const qint64 ahead = start_[next_] + asked_ - reader;
            if (ahead >= window_) return;
            if (asked_ < size_) {
                // At most a few pieces at a time, so a large file is asked for as the reader goes.
                const qint64 piece = std::min({size_ - asked_, window_ - ahead, kPiece});
                ::posix_fadvise(file_->fd, asked_, piece, POSIX_FADV_WILLNEED);
                asked_ += piece;
                continue;
            }
            start_[next_ + 1] = start_[next_] + size_;
            ++next_;
            file_.reset();
        }
    }

  private:
    static constexpr qint64 kPiece = 4 << 20;

    const std::vector<WrittenFile>& files_;
    const qint64 window_;
    std::vector<qint64> start_; // where each file asked for so far starts in the stream
    size_t next_ = 0;           // the file being asked for
    std::unique_ptr<Fd> file_;  // open while it is being asked for
    qint64 size_ = 0;           // its length
    qint64 asked_ = 0;          // how much of it was asked for
};

// Lets go of what the system holds of a file in memory, once anything of it still waiting for
// the medium is written out (what is waiting cannot be let go). Only the file's bytes are waited
// for: making them durable is the backup's closing sync, and asking the medium to empty its own
// cache for every file again would cost more than the check itself.
void forget(const QString& path) {
    Fd f(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) return;
    ::sync_file_range(f.fd, 0, 0,
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                          SYNC_FILE_RANGE_WAIT_AFTER);
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_DONTNEED);
}

} // namespace

QStringList CheckWrittenFiles(const std::vector<WrittenFile>& written, qint64 readAhead) {
    // What the system still holds of the copies is let go first, so the bytes compared are the
    // ones the medium gives back, not the ones that were handed to it.
    for (const WrittenFile& w : written)
        forget(w.target);
    ReadAhead ahead(written, readAhead);
    QStringList bad;
    for (size_t i = 0; i < written.size(); ++i) {
        const WrittenFile& w = written[i];
        ahead.reached(i, 0);
        if (w.database) {
            const QString why = CheckUserDatabase(w.target);
            if (!why.isEmpty()) bad << w.target + QStringLiteral(" (") + why + QLatin1Char(')');
            continue;
        }
        Fd f(::open(native(w.target).constData(), O_RDONLY | O_CLOEXEC));
        ContentHash hash;
        if (f.fd < 0 || !hashToEnd(f.fd, hash, [&](qint64 at) { ahead.reached(i, at); })) {
            bad << QStringLiteral("Could not read %1: %2.").arg(w.target, errnoText());
            continue;
        }
        if (Fingerprint{qint64(hash.length()), hash.value()} != w.expected) bad << w.target;
    }
    return bad;
}

QString VerificationMessage(const QStringList& files) {
    return QStringLiteral("The backup is not valid: these files do not match what was backed "
                          "up:\n") +
           files.join(QLatin1Char('\n'));
}

QString PictureFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

bool SafePictureName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0))) return false;
    // Written elsewhere, "..\" climbs out as well.
    for (const QString& part : name.split(QLatin1Char('\\')))
        if (part == QLatin1String("..")) return false;
    return true;
}

QString RunLockPath(const QString& programFolder) {
    return programFolder + QStringLiteral(".quivera-run.lock");
}

bool TakeRunLock(QLockFile& lock) {
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) return true;
    if (lock.error() != QLockFile::LockFailedError) return false;
    qint64 pid = 0;
    QString host, application;
    if (lock.getLockInfo(&pid, &host, &application)) return false; // a holder, alive or not
    const QFileInfo file(lock.fileName());
    if (file.exists() && file.lastModified().msecsTo(QDateTime::currentDateTime()) < 1000)
        return false; // perhaps being written by its holder right now
    lock.removeStaleLockFile();
    return lock.tryLock(0);
}

namespace {

RestoreReport refused(const QString& message, const QString& caption) {
    RestoreReport r;
    r.refused = true;
    r.message = message;
    r.caption = caption;
    return r;
}

QString withSlash(const QString& dir) {
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// Picture names of every inventory of a database that a restore would refuse.
QStringList unsafeNames(store::Query& q) {
    QStringList bad;
    for (const QString& t : inventoryTables(q, QString())) {
        q.open({QStringLiteral("SELECT Item_Photo_Name FROM [") + t + QLatin1Char(']'),
                QStringLiteral("WHERE Item_Photo_Name IS NOT NULL")});
        while (!q.eof()) {
            const QString path = store::FromStoredText(q.text(0));
            if (!path.isEmpty() && !SafePictureName(PictureFileName(path))) bad << path;
            q.next();
        }
        q.close();
    }
    return bad;
}

} // namespace

RestoreReport CheckBackup(const QString& programFolder, const QString& backupFolder) {
    const QFileInfo dir(backupFolder);
    if (backupFolder.isEmpty() || !dir.isDir())
        return refused(QStringLiteral("Could not find the specified directory"),
                       QStringLiteral("Restore Aborted"));
    const QString folder = withSlash(backupFolder);
    if (!QFileInfo(folder + kPicturesFolder).isDir())
        return refused(QStringLiteral("Could not find the backup pictures"),
                       QStringLiteral("Restore Aborted"));
    // The same folder however it is written: restoring it onto itself would copy every picture
    // onto itself.
    if (folder == programFolder ||
        dir.canonicalFilePath() == QFileInfo(programFolder).canonicalFilePath())
        return refused(QStringLiteral("Double-click on the backup directory you wish to restore "
                                      "from."),
                       QStringLiteral("Aborted Backup"));
    const QString database = folder + kDatabaseFile;
    if (!QFileInfo(database).isFile())
        return refused(QStringLiteral("Failed to copy the inventory database."),
                       QStringLiteral("Aborted Backup"));
    const QString why = CheckUserDatabase(database);
    if (!why.isEmpty())
        return refused(QStringLiteral("The backup's inventory database %1 cannot be restored: %2. "
                                      "Nothing was restored.")
                           .arg(database, why),
                       QStringLiteral("Restore Aborted"));
    store::Connection db(connectionStringFor(database, true));
    store::Query q(db);
    QStringList bad;
    try {
        sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        bad = unsafeNames(q);
    } catch (const store::DatabaseError& e) {
        q.close();
        db.disconnect();
        return refused(QStringLiteral("The backup's inventory database %1 cannot be restored: %2. "
                                      "Nothing was restored.")
                           .arg(database, QString::fromUtf8(e.what())),
                       QStringLiteral("Restore Aborted"));
    }
    q.close();
    db.disconnect();
    if (!bad.isEmpty())
        return refused(QStringLiteral("The backup names pictures outside its Pictures folder, so "
                                      "it is not restored:\n") +
                           bad.mid(0, 5).join(QLatin1Char('\n')),
                       QStringLiteral("Restore Aborted"));
    return {};
}

RestoreReport RestoreFromBackup(const QString& programFolder, const QString& backupFolder,
                                const RestoreOptions& options) {
    RestoreReport report = CheckBackup(programFolder, backupFolder);
    if (report.refused) return report;
    const QString folder = withSlash(backupFolder);
    const QString live = programFolder + kDatabaseFile;
    const QString fresh = programFolder + kDatabaseFile + QStringLiteral(".restoring");
    say(options.progress, QStringLiteral("Checked %1").arg(folder + kDatabaseFile));

    // 1. The backup's database, beside the user's one.
    try {
        CopyDatabase(folder + kDatabaseFile, fresh);
    } catch (const BackupError&) {
        return refused(QStringLiteral("Failed to copy the inventory database."),
                       QStringLiteral("Aborted Backup"));
    }
    auto abandon = [&](const QString& why) {
        QFile::remove(fresh);
        return refused(QStringLiteral("Failed to copy the inventory database.") +
                           (why.isEmpty() ? QString() : QStringLiteral("\n") + why),
                       QStringLiteral("Aborted Backup"));
    };

    // 2. Pictures into the program folder, and every inventory of the copy pointed at them.
    const QString pictures = programFolder + kPicturesFolder + QLatin1Char('/');
    if (!QDir().mkpath(pictures))
        return abandon(QStringLiteral("Could not create %1").arg(pictures));
    {
        store::Connection db(connectionStringFor(fresh, false));
        store::Query q(db);
        try {
            QHash<QString, bool> copiedNames; // name -> copy succeeded
            struct Row {
                QString table;
                qint64 id;
                QString name;
            };
            std::vector<Row> rows;
            for (const QString& t : inventoryTables(q, QString())) {
                q.open({QStringLiteral("SELECT ID_Number, Item_Photo_Name"),
                        QStringLiteral("FROM [") + t + QLatin1Char(']'),
                        QStringLiteral("WHERE Item_Photo_Name IS NOT NULL"),
                        QStringLiteral("ORDER BY ID_Number")});
                while (!q.eof()) {
                    const QString path = store::FromStoredText(q.text(1));
                    if (!path.isEmpty()) rows.push_back({t, q.integer(0), PictureFileName(path)});
                    q.next();
                }
                q.close();
            }
            for (const Row& r : rows) {
                if (copiedNames.contains(r.name)) continue;
                bool ok = false;
                if (SafePictureName(r.name)) {
                    try {
                        CopyWholeFile(folder + kPicturesFolder + QLatin1Char('/') + r.name,
                                      pictures + r.name);
                        ok = true;
                        ++report.copiedPictures;
                        say(options.progress, QStringLiteral("Picture %1").arg(r.name));
                    } catch (const BackupError& e) {
                        say(options.progress, QString::fromUtf8(e.what()));
                    }
                }
                copiedNames.insert(r.name, ok);
                if (!ok) report.failedPictures << r.name;
            }
            db.transaction([&] {
                for (const Row& r : rows) {
                    // A name that would leave the Pictures folder keeps the entry as it was.
                    if (!SafePictureName(r.name)) continue;
                    q.execute({QStringLiteral("UPDATE [") + r.table + QLatin1Char(']'),
                               QStringLiteral("SET Item_Photo_Name = '") +
                                   store::ToStoredText(pictures + r.name) + QLatin1Char('\''),
                               QStringLiteral("WHERE ID_Number = ") + QString::number(r.id)});
                    report.updatedEntries += q.rowsAffected();
                }
                if (options.setSessionMarker) {
                    q.open({QStringLiteral("SELECT Table_Names"),
                            QStringLiteral("FROM Master_Table"),
                            QStringLiteral("WHERE Table_Names = 'Inventory'")});
                    const bool marked = !q.eof();
                    q.close();
                    if (!marked)
                        q.execute({QStringLiteral("INSERT INTO Master_Table"),
                                   QStringLiteral("VALUES ('Inventory')")});
                }
            });
        } catch (const store::DatabaseError& e) {
            q.close();
            db.disconnect();
            return abandon(QString::fromUtf8(e.what()));
        }
        q.close();
        db.disconnect();
    }
    if (!syncPath(fresh, false)) return abandon(QStringLiteral("Could not write %1").arg(fresh));

    // 3. The user's database replaced in one step; the old one kept as .bak. A journal left by an
    // interrupted run belongs to the old file: it is played back into it first, never into the
    // new one.
    const QString bak = live + QStringLiteral(".bak");
    if (QFileInfo::exists(live)) {
        if (QFileInfo::exists(live + QStringLiteral("-journal"))) {
            try {
                store::Connection old(connectionStringFor(live, false));
                old.handle();
                old.disconnect();
            } catch (const store::DatabaseError& e) {
                return abandon(QString::fromUtf8(e.what()));
            }
        }
        QFile::remove(bak);
        if (::link(native(live).constData(), native(bak).constData()) != 0) {
            try {
                CopyWholeFile(live, bak);
            } catch (const BackupError& e) {
                return abandon(QString::fromUtf8(e.what()));
            }
        }
    }
    if (::rename(native(fresh).constData(), native(live).constData()) != 0)
        return abandon(errnoText());
    syncPath(programFolder, true);
    if (!report.failedPictures.isEmpty()) {
        report.message = QStringLiteral("Not all pictures were copied.");
        report.caption = QStringLiteral("Errors Occured");
    }
    say(options.progress, QStringLiteral("Restored %1 pictures, %2 entries")
                              .arg(report.copiedPictures)
                              .arg(report.updatedEntries));
    return report;
}

} // namespace backup
