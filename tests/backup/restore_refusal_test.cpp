// A restore refuses what it cannot restore whole, before anything of the user's is replaced.
#include "backup/restore_dialog.h"
#include "backup_support.h"

#include <QTemporaryDir>
#include <sqlite3.h>

using namespace backup_test;
using sessions_test::StaysOpenAfter;
using testing_support::ClickButton;

namespace {

// A program run with entries and pictures of its own in Pictures, and a valid backup folder
// made from a copy of its database.
struct Refusals : ::testing::Test {
    ProgramRun run;
    QTemporaryDir spare;
    QString backupFolder;

    void SetUp() override {
        run.start();
        const QString pics = run.folder.path() + QStringLiteral("Pictures/");
        QDir().mkpath(pics);
        AddPhotoEntry(run.q(), 1, QStringLiteral("Mine"),
                      photos::Make(pics + QStringLiteral("mine.jpg"), 20, 20));
        run.q().close();
        backupFolder = spare.filePath(QStringLiteral("QIVBackup"));
        QDir().mkpath(backupFolder + QStringLiteral("/Pictures"));
        backup::CopyDatabase(run.folder.file(QStringLiteral("QIVUser.mdb")),
                             backupFolder + QStringLiteral("/QIVUser.mdb"));
        AddPhotoEntry(run.q(), 2, QStringLiteral("Also mine"), pics + QStringLiteral("mine.jpg"));
        run.q().close();
    }

    // Restores through the dialog from `folder`; the dialog must stay open with one message.
    void ExpectRefused(const QString& folder, const QString& text, const QString& caption) {
        const auto before = UserFiles(run.folder.path());
        bool stayed = false;
        run.modal->onNextDialog([&](QDialog& d) {
            auto& r = dynamic_cast<TdlgRestore&>(d);
            r.setDirectory(folder);
            stayed = StaysOpenAfter(d, QStringLiteral("Button2"));
            ClickButton(d, QStringLiteral("Button1"));
            return d.result();
        });
        run.modal->messages.clear();
        run.main().RestoreFromBackup1->trigger();
        EXPECT_TRUE(stayed);
        ASSERT_EQ(run.modal->messages.size(), 1u);
        EXPECT_TRUE(run.modal->messages[0].text.contains(text))
            << run.modal->messages[0].text.toStdString();
        EXPECT_EQ(run.modal->messages[0].caption, caption);
        EXPECT_EQ(UserFiles(run.folder.path()), before);
        EXPECT_FALSE(QFileInfo::exists(run.folder.file(QStringLiteral("QIVUser.mdb.bak"))));
        // The program goes on with its own inventory.
        EXPECT_EQ(run.value(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")),
                  2);
    }

    void Corrupt(const QByteArray& bytes) {
        QFile f(backupFolder + QStringLiteral("/QIVUser.mdb"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray DatabaseBytes() {
        QFile f(backupFolder + QStringLiteral("/QIVUser.mdb"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

const QString kAborted = QStringLiteral("Restore Aborted");

} // namespace

TEST_F(Refusals, FolderGoneOrWithoutPictures) {
    const QString gone = spare.filePath(QStringLiteral("gone"));
    QDir().mkpath(gone);
    // The folder is chosen, then removed before OK.
    bool stayed = false;
    const auto before = UserFiles(run.folder.path());
    run.modal->onNextDialog([&](QDialog& d) {
        dynamic_cast<TdlgRestore&>(d).setDirectory(gone);
        QDir(gone).removeRecursively();
        stayed = StaysOpenAfter(d, QStringLiteral("Button2"));
        ClickButton(d, QStringLiteral("Button1"));
        return d.result();
    });
    run.main().RestoreFromBackup1->trigger();
    EXPECT_TRUE(stayed);
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text,
              QStringLiteral("Could not find the specified directory"));
    EXPECT_EQ(run.modal->messages[0].caption, kAborted);
    EXPECT_EQ(UserFiles(run.folder.path()), before);

    QDir(backupFolder + QStringLiteral("/Pictures")).removeRecursively();
    ExpectRefused(backupFolder, QStringLiteral("Could not find the backup pictures"), kAborted);
}

TEST_F(Refusals, TheProgramFolderItselfHoweverItIsReached) {
    ExpectRefused(run.folder.path(),
                  QStringLiteral("Double-click on the backup directory you wish to restore from."),
                  QStringLiteral("Aborted Backup"));
    const QString link = spare.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(run.folder.path(), link));
    ExpectRefused(link,
                  QStringLiteral("Double-click on the backup directory you wish to restore from."),
                  QStringLiteral("Aborted Backup"));
}

TEST_F(Refusals, TruncatedForeignOrTablelessDatabase) {
    const QByteArray whole = DatabaseBytes();
    Corrupt(whole.left(whole.size() / 2));
    ExpectRefused(backupFolder, QStringLiteral("cannot be restored"), kAborted);
    Corrupt("Shopping list: eggs, milk\n");
    ExpectRefused(backupFolder, QStringLiteral("cannot be restored"), kAborted);
    Corrupt({});
    ExpectRefused(backupFolder, QStringLiteral("cannot be restored"), kAborted);
    QFile::remove(backupFolder + QStringLiteral("/QIVUser.mdb"));
    sqlite3* h = nullptr;
    sqlite3_open((backupFolder + QStringLiteral("/QIVUser.mdb")).toUtf8().constData(), &h);
    sqlite3_exec(h, "CREATE TABLE Recipes (name TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(h);
    ExpectRefused(backupFolder, QStringLiteral("not an inventory database"), kAborted);
    QFile::remove(backupFolder + QStringLiteral("/QIVUser.mdb"));
    ExpectRefused(backupFolder, QStringLiteral("Failed to copy the inventory database."),
                  QStringLiteral("Aborted Backup"));
}

TEST_F(Refusals, PictureNamesThatWouldLeavePictures) {
    {
        UserDb db(backupFolder + QLatin1Char('/'));
        AddPhotoEntry(db.query(), 7, QStringLiteral("Evil"), QStringLiteral("/x/.."));
    }
    ExpectRefused(backupFolder, QStringLiteral("outside its Pictures folder"), kAborted);
    {
        UserDb db(backupFolder + QLatin1Char('/'));
        db.run(QStringLiteral("UPDATE Inventory SET Item_Photo_Name = '..\\..\\..\\evil.jpg' "
                              "WHERE ID_Number = 7"));
    }
    ExpectRefused(backupFolder, QStringLiteral("..\\..\\..\\evil.jpg"), kAborted);
}

TEST_F(Refusals, MissingPictureRestoresTheRestWithOneMessage) {
    // The backup's database names mine.jpg, which its Pictures folder lacks.
    run.modal->onNextDialog([&](QDialog& d) {
        dynamic_cast<TdlgRestore&>(d).setDirectory(backupFolder);
        ClickButton(d, QStringLiteral("Button2"));
        return d.result();
    });
    run.main().RestoreFromBackup1->trigger();
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text, QStringLiteral("Not all pictures were copied."));
    EXPECT_EQ(run.modal->messages[0].caption, QStringLiteral("Errors Occured"));
    // The restored inventory has one entry, pointing into Pictures all the same; the replaced
    // database is kept.
    EXPECT_EQ(PhotoPaths(run.q(), QStringLiteral("Inventory")),
              QStringList{run.folder.path() + QStringLiteral("Pictures/mine.jpg")});
    EXPECT_EQ(run.state().IDCounter, 1);
    const QString bak = run.folder.file(QStringLiteral("QIVUser.mdb.bak"));
    EXPECT_EQ(backup::CheckUserDatabase(bak), QString());
    QTemporaryDir look;
    QFile::copy(bak, look.filePath(QStringLiteral("QIVUser.mdb")));
    UserDb old(look.path() + QLatin1Char('/'));
    EXPECT_EQ(old.value(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")), 2);
}
