// Backup and restore through the File menu and their dialogs, headless.
#include "backup/backup_dialog.h"
#include "backup/backup_exists_dialog.h"
#include "backup/restore_dialog.h"
#include "backup_support.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace backup_test;
using sessions_test::StaysOpenAfter;
using testing_support::ClickButton;

namespace {

// Photographs in three folders; two of them share the name "a.jpg".
struct SourcePhotos {
    QTemporaryDir root;
    QString x, y, z;
    QString xa, xb, ya, zc;
    SourcePhotos() {
        x = root.filePath(QStringLiteral("x"));
        y = root.filePath(QStringLiteral("y"));
        z = root.filePath(QStringLiteral("z z"));
        for (const QString& d : {x, y, z})
            QDir().mkpath(d);
        xa = photos::Make(x + QStringLiteral("/a.jpg"), 40, 30, qRgb(200, 0, 0));
        xb = photos::Make(x + QStringLiteral("/b.jpg"), 40, 30, qRgb(0, 200, 0));
        ya = photos::Make(y + QStringLiteral("/a.jpg"), 60, 30, qRgb(0, 0, 200));
        zc = photos::Make(z + QStringLiteral("/it's.jpg"), 30, 30, qRgb(90, 90, 0));
    }
};

// The working inventory: x/a, y/a, x/b; a saved inventory "Garage" with z/it's.jpg. The working
// inventory has unsaved changes.
void FillInventory(ProgramRun& run, const SourcePhotos& p) {
    auto& q = run.q();
    AddPhotoEntry(q, 1, QStringLiteral("Pan"), p.xa);
    AddPhotoEntry(q, 2, QStringLiteral("Pot"), p.ya);
    AddPhotoEntry(q, 3, QStringLiteral("Cup"), p.xb);
    q.execute({QStringLiteral("SELECT * INTO Garage FROM Inventory")});
    q.execute({QStringLiteral("UPDATE Garage SET Item_Photo_Name = '") + store::ToStoredText(p.zc) +
               QStringLiteral("' WHERE ID_Number = 2")});
    q.execute({QStringLiteral("INSERT INTO Master_Table VALUES ('Garage')")});
    run.state().IDCounter = 3;
    run.state().InventoryModified = true;
}

// Scripts the backup dialog: the folder chosen, then `then` with the dialog.
void BackupStep(ProgramRun& run, const QString& folder, std::function<void(TdlgBackup&)> then) {
    run.modal->onNextDialog([folder, then](QDialog& d) {
        auto& b = dynamic_cast<TdlgBackup&>(d);
        EXPECT_TRUE(b.setDirectory(folder));
        then(b);
        return d.result();
    });
}

void RestoreStep(ProgramRun& run, const QString& folder) {
    run.modal->onNextDialog([folder](QDialog& d) {
        auto& r = dynamic_cast<TdlgRestore&>(d);
        EXPECT_TRUE(r.setDirectory(folder));
        ClickButton(d, QStringLiteral("Button2"));
        return d.result();
    });
}

} // namespace

TEST(BackupAndRestore, ThreeFoldersToAFolderAndBackIntoAFreshProgramFolder) {
    SourcePhotos p;
    QTemporaryDir dest;
    const QString backupFolder = dest.filePath(QStringLiteral("QIVBackup"));
    {
        ProgramRun run;
        run.start();
        FillInventory(run, p);
        BackupStep(run, dest.path(), [&](TdlgBackup& b) {
            // Two pictures named a.jpg: the warning panel, the taller form.
            EXPECT_FALSE(b.Panel1->isHidden());
            EXPECT_EQ(b.height(), 350);
            EXPECT_EQ(b.Panel2->y(), 81);
            EXPECT_EQ(b.Button2->y(), 294);
            EXPECT_EQ(b.Label12->text(),
                      QStringLiteral("help on \"Troubleshooting\" for details."));
            EXPECT_EQ(b.Label9->text(), backupFolder);
            EXPECT_EQ(b.files().entries().size(), 4u); // the database and three pictures
            EXPECT_EQ(b.Label5->text(), backup::KiloText(b.spaceNeeded()));
            EXPECT_FALSE(b.Label3->text().isEmpty());
            EXPECT_TRUE(b.Button2->isEnabled());
            EXPECT_TRUE(b.Label6->isHidden());
            ClickButton(b, QStringLiteral("Button2"));
        });
        // Unsaved changes: saved under a name first.
        run.clickStep(QStringLiteral("Button2"));
        run.saveAsStep(QStringLiteral("Kitchen Things"));
        run.main().BackupInventory1->trigger();
        EXPECT_EQ(run.shown(), (QStringList{"dlgBackup", "dlgSaveBeforeBackup", "dlgSaveAs"}));
        EXPECT_TRUE(run.modal->messages.empty()) << run.modal->lastMessage().toStdString();
        EXPECT_FALSE(run.state().InventoryModified);
        EXPECT_EQ(run.savedTables().size(), 2);

        // One copy of the shared name: the first met, the working inventory's entry 1.
        const QString pics = backupFolder + QStringLiteral("/Pictures/");
        EXPECT_EQ(QDir(pics).entryList(QDir::Files), (QStringList{"a.jpg", "b.jpg", "it's.jpg"}));
        EXPECT_EQ(Hash(pics + QStringLiteral("a.jpg")), Hash(p.xa));
        EXPECT_EQ(Hash(pics + QStringLiteral("it's.jpg")), Hash(p.zc));
        EXPECT_EQ(backup::CheckUserDatabase(backupFolder + QStringLiteral("/QIVUser.mdb")),
                  QString());

        // A second backup into the same place asks first; Cancel there changes nothing and
        // leaves the backup dialog open.
        const auto before = Snapshot(dest.path());
        bool stayed = false;
        BackupStep(run, dest.path(), [&](TdlgBackup& b) {
            stayed = StaysOpenAfter(b, QStringLiteral("Button2"));
            ClickButton(b, QStringLiteral("Button1"));
        });
        run.modal->onNextDialog([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("A backup exists"));
            EXPECT_TRUE(d.findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->isChecked());
            ClickButton(d, QStringLiteral("Button1"));
            return d.result();
        });
        run.main().BackupInventory1->trigger();
        EXPECT_TRUE(stayed);
        EXPECT_EQ(run.shown().mid(3), (QStringList{"dlgBackup", "dlgBackupExists"}));
        EXPECT_EQ(Snapshot(dest.path()), before);
        EXPECT_TRUE(run.modal->messages.empty());
    }

    // Into a fresh program folder, from files that arrive read-only as from a disc.
    for (const QString& f : Snapshot(backupFolder).keys())
        QFile(backupFolder + QLatin1Char('/') + f).setPermissions(QFileDevice::ReadOwner);
    ProgramRun fresh;
    fresh.start();
    const QString home = fresh.folder.path();
    RestoreStep(fresh, backupFolder);
    fresh.main().RestoreFromBackup1->trigger();
    EXPECT_TRUE(fresh.modal->messages.empty()) << fresh.modal->lastMessage().toStdString();
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("QIVUser.mdb.bak")));
    const QStringList tables{"Inventory", inventories::ToTableName("Kitchen Things"), "Garage"};
    for (const QString& t : tables) {
        const QStringList photos = PhotoPaths(fresh.q(), t);
        ASSERT_EQ(photos.size(), 3) << t.toStdString();
        for (const QString& photo : photos) {
            EXPECT_TRUE(photo.startsWith(home + QStringLiteral("Pictures/")))
                << photo.toStdString();
            EXPECT_TRUE(Opens(photo)) << photo.toStdString();
        }
    }
    EXPECT_EQ(PhotoPaths(fresh.q(), QStringLiteral("Garage"))[1],
              home + QStringLiteral("Pictures/it's.jpg"));
    for (const char* f : {"QIVUser.mdb", "Pictures/a.jpg"})
        EXPECT_TRUE(QFileInfo(home + QString::fromLatin1(f)).permissions() &
                    QFileDevice::WriteOwner)
            << f;
    // The working inventory is shown again, the session marked as running.
    EXPECT_EQ(fresh.state().IDCounter, 3);
    EXPECT_EQ(fresh.markers(), 1);
    EXPECT_EQ(fresh.masterLines().size(), 4);
    EXPECT_EQ(fresh.caption(), QStringLiteral("Kitchen Things - Quivera!"));
}

TEST(BackupAndRestore, DoNotOverwriteKeepsOldPicturesOverwriteReplacesThem) {
    SourcePhotos p;
    QTemporaryDir dest;
    const QString pics = dest.filePath(QStringLiteral("QIVBackup/Pictures/"));
    ProgramRun run;
    run.start();
    FillInventory(run, p);
    run.state().InventoryModified = false;
    auto backUp = [&](const char* radio) {
        BackupStep(run, dest.path(),
                   [](TdlgBackup& b) { ClickButton(b, QStringLiteral("Button2")); });
        if (radio)
            run.modal->onNextDialog([radio](QDialog& d) {
                d.findChild<QRadioButton*>(QString::fromLatin1(radio))->setChecked(true);
                ClickButton(d, QStringLiteral("Button2"));
                return d.result();
            });
        run.main().BackupInventory1->trigger();
    };
    backUp(nullptr);
    const QByteArray first = Hash(pics + QStringLiteral("b.jpg"));
    photos::Make(p.xb, 80, 20, qRgb(1, 2, 3));
    ASSERT_NE(Hash(p.xb), first);
    backUp("RadioButton3");
    EXPECT_EQ(Hash(pics + QStringLiteral("b.jpg")), first);
    backUp("RadioButton2");
    EXPECT_EQ(Hash(pics + QStringLiteral("b.jpg")), Hash(p.xb));
    EXPECT_TRUE(run.modal->messages.empty()) << run.modal->lastMessage().toStdString();

    // A picture that is gone: the others are copied, then one message.
    QFile::remove(p.zc);
    QDir(dest.path()).removeRecursively();
    QDir().mkpath(dest.path());
    backUp(nullptr);
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text,
              QStringLiteral("Errors occured.  Backup may not be valid."));
    EXPECT_EQ(run.modal->messages[0].caption, QStringLiteral("Errors Occured"));
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(pics + QStringLiteral("it's.jpg")));
}

TEST(BackupAndRestore, FolderThatCannotBeMadeKeepsTheDialogOpen) {
    ProgramRun run;
    run.start();
    QTemporaryDir dest;
    // A file where the backup folder would go.
    QFile block(dest.filePath(QStringLiteral("QIVBackup")));
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    bool stayed = false;
    BackupStep(run, dest.path(), [&](TdlgBackup& b) {
        EXPECT_TRUE(b.Panel1->isHidden());
        EXPECT_EQ(b.height(), 269);
        stayed = StaysOpenAfter(b, QStringLiteral("Button2"));
        EXPECT_TRUE(b.Button2->isEnabled());
        ClickButton(b, QStringLiteral("Button1"));
    });
    run.main().BackupInventory1->trigger();
    EXPECT_TRUE(stayed);
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text, QStringLiteral("Could not create backup directory"));
    EXPECT_EQ(run.modal->messages[0].caption, QStringLiteral("Error"));
}

TEST(BackupAndRestore, UnsavedNamedInventoryIsSavedUnderItsNameFirstCancelStopsTheBackup) {
    ProgramRun run;
    run.start();
    QTemporaryDir dest;
    run.addEntries(2, QStringLiteral("Vase"));
    run.saveAsStep(QStringLiteral("Hall"));
    run.main().SaveInventoryAs1->trigger();
    run.addEntries(1, QStringLiteral("Rug"));
    ASSERT_TRUE(run.state().InventoryModified);

    // Cancel: the backup dialog stays, nothing is written.
    bool stayed = false;
    BackupStep(run, dest.path(), [&](TdlgBackup& b) {
        stayed = StaysOpenAfter(b, QStringLiteral("Button2"));
        ClickButton(b, QStringLiteral("Button1"));
    });
    run.clickStep(QStringLiteral("Button1"));
    run.main().BackupInventory1->trigger();
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(run.state().InventoryModified);
    EXPECT_FALSE(QFileInfo::exists(dest.filePath(QStringLiteral("QIVBackup"))));
    EXPECT_EQ(run.items(QStringLiteral("Hall")).size(), 2);

    // Save: under the open name, without asking for one.
    BackupStep(run, dest.path(), [](TdlgBackup& b) { ClickButton(b, QStringLiteral("Button2")); });
    run.clickStep(QStringLiteral("Button3"));
    run.main().BackupInventory1->trigger();
    EXPECT_EQ(run.shown().mid(1), (QStringList{"dlgBackup", "dlgSaveBeforeBackup", "dlgBackup",
                                               "dlgSaveBeforeBackup"}));
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_EQ(run.items(QStringLiteral("Hall")).size(), 3);
    UserDb copy(dest.filePath(QStringLiteral("QIVBackup/")));
    EXPECT_EQ(copy.value(QStringLiteral("SELECT COUNT(*) FROM Hall WHERE ID_Number > 0")), 3);
}
