// Backup and restore from the command line, without a window, as a scheduled job runs them.
#include "backup_support.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace backup_test;

namespace {

using Job = testing_support::ChildRun;
Job RunJob(const QString& programFolder, const QStringList& arguments) {
    return testing_support::RunProgramJob(QStringLiteral(QUIVERA_EXECUTABLE), programFolder,
                                          arguments);
}

qint64 Count(const QString& folder, const QString& where) {
    UserDb db(folder);
    return db.value(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ") + where);
}

} // namespace

TEST(CommandLine, BackupWhileAWriterIsBusyThenRestoreElsewhere) {
    UserFolder home;
    QTemporaryDir photosDir, dest;
    const QString shot = photos::Make(photosDir.filePath(QStringLiteral("shot.jpg")), 30, 20);
    {
        UserDb db(home.path());
        AddPhotoEntry(db.query(), 1, QStringLiteral("Lamp"), shot);
    }
    Job job;
    {
        // The program at work meanwhile: a write not yet committed is not in the backup.
        UserDb db(home.path());
        db.run(QStringLiteral("BEGIN IMMEDIATE"));
        AddPhotoEntry(db.query(), 2, QStringLiteral("Pending"), QString());
        job = RunJob(home.path(), {QStringLiteral("--backup"), dest.path()});
        db.run(QStringLiteral("COMMIT"));
    }
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(job.errors.contains(QStringLiteral("verified"))) << job.errors.toStdString();
    const QString folder = dest.filePath(QStringLiteral("QIVBackup/"));
    EXPECT_EQ(Hash(folder + QStringLiteral("Pictures/shot.jpg")), Hash(shot));
    EXPECT_EQ(Count(folder, QStringLiteral("ID_Number > 0")), 1);

    UserFolder other;
    job = RunJob(other.path(), {QStringLiteral("--restore"), dest.path()});
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    {
        UserDb db(other.path());
        EXPECT_EQ(PhotoPaths(db.query(), QStringLiteral("Inventory")),
                  QStringList{other.path() + QStringLiteral("Pictures/shot.jpg")});
        // Nothing runs there: no session is marked.
        EXPECT_EQ(db.value(QStringLiteral(
                      "SELECT COUNT(*) FROM Master_Table WHERE Table_Names = 'Inventory'")),
                  0);
    }
    EXPECT_TRUE(Opens(other.path() + QStringLiteral("Pictures/shot.jpg")));
}

TEST(CommandLine, FailuresEndWithANonZeroStatus) {
    UserFolder home;
    QTemporaryDir dest;
    EXPECT_EQ(RunJob(home.path(), {QStringLiteral("--backup")}).status, 2);
    Job job =
        RunJob(home.path(), {QStringLiteral("--backup"), dest.filePath(QStringLiteral("no"))});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(dest.filePath(QStringLiteral("no"))));
    // A picture that cannot be read: the backup is not whole.
    {
        UserDb db(home.path());
        AddPhotoEntry(db.query(), 1, QStringLiteral("Gone"),
                      dest.filePath(QStringLiteral("x.jpg")));
    }
    job = RunJob(home.path(), {QStringLiteral("--backup"), dest.path()});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("x.jpg"))) << job.errors.toStdString();

    job = RunJob(home.path(), {QStringLiteral("--backup-disc"), QStringLiteral("nosuchdrive")});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("nosuchdrive"))) << job.errors.toStdString();

    // A restore is refused while the program runs on the folder.
    UserFolder other;
    const auto before = UserFiles(other.path());
    {
        QLockFile running(backup::RunLockPath(other.path()));
        ASSERT_TRUE(running.tryLock(0));
        job = RunJob(other.path(), {QStringLiteral("--restore"), dest.path()});
    }
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("running"))) << job.errors.toStdString();
    EXPECT_EQ(UserFiles(other.path()), before);
    job = RunJob(other.path(), {QStringLiteral("--restore"), dest.filePath(QStringLiteral("no"))});
    EXPECT_EQ(job.status, 1);
    EXPECT_EQ(UserFiles(other.path()), before);
    // Restored whole, but the picture is missing: not a success.
    job = RunJob(other.path(), {QStringLiteral("--restore"), dest.path()});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("Not all pictures were copied.")));
}

TEST(CommandLine, KilledRestoreLeavesTheOldOrTheNewDatabaseWhole) {
    // A backup of many pictures, so that a restore takes a while.
    UserFolder source;
    QTemporaryDir photosDir, dest;
    {
        UserDb db(source.path());
        const QByteArray filler(96 * 1024, 'p');
        db.run(QStringLiteral("BEGIN"));
        for (int i = 1; i <= 200; ++i) {
            const QString path = photosDir.filePath(QStringLiteral("p%1.jpg").arg(i));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(filler);
            AddPhotoEntry(db.query(), i, QStringLiteral("NEW"), path);
        }
        db.run(QStringLiteral("COMMIT"));
    }
    ASSERT_EQ(RunJob(source.path(), {QStringLiteral("--backup"), dest.path()}).status, 0);

    UserFolder home;
    {
        UserDb db(home.path());
        AddPhotoEntry(db.query(), 1, QStringLiteral("OLD"), QString());
    }
    const QString live = home.file(QStringLiteral("QIVUser.mdb"));
    const QString original = home.file(QStringLiteral("original.mdb"));
    ASSERT_TRUE(QFile::copy(live, original));

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(RunJob(home.path(), {QStringLiteral("--restore"), dest.path()}).status, 0);
    const qint64 whole = std::max<qint64>(clock.elapsed(), 20);

    int old = 0, restored = 0;
    for (int i = 0; i < 10; ++i) {
        QFile::remove(live);
        ASSERT_TRUE(QFile::copy(original, live));
        QFile(live).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QProcess p;
        p.setProgram(QStringLiteral(QUIVERA_EXECUTABLE));
        p.setArguments({QStringLiteral("--restore"), dest.path()});
        p.setWorkingDirectory(home.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUIVERA_HOME"), home.path());
        p.setProcessEnvironment(env);
        p.start();
        ASSERT_TRUE(p.waitForStarted());
        // From early in the restore to well past its usual end.
        QThread::msleep(quint64(whole * (i + 1) / 5));
        p.kill();
        p.waitForFinished();
        ASSERT_EQ(backup::CheckUserDatabase(live), QString()) << "kill " << i;
        const qint64 oldRows = Count(home.path(), QStringLiteral("Item_Name = 'OLD'"));
        const qint64 newRows = Count(home.path(), QStringLiteral("Item_Name = 'NEW'"));
        EXPECT_TRUE((oldRows == 1 && newRows == 0) || (oldRows == 0 && newRows == 200))
            << "kill " << i << ": " << oldRows << " old, " << newRows << " new";
        old += oldRows == 1;
        restored += newRows == 200;
    }
    // The kills met the restore at different moments.
    EXPECT_GT(old, 0);
    // A restore after a killed one finds nothing in its way (a lock file left empty by a kill is
    // set aside once it is a second old).
    QThread::msleep(1100);
    EXPECT_EQ(RunJob(home.path(), {QStringLiteral("--restore"), dest.path()}).status, 0);
    EXPECT_EQ(Count(home.path(), QStringLiteral("Item_Name = 'NEW'")), 200);
    std::printf("whole restore %lld ms; killed restores: %d left the old database, %d the new "
                "one\n",
                static_cast<long long>(whole), old, restored);
}
