// Start-up and close of the main window, headless, in a fresh program folder.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "ui/line_list.h"
#include "inventories/are_you_sure_dialog.h"
#include "inventories/file_commands.h"
#include "help/index_window.h"
#include "tabs/edit_dialog.h"
#include "inventory/inventory_page.h"
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
#include "app/splash.h"
#include <QAccessible>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QScreen>

using namespace testing_support;

namespace {

struct Session : AppSession {
    int count(const QString& sql) { return static_cast<int>(userValue(sql)); }
};

} // namespace

TEST(Startup, WindowsExistInCreationOrderWithTheirClassNames) {
    Session run;
    // The first frame needs the main window alone.
    const auto names = [] {
        QStringList out;
        for (const QWidget* w : ui::Win().all)
            out << w->objectName();
        return out;
    };
    EXPECT_EQ(names(), QStringList({"frmMain"}));
    // A window made on first use takes its place in the order, and is made once.
    TdlgAreYouSure* sure = ui::Win().dlgAreYouSure;
    ASSERT_NE(sure, nullptr);
    EXPECT_EQ(ui::Win().dlgAreYouSure.get(), sure);
    EXPECT_NE(ui::Win().dlgEdit.get(), nullptr);
    EXPECT_EQ(names(), QStringList({"frmMain", "dlgEdit", "dlgAreYouSure"}));
    EXPECT_EQ(ui::Win().frmIndex.ifMade(), nullptr);
    app::CreateRemainingWindows();
    app::CreateRemainingWindows();
    EXPECT_EQ(ui::Win().dlgAreYouSure.get(), sure);
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
    run.main().BuildAllPages();
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
    app::CreateRemainingWindows();
    EXPECT_EQ(ui::Win().all.size(), 25);
    EXPECT_TRUE(ui::Win().frmIndex->entries().empty());
    app::DestroyWindows();
    EXPECT_FALSE(ui::Win().dlgEdit);
    EXPECT_EQ(ui::Win().dlgEdit.get(), nullptr);
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

TEST(Startup, TabBackgroundsAreDecodedOnFirstShowingAndADamagedOneIsReported) {
    {
        Session s;
        s.main().BuildAllPages();
        tabs::SubInventoryTab* art = tabs::RegisteredTabs()[0];
        // Checked when the page is built, decoded only when the tab comes into view.
        EXPECT_TRUE(art->imgBack->pixmap().isNull());
        EXPECT_TRUE(art->pendingBackground().endsWith(QStringLiteral("Content/art.jpg")));
        s.main().show();
        s.main().tabMain->setCurrentWidget(art);
        const QPixmap shown = art->imgBack->pixmap();
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(shown.size(), QImage(s.folder.file(QStringLiteral("Content/art.jpg"))).size());
        EXPECT_TRUE(art->pendingBackground().isEmpty());
        EXPECT_FALSE(tabs::RegisteredTabs()[1]->pendingBackground().isEmpty());
        EXPECT_TRUE(s.modal.messages.empty()) << s.modal.lastMessage().toStdString();
        s.main().hide();
    }
    {
        // A file that is no JPEG at all is named once, when its page is built; the start-up and
        // the other pages go on.
        ProgramFolder folder;
        QFile damaged(folder.file(QStringLiteral("Content/bath.jpg")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("not a picture");
        damaged.close();
        ScriptedModal modal;
        EnsureApplication();
        app::CreateWindows();
        EXPECT_TRUE(modal.messages.empty()) << modal.lastMessage().toStdString();
        EXPECT_TRUE(ui::Win().frmMain->formCreateSucceeded());
        ui::Win().frmMain->BuildAllPages();
        ASSERT_EQ(modal.messages.size(), 1u);
        EXPECT_EQ(modal.messages.front().caption, QStringLiteral("Error"));
        EXPECT_TRUE(modal.messages.front().text.contains(QStringLiteral("bath.jpg")));
        // The page itself has its categories; the pages after it were built whole.
        EXPECT_GT(tabs::RegisteredTabs()[1]->lst1->count(), 1);
        EXPECT_GT(tabs::RegisteredTabs()[2]->lst1->count(), 1);
        EXPECT_FALSE(tabs::RegisteredTabs()[2]->pendingBackground().isEmpty());
        // Showing the page later says nothing more.
        ui::Win().frmMain->show();
        ui::Win().frmMain->tabMain->setCurrentWidget(tabs::RegisteredTabs()[1]);
        EXPECT_EQ(modal.messages.size(), 1u) << modal.lastMessage().toStdString();
        ui::Win().frmMain->hide();
        app::DestroyWindows();
    }
    // A JPEG broken after its first bytes is reported, naming it, when its tab is first shown.
    ProgramFolder folder;
    QFile broken(folder.file(QStringLiteral("Content/art.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    static const char kCut[] = "\xff\xd8\xff\xe0 and nothing more";
    broken.write(kCut, sizeof kCut - 1);
    broken.close();
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    EXPECT_TRUE(ui::Win().frmMain->formCreateSucceeded());
    EXPECT_TRUE(modal.messages.empty()) << modal.lastMessage().toStdString();
    tabs::SubInventoryTab* art = tabs::RegisteredTabs()[0];
    ui::Win().frmMain->show();
    ui::Win().frmMain->tabMain->setCurrentWidget(art);
    ASSERT_FALSE(modal.messages.empty());
    EXPECT_EQ(modal.messages.front().caption, QStringLiteral("Error"));
    EXPECT_TRUE(modal.messages.front().text.contains(QStringLiteral("art.jpg")));
    EXPECT_TRUE(art->imgBack->pixmap().isNull());
    ui::Win().frmMain->hide();
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
    // A page built after the settings were read takes the appearance they chose.
    ASSERT_FALSE(main.subTabs[0]->built());
    main.subTabs[0]->Build();
    EXPECT_EQ(main.subTabs[0]->btnAdd->text(), QStringLiteral("Add"));
    EXPECT_TRUE(main.subTabs[0]->imgBack->isHidden());
    // And a change of appearance reaches the built pages and those built afterwards.
    main.Watermarks1->trigger();
    EXPECT_TRUE(main.subTabs[0]->btnAdd->text().isEmpty());
    main.subTabs[5]->Build();
    EXPECT_TRUE(main.subTabs[5]->btnAdd->text().isEmpty());
    EXPECT_FALSE(main.subTabs[5]->imgBack->isHidden());
    main.Default1->trigger();
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

TEST(Startup, TheMasterListingIsMadeAtOnceOnlyWithoutAnInterruptedRun) {
    {
        Session s;
        // The Inventory page is entered at start-up: the empty inventory's total line.
        ASSERT_EQ(s.main().tabInventory->lstInventory->count(), 1);
        EXPECT_TRUE(s.main().tabInventory->lstInventory->line(0).contains(
            QStringLiteral("Total Value: $0")));
    }
    // After an interrupted run every answer to the start-up question lists the entries; they are
    // not listed before as well.
    ProgramFolder folder;
    {
        store::Connection c(store::ConnectionString(store::DatabaseKind::User, folder.path()));
        store::Query q(c);
        q.execute({QStringLiteral("INSERT INTO Inventory VALUES (1, 'Art', 2, 'Clocks', 1, "
                                  "'Wall clock', 1, 1, 5, 5, '', '')")});
        q.execute({QStringLiteral("INSERT INTO Master_Table VALUES ('Inventory')")});
    }
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    auto* list = ui::Win().frmMain->tabInventory->lstInventory;
    EXPECT_EQ(list->count(), 0);
    modal.onNextDialog([](QDialog& d) {
        ClickButton(d, QStringLiteral("btnNo"));
        return d.result();
    });
    modal.onNextDialog([](QDialog& d) {
        ClickButton(d, QStringLiteral("btnContinue"));
        return d.result();
    });
    inventories::StartupCheck();
    EXPECT_EQ(modal.dialogsShown, (QStringList{"dlgSessionInterrupted", "dlgContinueSession"}));
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->line(0).startsWith(QStringLiteral("1     Art")));
    app::DestroyWindows();
}

TEST(Startup, SplashShowsItsPanelAndHidesItsWhiteFrame) {
    Session run;
    QWidget* splash = ui::Win().frmSplash;
    ASSERT_NE(splash, nullptr);
    const QRegion shown = splash->mask();
    ASSERT_FALSE(shown.isEmpty());
    // The picture is a blue panel with rounded corners on white.
    const QImage picture(run.folder.file(QStringLiteral("Content/QIVsplash.bmp")));
    ASSERT_EQ(picture.pixelColor(0, 0), QColor(Qt::white));
    ASSERT_NE(picture.pixelColor(304, 300), QColor(Qt::white));
    EXPECT_TRUE(shown.contains(QPoint(304, 300)));  // inside the panel
    EXPECT_TRUE(shown.contains(QPoint(40, 380)));   // inside the panel, near its corner
    EXPECT_FALSE(shown.contains(QPoint(0, 0)));     // the white corner
    EXPECT_FALSE(shown.contains(QPoint(608, 419))); // the opposite white corner
    EXPECT_FALSE(shown.contains(QPoint(304, 3)));   // the white frame above the panel
    // Every pixel shows exactly when it is not white, so the lettering leaves no holes.
    int wrong = 0;
    int holes = 0;
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3) {
            const bool white = picture.pixelColor(x, y) == QColor(Qt::white);
            if (shown.contains(QPoint(x, y)) == white) ++wrong;
            if (white && x > 40 && x < 568 && y > 40 && y < 380) ++holes;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(holes, 0);
}

TEST(Startup, WindowPlacedOffEveryScreenComesBackIntoView) {
    ProgramFolder folder;
    {
        QFile ini(folder.file(QStringLiteral("QIV.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("POSITION = (-5000,-5000)\nAPPEARANCE QIV\n");
    }
    ScriptedModal modal;
    EnsureApplication();
    app::CreateWindows();
    TfrmMain& main = *ui::Win().frmMain;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(QRect(main.pos(), QSize(std::min(main.width(), area.width()), 24))))
        << main.pos().x() << "," << main.pos().y();
    const QPoint shown = main.pos();
    main.close();
    app::DestroyWindows();
    QFile ini(folder.file(QStringLiteral("QIV.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QStringLiteral("POSITION = (%1,%2)\nAPPEARANCE QIV\n")
                                 .arg(shown.x())
                                 .arg(shown.y())
                                 .toLatin1());
    EXPECT_TRUE(modal.messages.empty()) << modal.lastMessage().toStdString();
}

TEST(Startup, AccessibleNamesReadAsTheCaptionsDo) {
    Session run;
    // A single "&" only marks an access key; the name a screen reader speaks never holds one.
    const auto marksAccessKey = [](const QString& name) {
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (name[i] != QLatin1Char('&')) continue;
            if (i + 1 < name.size() && name[i + 1] == QLatin1Char('&'))
                ++i;
            else if (i + 1 < name.size() && name[i + 1] != QLatin1Char(' '))
                return true;
        }
        return false;
    };
    int checked = 0;
    app::CreateRemainingWindows();
    ui::Win().frmMain->BuildAllPages();
    for (QWidget* window : ui::Win().all) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        for (QWidget* w : widgets) {
            QString name = w->accessibleName();
            if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w))
                name = i->text(QAccessible::Name);
            if (name.isEmpty()) continue;
            ++checked;
            EXPECT_FALSE(marksAccessKey(name))
                << window->objectName().toStdString() << "/" << w->objectName().toStdString()
                << ": " << name.toStdString();
        }
    }
    EXPECT_GT(checked, 100);
    auto* edit = ui::Win().all[2];
    ASSERT_EQ(edit->objectName(), QStringLiteral("dlgEdit"));
    EXPECT_EQ(edit->findChild<QPushButton*>(QStringLiteral("btnSave"))->accessibleName(),
              QStringLiteral("Save Changes"));
}
