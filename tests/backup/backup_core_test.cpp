// Backup and restore without windows: the file list, the space estimate, copies and checks.
#include "backup/core/content_hash.h"
#include "backup_support.h"

#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace backup_test;
using backup::BackupFiles;

namespace {

QString Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QStringList Names(const BackupFiles& files) {
    QStringList out;
    for (const auto& f : files.entries())
        out << f.path();
    return out;
}

// The files backed up into `target` without the check, which the test then runs itself.
backup::FolderBackupReport BackUpUnchecked(const BackupFiles& files, const QString& target) {
    backup::PrepareBackupFolder(target);
    backup::FolderBackupOptions quick;
    quick.verify = false;
    return backup::BackUpToFolder(files, target, quick);
}

} // namespace

TEST(BackupFileList, SortedByUpperCaseNameFirstOfANameWinsAndForeignDuplicatesWarn) {
    BackupFiles files;
    EXPECT_TRUE(files.add(QStringLiteral("/home/me/QIVUser.mdb"), true));
    EXPECT_TRUE(files.add(QStringLiteral("/photos/b.jpg")));
    EXPECT_TRUE(files.add(QStringLiteral("/photos/a.jpg")));
    // The same file again: dropped quietly.
    EXPECT_FALSE(files.add(QStringLiteral("/photos/a.jpg")));
    EXPECT_FALSE(files.duplicateNames());
    // Another folder's file of that name (letter case aside) would land on the same place.
    EXPECT_FALSE(files.add(QStringLiteral("/old/A.JPG")));
    EXPECT_TRUE(files.duplicateNames());
    EXPECT_TRUE(files.add(QStringLiteral("nofolder.jpg")));
    EXPECT_EQ(Names(files), (QStringList{"/photos/a.jpg", "/photos/b.jpg", "nofolder.jpg",
                                         "/home/me/QIVUser.mdb"}));
    ASSERT_NE(files.databaseEntry(), nullptr);
    EXPECT_EQ(files.databaseEntry()->key, QStringLiteral("QIVUSER.MDB"));
    EXPECT_EQ(files.entries()[2].folder, QString());
    // Only a-z are upper-cased for the comparison.
    EXPECT_EQ(backup::UpperAscii(QStringLiteral("käse.jpg")), QStringLiteral("KäSE.JPG"));

    // Two files of one folder whose names differ in letter case only are two photographs here.
    BackupFiles same;
    same.add(QStringLiteral("/p/Cat.jpg"));
    EXPECT_FALSE(same.add(QStringLiteral("/p/cat.jpg")));
    EXPECT_TRUE(same.duplicateNames());
    same.clear();
    EXPECT_TRUE(same.entries().empty());
    EXPECT_FALSE(same.duplicateNames());
}

TEST(BackupSpace, WholeBlocksOneMoreThanFilledAndCountsBeyondTwoGigabytes) {
    EXPECT_EQ(backup::SpaceFor(0), 2048);
    EXPECT_EQ(backup::SpaceFor(2047), 2048);
    EXPECT_EQ(backup::SpaceFor(2048), 4096);
    EXPECT_EQ(backup::SpaceFor(3LL << 30), (3LL << 30) + 2048);
    EXPECT_EQ(backup::KiloText(3LL << 30), QStringLiteral("3145728K"));

    QTemporaryDir dir;
    BackupFiles files;
    files.add(Write(dir.filePath(QStringLiteral("exact.jpg")), QByteArray(2048, 'x')));
    files.add(dir.filePath(QStringLiteral("missing.jpg")));
    // A sparse file of 3 GiB: its length counts, not what it occupies.
    const QString big = dir.filePath(QStringLiteral("big.jpg"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(3LL << 30));
    }
    files.add(big);
    EXPECT_EQ(backup::SpaceNeeded(files), 4096 + 2048 + (3LL << 30) + 2048);
}

TEST(BackupSpace, DriveVerdicts) {
    const qint64 MB = 1 << 20;
    auto noDisc = backup::EvaluateSpace(MB, -1, 0, true, false);
    EXPECT_EQ(noDisc.label6, QStringLiteral("Please insert a disk"));
    EXPECT_TRUE(noDisc.label6Shown);
    EXPECT_FALSE(noDisc.label7Shown || noDisc.label8Shown || noDisc.okEnabled);
    EXPECT_EQ(noDisc.label3, QString());

    auto small = backup::EvaluateSpace(700 * MB, 600 * MB, 700 * MB, true, false);
    EXPECT_EQ(small.label6, QStringLiteral("The drive selected does not"));
    EXPECT_EQ(small.label7, QStringLiteral("have enough capacity to"));
    EXPECT_TRUE(small.label6Shown && small.label7Shown && small.label8Shown);
    EXPECT_FALSE(small.okEnabled);
    EXPECT_EQ(small.label3, QStringLiteral("614400K"));

    auto full = backup::EvaluateSpace(10 * MB, 5 * MB, 700 * MB, true, false);
    EXPECT_EQ(full.label6, QStringLiteral("Please insert another disk"));
    EXPECT_FALSE(full.okEnabled || full.label7Shown);

    auto folder = backup::EvaluateSpace(10 * MB, 50 * MB, 700 * MB, false, false);
    EXPECT_TRUE(folder.okEnabled);
    EXPECT_FALSE(folder.label6Shown || folder.label7Shown);

    // A used disc is erased; on a drive change the blank disc's own 152 blocks do not count.
    auto used = backup::EvaluateSpace(10 * MB, 600 * MB, 700 * MB, true, false);
    EXPECT_TRUE(used.okEnabled);
    EXPECT_EQ(used.label6, QStringLiteral("Backing up will erase the"));
    EXPECT_EQ(used.label7, QStringLiteral("contents of this disk."));
    const qint64 blank = 700 * MB - 152 * 2048;
    EXPECT_TRUE(backup::EvaluateSpace(10 * MB, blank, 700 * MB, true, false).label6Shown);
    EXPECT_FALSE(backup::EvaluateSpace(10 * MB, blank, 700 * MB, true, true).label6Shown);
    EXPECT_TRUE(backup::EvaluateSpace(10 * MB, blank - 1, 700 * MB, true, true).label6Shown);
}

TEST(BackupFileList, TablesAndPicturesFromEveryInventoryButTheOpenOnesCopy) {
    UserFolder folder;
    UserDb db(folder.path());
    AddPhotoEntry(db.query(), 1, QStringLiteral("Pan"), QStringLiteral("/w/pan.jpg"));
    AddPhotoEntry(db.query(), 2, QStringLiteral("Pot"), QString());
    db.run(QStringLiteral("SELECT * INTO Shed FROM Inventory"));
    db.run(QStringLiteral("UPDATE Shed SET Item_Photo_Name = '/s/old.jpg' WHERE ID_Number = 1"));
    db.run(QStringLiteral("SELECT * INTO Attic FROM Inventory"));
    db.run(QStringLiteral("UPDATE Attic SET Item_Photo_Name = '/a/it''s.jpg' WHERE ID_Number = 1")
               .replace(QStringLiteral("''"), store::ToStoredText(QStringLiteral("'"))));
    for (const char* t : {"Shed", "Attic", "Gone", "Inventory"})
        db.run(QStringLiteral("INSERT INTO Master_Table VALUES ('%1')").arg(QLatin1String(t)));
    db.run(QStringLiteral("UPDATE Current_Table SET Current_Table = 'Shed'"));
    // The open inventory's saved copy is left out, and so is a name without a table.
    EXPECT_EQ(backup::TablesToBackUp(db.query()), (QStringList{"Inventory", "Attic"}));
    BackupFiles files;
    backup::CollectBackupFiles(db.query(), folder.path(), files);
    EXPECT_EQ(Names(files), (QStringList{"/a/it's.jpg", "/w/pan.jpg",
                                         folder.path() + QStringLiteral("QIVUser.mdb")}));
}

TEST(DatabaseCopy, OnlineCopyTakesTheCommittedStateWhileAWriterIsBusy) {
    UserFolder folder;
    QTemporaryDir out;
    const QString copy = out.filePath(QStringLiteral("QIVUser.mdb"));
    Write(copy, "an older copy");
    UserDb db(folder.path());
    AddPhotoEntry(db.query(), 1, QStringLiteral("Committed"), QString());
    db.run(QStringLiteral("BEGIN IMMEDIATE"));
    AddPhotoEntry(db.query(), 2, QStringLiteral("Pending"), QString());
    backup::CopyDatabase(folder.file(QStringLiteral("QIVUser.mdb")), copy);
    db.run(QStringLiteral("COMMIT"));
    EXPECT_EQ(backup::CheckUserDatabase(copy), QString());
    {
        UserDb c(out.path() + QLatin1Char('/'));
        EXPECT_EQ(c.value(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")), 1);
    }
    EXPECT_FALSE(QFileInfo::exists(out.filePath(QStringLiteral(".QIVUser.mdb.part"))));
    EXPECT_THROW(backup::CopyDatabase(out.filePath(QStringLiteral("none.mdb")), copy),
                 backup::BackupError);
    EXPECT_EQ(backup::CheckUserDatabase(copy), QString()); // the failed copy left it alone
}

TEST(DatabaseCheck, RefusesDamagedForeignAndTablelessFiles) {
    UserFolder folder;
    const QString good = folder.file(QStringLiteral("QIVUser.mdb"));
    EXPECT_EQ(backup::CheckUserDatabase(good), QString());
    QTemporaryDir dir;
    QFile source(good);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    ASSERT_GT(bytes.size(), 4096);
    const QString truncated =
        Write(dir.filePath(QStringLiteral("t.mdb")), bytes.left(bytes.size() / 2));
    const QString text = Write(dir.filePath(QStringLiteral("x.mdb")), "Dear diary\n");
    const QString empty = dir.filePath(QStringLiteral("e.mdb"));
    sqlite3* h = nullptr;
    sqlite3_open(empty.toUtf8().constData(), &h);
    sqlite3_exec(h, "CREATE TABLE Notes (a); CREATE TABLE Inventory (b)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(h);
    EXPECT_NE(backup::CheckUserDatabase(truncated), QString());
    EXPECT_NE(backup::CheckUserDatabase(text), QString());
    EXPECT_TRUE(backup::CheckUserDatabase(empty).contains(QStringLiteral("Master_Table")))
        << backup::CheckUserDatabase(empty).toStdString();
    EXPECT_NE(backup::CheckUserDatabase(dir.filePath(QStringLiteral("none.mdb"))), QString());
}

TEST(PictureNames, OnlyPlainNamesStayInsidePictures) {
    EXPECT_EQ(backup::PictureFileName(QStringLiteral("/a/b/c.jpg")), QStringLiteral("c.jpg"));
    EXPECT_EQ(backup::PictureFileName(QStringLiteral("c.jpg")), QStringLiteral("c.jpg"));
    EXPECT_TRUE(backup::SafePictureName(QStringLiteral("c.jpg")));
    EXPECT_TRUE(backup::SafePictureName(QStringLiteral("..c.jpg")));
    for (const char* bad : {"", ".", "..", "../x.jpg", "a/b.jpg", "..\\..\\x.jpg", "C:\\x\\..\\y"})
        EXPECT_FALSE(backup::SafePictureName(QString::fromUtf8(bad))) << bad;
}

TEST(FolderBackup, CopiesKeepsOldOnRequestReportsFailuresAndChecksTheCopies) {
    UserFolder folder;
    QTemporaryDir src, dest;
    const QString a = Write(src.filePath(QStringLiteral("a.jpg")), QByteArray(5000, 'a'));
    const QString b = Write(src.filePath(QStringLiteral("b.jpg")), QByteArray(7000, 'b'));
    BackupFiles files;
    files.add(folder.file(QStringLiteral("QIVUser.mdb")), true);
    files.add(a);
    files.add(b);
    files.add(src.filePath(QStringLiteral("gone.jpg")));
    const QString target = dest.filePath(QStringLiteral("QIVBackup"));
    backup::PrepareBackupFolder(target);
    Write(target + QStringLiteral("/Pictures/b.jpg"), "old b");

    backup::FolderBackupOptions keep;
    keep.keepOldPictures = true;
    auto report = backup::BackUpToFolder(files, target, keep);
    EXPECT_EQ(report.failed.size(), 1);
    EXPECT_TRUE(report.failed.value(0).contains(QStringLiteral("gone.jpg")));
    EXPECT_TRUE(report.unverified.isEmpty());
    EXPECT_EQ(report.keptOld, 1);
    EXPECT_EQ(Hash(target + QStringLiteral("/Pictures/a.jpg")), Hash(a));
    EXPECT_EQ(Hash(target + QStringLiteral("/Pictures/b.jpg")),
              Hash(Write(dest.filePath(QStringLiteral("expect")), "old b")));
    EXPECT_EQ(backup::CheckUserDatabase(target + QStringLiteral("/QIVUser.mdb")), QString());
    EXPECT_EQ(QFileInfo(target + QStringLiteral("/Pictures/a.jpg")).permissions() & 0x7777,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);

    // A copy that does not match its source when it is read back is named.
    backup::FolderBackupOptions spoil;
    spoil.progress = [&](const QString& line) {
        if (line.startsWith(QStringLiteral("Verifying")))
            Write(target + QStringLiteral("/Pictures/b.jpg"), QByteArray(7000, 'c'));
    };
    report = backup::BackUpToFolder(files, target, spoil);
    EXPECT_EQ(report.unverified, QStringList{target + QStringLiteral("/Pictures/b.jpg")});
    EXPECT_FALSE(report.ok());
    EXPECT_TRUE(backup::VerificationMessage(report.unverified).contains(QStringLiteral("b.jpg")));
    EXPECT_TRUE(QDir(target + QStringLiteral("/Pictures"))
                    .entryList(QDir::Hidden | QDir::Files)
                    .filter(QStringLiteral(".part"))
                    .isEmpty());
}

TEST(FolderBackup, TheCheckReadsOnlyTheCopiesAndNamesEachDamagedOne) {
    UserFolder folder;
    QTemporaryDir src, dest;
    BackupFiles files;
    files.add(folder.file(QStringLiteral("QIVUser.mdb")), true);
    QStringList names;
    for (const char* name : {"flip.jpg", "short.jpg", "other.jpg", "gone.jpg", "kept.jpg"}) {
        const QString n = QString::fromLatin1(name);
        names << n;
        QByteArray bytes(300 * 1024 + names.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 131 + names.size()) >> 3);
        files.add(Write(src.filePath(n), bytes));
    }
    const QString target = dest.filePath(QStringLiteral("QIVBackup"));
    const auto report = BackUpUnchecked(files, target);
    ASSERT_TRUE(report.ok());
    ASSERT_EQ(report.written.size(), 6u);
    // The sources are gone: the check needs only the copies.
    ASSERT_TRUE(QDir(src.path()).removeRecursively());
    EXPECT_EQ(backup::CheckWrittenFiles(report.written), QStringList());

    const QString pictures = target + QStringLiteral("/Pictures/");
    auto edit = [&](const QString& name, const std::function<void(QByteArray&)>& change) {
        QFile f(pictures + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        change(bytes);
        // Written as a new file put in place, as another program saving it would.
        Write(pictures + QStringLiteral("new"), bytes);
        ASSERT_TRUE(QFile::remove(pictures + name));
        ASSERT_TRUE(QFile::rename(pictures + QStringLiteral("new"), pictures + name));
    };
    edit(QStringLiteral("flip.jpg"),
         [](QByteArray& b) { b[b.size() / 2] = char(b[b.size() / 2] ^ 4); });
    edit(QStringLiteral("short.jpg"), [](QByteArray& b) { b.chop(1); });
    // Another picture of the same size in its place.
    edit(QStringLiteral("other.jpg"), [](QByteArray& b) { std::reverse(b.begin(), b.end()); });
    ASSERT_TRUE(QFile::remove(pictures + QStringLiteral("gone.jpg")));
    // The database copy cut short.
    const QString database = target + QStringLiteral("/QIVUser.mdb");
    ASSERT_TRUE(QFile::resize(database, QFileInfo(database).size() / 2));

    const QStringList bad = backup::CheckWrittenFiles(report.written);
    ASSERT_EQ(bad.size(), 5) << bad.join(QLatin1Char('\n')).toStdString();
    // The database's line says why it failed its check.
    EXPECT_EQ(bad.filter(database + QStringLiteral(" (")).size(), 1);
    const QString message = backup::VerificationMessage(bad);
    for (const char* name : {"flip.jpg", "short.jpg", "other.jpg", "gone.jpg"})
        EXPECT_TRUE(message.contains(pictures + QString::fromLatin1(name))) << name;
    EXPECT_FALSE(message.contains(QStringLiteral("kept.jpg"))) << message.toStdString();
}

TEST(FolderBackup, ACopysFingerprintIsThatOfItsBytes) {
    QTemporaryDir dest;
    // Within one file system, and from another one where there is (memory-backed, where the
    // kernel may refuse its own copy).
    QStringList folders{dest.path()};
    QTemporaryDir shm(QStringLiteral("/dev/shm/quivera-test-XXXXXX"));
    if (shm.isValid()) folders << shm.path();
    for (const QString& from : folders) {
        for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(256 * 1024 * 3 + 7)}) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i)
                bytes[i] = char(i * 7 + (i >> 11));
            const QString source = Write(from + QStringLiteral("/src.bin"), bytes);
            const QString target = dest.filePath(QStringLiteral("copy.bin"));
            const backup::Fingerprint f = backup::CopyWholeFile(source, target);
            EXPECT_EQ(f.size, size) << from.toStdString();
            EXPECT_EQ(f.hash, backup::HashOf(bytes.constData(), size_t(size)))
                << from.toStdString() << " " << size;
            EXPECT_EQ(backup::FingerprintOf(target), f);
            EXPECT_EQ(Hash(target), Hash(source));
        }
    }
}

TEST(FolderBackup, TheCheckGivesTheSameVerdictWhateverItReadsAhead) {
    // Files shorter and longer than the window the medium is asked to read ahead, and an empty
    // one; the windows from none to larger than the whole backup.
    QTemporaryDir src, dest;
    BackupFiles files;
    auto bytesOf = [](qsizetype size, int seed) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char((i * 131 + seed) >> 3);
        return bytes;
    };
    files.add(Write(src.filePath(QStringLiteral("empty.jpg")), QByteArray()));
    files.add(Write(src.filePath(QStringLiteral("large.jpg")), bytesOf(1024 * 1024 + 3, 1)));
    files.add(Write(src.filePath(QStringLiteral("small.jpg")), bytesOf(100, 2)));
    files.add(Write(src.filePath(QStringLiteral("tail.jpg")), bytesOf(300 * 1024, 3)));
    const QString target = dest.filePath(QStringLiteral("QIVBackup"));
    const auto report = BackUpUnchecked(files, target);
    ASSERT_TRUE(report.ok());
    ASSERT_EQ(report.written.size(), 4u);
    // Windows from none to larger than the whole backup, across files and within them.
    const std::vector<qint64> windows{
        0, 1, 4096, 64 * 1024, 300 * 1024 + 1, backup::kCheckReadAhead};
    for (const qint64 window : windows)
        EXPECT_EQ(backup::CheckWrittenFiles(report.written, window), QStringList()) << window;

    // Changed in place, as a program writing into the copies would: a byte near the end of the
    // large file (beyond any small window's first asking), and the empty file grown by one.
    const QString pictures = target + QStringLiteral("/Pictures/");
    {
        QFile f(pictures + QStringLiteral("large.jpg"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(f.size() - 2));
        const char c = f.read(1)[0];
        ASSERT_TRUE(f.seek(f.size() - 2));
        ASSERT_EQ(f.write(QByteArray(1, char(c ^ 0x10))), 1);
    }
    {
        QFile f(pictures + QStringLiteral("empty.jpg"));
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_EQ(f.write(QByteArray(1, '\0')), 1);
    }
    for (const qint64 window : windows)
        EXPECT_EQ(backup::CheckWrittenFiles(report.written, window),
                  (QStringList{pictures + QStringLiteral("empty.jpg"),
                               pictures + QStringLiteral("large.jpg")}))
            << window;
}

TEST(FolderBackup, ACopyTakesTheSourceToItsEndWhateverLengthItHadWhenOpened) {
    // The system's files about this process say they are empty and are not: as a file that grows
    // between being opened and being read, the copy takes what reading gives.
    const QString source = QStringLiteral("/proc/self/cmdline");
    QFile probe(source);
    ASSERT_TRUE(probe.open(QIODevice::ReadOnly));
    const QByteArray bytes = probe.readAll();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_EQ(QFileInfo(source).size(), 0);
    QTemporaryDir dest;
    const QString target = dest.filePath(QStringLiteral("copy.bin"));
    const backup::Fingerprint f = backup::CopyWholeFile(source, target);
    EXPECT_EQ(f.size, bytes.size());
    EXPECT_EQ(f.hash, backup::HashOf(bytes.constData(), size_t(bytes.size())));
    QFile copy(target);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bytes);
    EXPECT_EQ(backup::FingerprintOf(target), f);
}

TEST(FolderBackup, AFileThatIsItsOwnCopyStaysTheSameFile) {
    // The program folder is itself named QIVBackup and the backup goes beside it.
    QTemporaryDir top;
    const QString home = top.filePath(QStringLiteral("QIVBackup"));
    QDir().mkpath(home + QStringLiteral("/Pictures"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUIVERA_DIST_DIR) + QStringLiteral("/QIVUser.mdb"),
                            home + QStringLiteral("/QIVUser.mdb")));
    const QString photo = Write(home + QStringLiteral("/Pictures/own.jpg"), QByteArray(3000, 'o'));
    const auto inode = [](const QString& p) {
        struct stat st {};
        ::stat(QFile::encodeName(p).constData(), &st);
        return st.st_ino;
    };
    const auto dbInode = inode(home + QStringLiteral("/QIVUser.mdb"));
    const auto photoInode = inode(photo);
    BackupFiles files;
    files.add(home + QStringLiteral("/QIVUser.mdb"), true);
    files.add(photo);
    const auto report = backup::BackUpToFolder(files, home, {});
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(inode(home + QStringLiteral("/QIVUser.mdb")), dbInode);
    EXPECT_EQ(inode(photo), photoInode);
}

TEST(RunLock, ALockNamingNoProcessIsSetAsideOnceASecondOld) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.lock"));
    auto emptyLock = [&](int secondsOld) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsOld),
                                  QFileDevice::FileModificationTime));
    };
    // Left by a run killed while it was taking the lock: set aside, the lock is taken.
    emptyLock(5);
    {
        QLockFile lock(path);
        EXPECT_TRUE(backup::TakeRunLock(lock));
    }
    // Just made: its holder may be writing its name into it now.
    emptyLock(0);
    {
        QLockFile lock(path);
        EXPECT_FALSE(backup::TakeRunLock(lock));
    }
    QFile::remove(path);
    // A live holder keeps its lock however old it is.
    QLockFile holder(path);
    ASSERT_TRUE(backup::TakeRunLock(holder));
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                            QFileDevice::FileModificationTime);
    QLockFile second(path);
    EXPECT_FALSE(backup::TakeRunLock(second));
}
