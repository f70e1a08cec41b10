// Start-up and close of the main window, headless, in a fresh program folder.
#include "app/common/app_state.h"
#include "app/common/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "store/database.h"
#include "store/user_file.h"
#include "tabs/sub_inventory_tab.h"
#include "tests/support/app_session.h"
#include "tests/support/scripted_modal.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session : AppSession {
    int count(const QString& sql) { return static_cast<int>(userValue(sql)); }
};

} // namespace

TEST(Startup, WindowsExistInCreationOrderWithTheirClassNames) {
    Session run;
    const char* expected[][2] = {
        {"frmMain", "TfrmMain"},
        {"frmSplash", "TfrmSplash"},
        {"dlgEdit", "TdlgEdit"},
        {"dlgPhotograph", "TdlgPhotograph"},
        {"dlgSessionInterrupted", "TdlgSessionInterrupted"},
        {"dlgContinueSession", "TdlgContinueSession"},
        {"dlgSaveThisSession", "TdlgSaveThisSession"},
        {"dlgLoad", "TdlgLoad"},
        {"dlgSaveAs", "TdlgSaveAs"},
        {"dlgOverwriteInventory", "TdlgOverwriteInventory"},
        {"dlgIncorrectNumber", "TdlgIncorrectNumber"},
        {"dlgHelp", "TdlgHelp"},
        {"dlgInvalidName", "TdlgInvalidName"},
        {"dlgDelete", "TdlgDelete"},
        {"dlgAreYouSure", "TdlgAreYouSure"},
        {"frmIndex", "TfrmIndex"},
        {"dlgBackup", "TdlgBackup"},
        {"dlgSaveBeforeBackup", "TdlgSaveBeforeBackup"},
        {"dlgBackupExists", "TdlgBackupExists"},
        {"dlgRestore", "TdlgRestore"},
        {"QIVDBWriter", "TQIVDBWriter"},
        {"frmPhotoView", "TfrmPhotoView"},
        {"dlgRenamePhoto", "TdlgRenamePhoto"},
        {"dlgQIVPrint", "TdlgQIVPrint"},
        {"frmAbout", "TfrmAbout"},
    };
    const auto& all = ui::Win().all;
    ASSERT_EQ(all.size(), 25);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(all[i]->objectName(), QLatin1String(expected[i][0])) << i;
        EXPECT_STREQ(all[i]->metaObject()->className(), expected[i][1]) << i;
    }
    EXPECT_TRUE(run.modal.messages.empty()) << run.modal.lastMessage().toStdString();
}

TEST(Startup, NineteenPagesInOrderWithInventoryShownFirst) {
    Session run;
    QTabWidget* tabs = run.main().findChild<QTabWidget*>(QStringLiteral("tabMain"));
    ASSERT_NE(tabs, nullptr);
    const QStringList captions = {"Art/Decoration",    "Bathroom",  "Clothing",
                                  "Electronics",       "Furniture", "Hobbies/Collections",
                                  "Home Office",       "Jewelry",   "Kitchen/Dining",
                                  "Laundry",           "Libraries", "Linens",
                                  "Miscellaneous",     "Music",     "Outdoor Living",
                                  "Sports Equipment",  "Tools",     "Inventory",
                                  "Inventory Pictures"};
    const QStringList names = {"tabArt",       "tabBathroom",  "tabClothing",  "tabElectronics",
                               "tabFurniture", "tabHobbies",   "tabOffice",    "tabJewelry",
                               "tabKitchen",   "tabLaundry",   "tabLibraries", "tabLinens",
                               "tabMisc",      "tabMusic",     "tabOutdoors",  "tabSports",
                               "tabTools",     "tabInventory", "tabPictures"};
    ASSERT_EQ(tabs->count(), 19);
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("tabInventory"));
    EXPECT_EQ(run.main().size(), QSize(777, 570));
    EXPECT_EQ(run.main().windowTitle(), QStringLiteral("Quivera!"));
}

TEST(Startup, EveryCategoryListIsFilledFromTheCatalogue) {
    Session run;
    auto& cat = app::State().ADOQuery1;
    for (const auto* tab : run.main().subTabs) {
        auto* list = run.main().findChild<QListWidget*>(
            QStringLiteral("lst") + tab->info().keyText() + QStringLiteral("1"));
        ASSERT_NE(list, nullptr);
        cat.open({QStringLiteral("SELECT COUNT(*) FROM ") + tab->info().keyText() +
                  QStringLiteral("_Main")});
        EXPECT_EQ(list->count(), cat.integer(0)) << tab->info().key;
        EXPECT_GT(list->count(), 1);
        EXPECT_GT(tab->categoryScrollExtent(), 3);
    }
}

TEST(Startup, MainMenuHasEveryItem) {
    Session run;
    for (const char* name : {"File1",
                             "New1",
                             "LoadInventory1",
                             "DeleteInventory1",
                             "SaveInventory1",
                             "SaveInventoryAs1",
                             "BackupInventory1",
                             "RestoreFromBackup1",
                             "PrintInventory1",
                             "N4",
                             "LastUsed1",
                             "LastUsed2",
                             "LastUsed3",
                             "LastUsed4",
                             "LastUsedSeparator",
                             "Exit1",
                             "Defaults1",
                             "LowCost1",
                             "MediumCost1",
                             "HighCost1",
                             "Appearance1",
                             "Default1",
                             "Watermarks1",
                             "Help1",
                             "ThisTab1",
                             "Tutorial1",
                             "HelponInventoryTab1",
                             "HelponInventoryPicturesTab1",
                             "HelponOtherTabs1",
                             "SuggestionsonusingQuiveratm1",
                             "Index1",
                             "About1",
                             "D1",
                             "DBWriter1",
                             "HideDevTools1",
                             "TestIndex1"})
        EXPECT_NE(run.main().findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_FALSE(run.main().D1->menuAction()->isVisible());
    EXPECT_TRUE(run.main().LowCost1->isChecked());
    EXPECT_TRUE(run.main().Watermarks1->isChecked());
    EXPECT_TRUE(run.main().HideDevTools1->isChecked());
}

TEST(Startup, ProgramFolderRule) {
    EXPECT_EQ(app::ProgramFolderFrom(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(app::ProgramFolderFrom(QStringLiteral("/home/me")), QStringLiteral("/home/me/"));
    EXPECT_EQ(app::ProgramFolderFrom(QStringLiteral("/home/me/")), QStringLiteral("/home/me/"));
    Session run;
    EXPECT_EQ(app::State().programFolder, run.folder.path());
}

TEST(Startup, ShowRunsSplashThenInsertsTheRunMarkerAndCloseRemovesIt) {
    Session run;
    run.main().show();
    QTRY_COMPARE(run.modal.dialogsShown.value(0), QStringLiteral("frmSplash"));
    QTRY_COMPARE(run.count(QStringLiteral(
                     "SELECT COUNT(*) FROM Master_Table WHERE Table_Names = 'Inventory'")),
                 1);
    auto& q = app::State().ADOQuery2;
    q.execute({QStringLiteral("INSERT INTO Inventory VALUES (1, 'Art', 2, 'P', 1, 'I', 1, 1, 1, 1, "
                              "'', '')")});
    run.main().close();
    EXPECT_EQ(run.count(QStringLiteral(
                  "SELECT COUNT(*) FROM Master_Table WHERE Table_Names = 'Inventory'")),
              0);
    EXPECT_EQ(run.count(QStringLiteral("SELECT COUNT(*) FROM Inventory")), 1);
}

TEST(Startup, MissingCatalogueGivesAMessageAndTheWindowStillComesUp) {
    ProgramFolder folder;
    QFile::remove(folder.file(QStringLiteral("QIVData.mdb")));
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    EXPECT_NE(ui::Win().frmMain, nullptr);
    EXPECT_FALSE(ui::Win().frmMain->formCreateSucceeded());
    ASSERT_FALSE(modal.messages.empty());
    EXPECT_EQ(modal.messages.front().caption, QStringLiteral("Error"));
    EXPECT_TRUE(modal.messages.front().text.contains(QStringLiteral("QIVData.mdb")));
    EXPECT_EQ(ui::Win().all.size(), 25);
    app::DestroyWindows();
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("QIVData.mdb"))));
}

namespace {

QStringList SetAside(const ProgramFolder& folder) {
    return QDir(folder.path()).entryList({QStringLiteral("QIVUser.mdb.damaged-*")}, QDir::Files);
}

} // namespace

TEST(Startup, DamagedUserDatabaseIsNamedAndANewOneCanTakeItsPlace) {
    ProgramFolder folder;
    const QString user = folder.file(QStringLiteral("QIVUser.mdb"));
    {
        store::Connection c(store::ConnectionString(store::DatabaseKind::User, folder.path()));
        store::Query q(c);
        q.execute({QStringLiteral("DROP TABLE Inventory")});
    }
    ScriptedModal modal;
    modal.answerNextQuestion(QMessageBox::Yes);
    EnsureApplication();
    app::CreateWindows();
    // One message that names the file, what is wrong and what to do; no engine text alone.
    ASSERT_EQ(modal.messages.size(), 1u) << modal.lastMessage().toStdString();
    const QString text = modal.messages[0].text;
    EXPECT_TRUE(text.contains(user)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("no such table: Inventory")));
    EXPECT_TRUE(text.contains(QStringLiteral("Restore From Backup")));
    const QStringList aside = SetAside(folder);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(text.contains(folder.file(aside[0])));
    EXPECT_FALSE(ui::Win().frmMain->quitRequested());
    EXPECT_TRUE(ui::Win().frmMain->formCreateSucceeded());
    // The new file is whole and the start went on with it: the header row was written.
    EXPECT_EQ(store::CheckUserDatabase(user).problem, store::UserFileProblem::None);
    auto& q = app::State().ADOQuery2;
    q.open({QStringLiteral("SELECT Item_Notes FROM Inventory WHERE ID_Number = 0")});
    EXPECT_EQ(q.text(0).size(), 27);
    q.close();
    app::DestroyWindows();
    // The damaged file is kept as it was.
    EXPECT_EQ(store::CheckUserDatabase(folder.file(aside[0])).problem,
              store::UserFileProblem::Damaged);
}

TEST(Startup, UnusableUserDatabaseLetsTheUserQuitWithTheFileUntouched) {
    ProgramFolder folder;
    const QString user = folder.file(QStringLiteral("QIVUser.mdb"));
    const QByteArray garbage(4096, 'x');
    {
        QFile f(user);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(garbage);
    }
    ScriptedModal modal;
    modal.answerNextQuestion(QMessageBox::No);
    EnsureApplication();
    app::CreateWindows();
    ASSERT_EQ(modal.messages.size(), 1u) << modal.lastMessage().toStdString();
    EXPECT_TRUE(modal.messages[0].text.contains(user));
    EXPECT_TRUE(modal.messages[0].text.contains(QStringLiteral("not a database")));
    EXPECT_TRUE(ui::Win().frmMain->quitRequested());
    EXPECT_FALSE(ui::Win().frmMain->formCreateSucceeded());
    app::DestroyWindows();
    EXPECT_TRUE(SetAside(folder).isEmpty());
    QFile f(user);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);
}

TEST(Startup, TabBackgroundsAreDecodedAndADamagedOneIsReported) {
    {
        Session s;
        const QPixmap art = tabs::RegisteredTabs()[0]->imgBack->pixmap();
        ASSERT_FALSE(art.isNull());
        EXPECT_EQ(art.size(), QImage(s.folder.file(QStringLiteral("Content/art.jpg"))).size());
        EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
    }
    ProgramFolder folder;
    QFile damaged(folder.file(QStringLiteral("Content/bath.jpg")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a picture");
    damaged.close();
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    ASSERT_FALSE(modal.messages.empty());
    EXPECT_TRUE(modal.messages.front().text.contains(QStringLiteral("bath.jpg")));
    app::DestroyWindows();
}

TEST(Startup, SettingsFileIsAppliedAndWrittenBackAtClose) {
    ProgramFolder folder;
    {
        QFile ini(folder.file(QStringLiteral("QIV.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("POSITION = (200,150)\nENABLE DEVTOOLS\nAPPEARANCE STANDARD\n");
    }
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    TfrmMain& main = *ui::Win().frmMain;
    EXPECT_EQ(main.pos(), QPoint(200, 150));
    EXPECT_TRUE(main.Default1->isChecked());
    EXPECT_FALSE(main.Watermarks1->isChecked());
    EXPECT_TRUE(main.D1->menuAction()->isVisible());
    EXPECT_EQ(main.subTabs[0]->btnAdd->text(), QStringLiteral("Add"));
    main.HighCost1->trigger();
    EXPECT_TRUE(main.HighCost1->isChecked());
    EXPECT_FALSE(main.LowCost1->isChecked());
    EXPECT_TRUE(app::State().SettingsChanged);
    main.close();
    app::DestroyWindows();
    QFile ini(folder.file(QStringLiteral("QIV.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    // "Hide DevTools" stayed checked, so the menu is not asked for again.
    EXPECT_EQ(ini.readAll(), QByteArray("POSITION = (200,150)\nAPPEARANCE STANDARD\n"));
    EXPECT_TRUE(modal.messages.empty()) << modal.lastMessage().toStdString();
}
