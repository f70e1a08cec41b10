#include "app/main_window.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/line_list.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "app/multi_row_tab_bar.h"
#include "devtools/devtools_menu.h"
#include "exchange/dialogs/export_dialog.h"
#include "help/help_menu.h"
#include "app/splash.h"
#include "backup/backup_dialog.h"
#include "backup/restore_dialog.h"
#include "ui/settings_file.h"
#include "inventories/file_commands.h"
#include "inventories/header_row.h"
#include "inventories/inventory_store.h"
#include "inventories/recent_list.h"
#include "inventory/inventory_page.h"
#include "entries/number_parsing.h"
#include "tabs/tab_set.h"
#include "pictures/pictures_page.h"
#include "report/report_dialog.h"
#include "store/database.h"
#include "store/user_file.h"
#include "tabs/sub_inventory_tab.h"
#include "entries/tab_table.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Background picture and button-picture prefix of each tab, in page order.
struct Appearance {
    const char* background;
    const char* buttonPrefix;
};
const Appearance kAppearance[entries::kTabCount] = {
    {"art.jpg", "Art"},
    {"bath.jpg", "Bathroom"},
    {"clothes.jpg", "Clothing"},
    {"electronics.jpg", "Electronics"},
    {"furniture.jpg", "Furniture"},
    {"hobby.jpg", "Hobby"},
    {"office.jpg", "Office"},
    {"jewelry.jpg", "Jewelry"},
    {"kitchen.jpg", "Kitchen"},
    {"laundry.jpg", "Laundry"},
    {"library.jpg", "Libraries"},
    {"linens.jpg", "Linens"},
    {"miscellaneous2.jpg", "Misc"},
    {"music.jpg", "Music"},
    {"outdoors.jpg", "Outdoors"},
    {"sports.jpg", "Sports"},
    {"tools.jpg", "Tools"},
};

// The widest caption of an item of the recent list, in pixels.
constexpr int kRecentWidth = 320;

QAction* action(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quivera!"));
    setFixedSize(777, 570);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    tabMain = new QTabWidget(this);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    tabMain->setUsesScrollButtons(false); // all nineteen captions stay visible, on several rows
    QFont tabFont(QStringLiteral("Arial"));
    tabFont.setPixelSize(13);
    tabMain->setFont(tabFont);
    // The Inventory page goes in first: the first page added is shown at once, and the
    // sub-inventory pages are built only when they are first shown.
    tabInventory = new inventory::InventoryPage;
    tabMain->addTab(tabInventory, QStringLiteral("Inventory"));
    const auto& table = entries::TabTable();
    for (int i = 0; i < entries::kTabCount; ++i) {
        subTabs[i] = new tabs::SubInventoryTab(table[i]);
        tabMain->insertTab(i, subTabs[i], table[i].captionText());
    }
    tabPictures = new pictures::PicturesPage;
    tabMain->addTab(tabPictures, QStringLiteral("Inventory Pictures"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(new MultiRowTabBar(tabMain, 769, central));
    layout->addWidget(tabMain);
    setCentralWidget(central);
    buildMenu();
    linkCommands();
    help::ConnectHelpMenu(this,
                          {ThisTab1, Tutorial1, HelponInventoryTab1, HelponInventoryPicturesTab1,
                           HelponOtherTabs1, SuggestionsonusingQuiveratm1},
                          Index1, About1);
    devtools::ConnectDevToolsMenu(this, DBWriter1, TestIndex1);
    ui::ConnectGuarded(PrintInventory1, &QAction::triggered, this,
                       [this] { tabInventory->btnPrintClick(); });
    ui::ConnectGuarded(tabPictures, &pictures::PicturesPage::goToEntry, this, [this](int n) {
        tabMain->setCurrentWidget(tabInventory);
        raise();
        activateWindow();
        tabInventory->lstInventory->setCurrentRow(tabInventory->FillInventoryList(n));
    });
    FormCreate();
    tabMain->setCurrentWidget(tabInventory);
    // Entering a page runs its entry handler, as focus entering the page would.
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int index) {
        QWidget* page = tabMain->widget(index);
        if (page && page->metaObject()->indexOfMethod("tabEnter()") >= 0)
            ui::Guarded([page] { QMetaObject::invokeMethod(page, "tabEnter"); });
    });
    // The Inventory page is entered now. After an interrupted run every answer to the start-up
    // question lists the entries anyway, and a full inventory takes a while to list: once is
    // enough. A run that is to end at once lists nothing: it would read the unusable file.
    if (!quitRequested_)
        ui::Guarded([this] {
            if (!inventories::SessionInterrupted(app::State().ADOQuery2)) tabInventory->tabEnter();
        });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::linkCommands() {
    // The caption and the recent list follow the working inventory's name and the saved ones.
    const auto* changes = &app::State().Changes;
    ui::ConnectGuarded(changes, &entries::InventoryChanges::inventoryNamed, this,
                       [this] { inventories::ShowInventoryCaption(*tabInventory); });
    ui::ConnectGuarded(changes, &entries::InventoryChanges::recentListChanged, this,
                       [this] { FillRecentMenu(); });

    ui::ConnectGuarded(New1, &QAction::triggered, this, [] { inventories::New1Click(); });
    ui::ConnectGuarded(LoadInventory1, &QAction::triggered, this,
                       [] { inventories::LoadInventory1Click(); });
    ui::ConnectGuarded(SaveInventory1, &QAction::triggered, this,
                       [] { inventories::SaveInventory1Click(); });
    ui::ConnectGuarded(SaveInventoryAs1, &QAction::triggered, this,
                       [] { inventories::SaveInventoryAs1Click(); });
    ui::ConnectGuarded(DeleteInventory1, &QAction::triggered, this,
                       [] { inventories::DeleteInventory1Click(); });
    for (int i = 0; i < 4; ++i)
        ui::ConnectGuarded(LastUsed[i], &QAction::triggered, this,
                           [this, i] { LastUsedClick(i + 1); });
    ui::ConnectGuarded(BackupInventory1, &QAction::triggered, this,
                       [] { ui::Win().dlgBackup->Execute(); });
    ui::ConnectGuarded(RestoreFromBackup1, &QAction::triggered, this,
                       [] { ui::Win().dlgRestore->Execute(); });
}

void TfrmMain::LastUsedClick(int place) {
    // The name travels beside the caption, which doubles any '&' to show it literally.
    inventories::OpenInventory(LastUsed[place - 1]->data().toString());
}

void TfrmMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    New1 = action(File1, "New1", QStringLiteral("&New Inventory"));
    LoadInventory1 = action(File1, "LoadInventory1", QStringLiteral("&Open Inventory ..."));
    DeleteInventory1 = action(File1, "DeleteInventory1", QStringLiteral("&Delete Inventory ..."));
    SaveInventory1 = action(File1, "SaveInventory1", QStringLiteral("&Save Inventory"));
    SaveInventoryAs1 = action(File1, "SaveInventoryAs1", QStringLiteral("Save Inventory &As ..."));
    separator(File1, "N1");
    BackupInventory1 = action(File1, "BackupInventory1", QStringLiteral("&Back Up Inventory ..."));
    RestoreFromBackup1 =
        action(File1, "RestoreFromBackup1", QStringLiteral("&Restore From Backup ..."));
    separator(File1, "N2");
    PrintInventory1 = action(File1, "PrintInventory1", QStringLiteral("&Print Inventory ..."));
    // The insurance report, with its dialog.
    report::ConnectReportMenu(
        this, action(File1, "InsuranceReport1", QStringLiteral("Insurance &Report ...")));
    ExportInventory1 = action(File1, "ExportInventory1", QStringLiteral("E&xport ..."));
    ImportInventory1 = action(File1, "ImportInventory1", QStringLiteral("&Import ..."));
    ui::ConnectGuarded(ExportInventory1, &QAction::triggered, this,
                       [this] { exchange::ExportInventory1Click(this); });
    ui::ConnectGuarded(ImportInventory1, &QAction::triggered, this,
                       [this] { exchange::ImportInventory1Click(this); });
    N4 = separator(File1, "N4");
    N4->setEnabled(false);
    for (int i = 0; i < 4; ++i) {
        LastUsed[i] = action(File1, QStringLiteral("LastUsed%1").arg(i + 1).toLatin1().constData(),
                             QString());
        LastUsed[i]->setVisible(false);
        LastUsed[i]->setEnabled(false);
    }
    LastUsedSeparator = separator(File1, "LastUsedSeparator");
    LastUsedSeparator->setVisible(false);
    LastUsedSeparator->setEnabled(false);
    Exit1 = action(File1, "Exit1", QStringLiteral("&Exit"));
    ui::ConnectGuarded(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });

    Defaults1 = bar->addMenu(QStringLiteral("&Defaults"));
    Defaults1->setObjectName(QStringLiteral("Defaults1"));
    LowCost1 = action(Defaults1, "LowCost1", QStringLiteral("&Low Cost"));
    MediumCost1 = action(Defaults1, "MediumCost1", QStringLiteral("&Medium Cost"));
    HighCost1 = action(Defaults1, "HighCost1", QStringLiteral("&High Cost"));
    separator(Defaults1, "N3");
    Appearance1 = action(Defaults1, "Appearance1", QStringLiteral("Appearance:"));
    Default1 = action(Defaults1, "Default1", QStringLiteral("    &Standard"));
    Watermarks1 = action(Defaults1, "Watermarks1", QStringLiteral("    &Watermarks"));
    for (QAction* a : {LowCost1, MediumCost1, HighCost1, Default1, Watermarks1})
        a->setCheckable(true);
    LowCost1->setChecked(true);
    Watermarks1->setChecked(true);

    Help1 = bar->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    ThisTab1 = action(Help1, "ThisTab1", QStringLiteral("&Getting Started"));
    Tutorial1 = action(Help1, "Tutorial1", QStringLiteral("&Menus"));
    HelponInventoryTab1 = action(Help1, "HelponInventoryTab1", QStringLiteral("Inventory &Tab"));
    HelponInventoryPicturesTab1 =
        action(Help1, "HelponInventoryPicturesTab1", QStringLiteral("Inventory &Pictures Tab"));
    HelponOtherTabs1 = action(Help1, "HelponOtherTabs1", QStringLiteral("S&ub-Inventory Tabs"));
    SuggestionsonusingQuiveratm1 = action(Help1, "SuggestionsonusingQuiveratm1",
                                          QStringLiteral("&Suggestions for using Quivera!"));
    separator(Help1, "N5");
    Index1 = action(Help1, "Index1", QStringLiteral("&Index"));
    separator(Help1, "N8");
    About1 = action(Help1, "About1", QStringLiteral("&About ..."));

    D1 = bar->addMenu(QStringLiteral("DevTools"));
    D1->setObjectName(QStringLiteral("D1"));
    DBWriter1 = action(D1, "DBWriter1", QStringLiteral("DBWriter"));
    HideDevTools1 = action(D1, "HideDevTools1", QStringLiteral("Hide DevTools"));
    HideDevTools1->setCheckable(true);
    HideDevTools1->setChecked(true);
    TestIndex1 = action(D1, "TestIndex1", QStringLiteral("Test Index"));

    tabs::ConnectCostLevelItems(LowCost1, MediumCost1, HighCost1, app::State().Cost);
    ui::ConnectGuarded(Default1, &QAction::triggered, this, [this] { Default1Click(); });
    ui::ConnectGuarded(Watermarks1, &QAction::triggered, this, [this] { Watermarks1Click(); });
    D1->menuAction()->setVisible(false);
    D1->menuAction()->setEnabled(false);
}

void TfrmMain::FormCreate() {
    auto& s = app::State();
    // A failing step is shown; the remaining steps are skipped and the window still comes up.
    try {
        // The program folder is the current directory; both databases lie in it.
        s.programFolder = app::ProgramFolderFrom(QDir::currentPath());
        s.ADOConnection1.setConnectionString(
            store::ConnectionString(store::DatabaseKind::Catalogue, s.programFolder));
        s.ADOConnection2.setConnectionString(
            store::ConnectionString(store::DatabaseKind::User, s.programFolder));
        if (!UserDatabaseUsable()) return;
        move(10, 10);
        // Counters, flags, sort keys, cost level and the names of days and months as at start.
        s.resetRunState();
        // The working inventory's header row takes this run's time and settings.
        inventories::WriteInventoryHeader(s.ADOQuery2, inventories::CurrentHeaderWrite());
        // The catalogue is opened now, so that a missing or damaged one is named at start-up;
        // each page reads its categories and checks its background when it is built.
        s.ADOConnection1.connect();
        for (int i = 0; i < entries::kTabCount; ++i)
            subTabs[i]->setPreparation(
                [this, i](tabs::SubInventoryTab& tab) { preparePage(tab, i); });
        tabInventory->LayOutSortButtons();
        FillRecentMenu();
        tabInventory->ShowSortIndicators();
        // Window position, developer tools and appearance from the settings file.
        ReadSettings();
        createOk_ = true;
    } catch (const std::exception& e) {
        ui::ShowError(e);
    }
}

bool TfrmMain::UserDatabaseUsable() {
    using store::UserFileProblem;
    const QString file = app::State().ADOConnection2.fileName();
    const store::UserFileCheck found = store::CheckUserDatabase(file);
    if (found.problem == UserFileProblem::None) return true;

    const QString stem = file + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    const QString restore = QStringLiteral(
        "If you have a backup, start with a new file and then bring your inventories back with "
        "\"Restore From Backup\" in the File menu.");
    QString what, todo = restore, keep;
    switch (found.problem) {
    case UserFileProblem::Missing:
        what = QStringLiteral("The file is missing.");
        break;
    case UserFileProblem::NotWritable:
        what = QStringLiteral("The file cannot be changed (%1).").arg(found.detail);
        todo = QStringLiteral("Check that you may write to the file and to its folder, then "
                              "start Quivera again.");
        keep = QStringLiteral(" The old file is kept as\n%1").arg(aside);
        break;
    default:
        what = QStringLiteral("The file is damaged or is not a Quivera inventory file (%1).")
                   .arg(found.detail);
        keep = QStringLiteral(" The damaged file is kept as\n%1").arg(aside);
        break;
    }
    const QString text =
        QStringLiteral("Quivera cannot use its inventory file\n%1\n\n%2\n%3\n\n"
                       "Start with a new, empty inventory file?%4\n\nChoose No to quit.")
            .arg(file, what, todo, keep);
    const auto answer = ui::Modal::question(text, QStringLiteral("Inventory File"),
                                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    quitRequested_ = true;
    if (answer != QMessageBox::Yes) return false;
    QString error;
    if (found.problem != UserFileProblem::Missing &&
        !store::MoveDatabaseAside(file, aside, error)) {
        ui::Modal::message(QStringLiteral("The inventory file\n%1\ncould not be set aside (%2). "
                                          "Quivera will quit.")
                               .arg(file, error),
                           QStringLiteral("Error"));
        return false;
    }
    try {
        store::CreateUserDatabase(file);
    } catch (const std::exception& e) {
        ui::Modal::message(
            QStringLiteral("A new inventory file could not be made (%1). Quivera will quit.")
                .arg(QString::fromUtf8(e.what())),
            QStringLiteral("Error"));
        return false;
    }
    quitRequested_ = false;
    return true;
}

void TfrmMain::FillRecentMenu() {
    const auto recent = inventories::RecentInventories(app::State().ADOQuery2);
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const bool used = recent[i].has_value();
        // The caption is the inventory's name, no access keys of our own, and shortened when it
        // would make the menu wide.
        const QString shown =
            used ? QFontMetrics(File1->font()).elidedText(*recent[i], Qt::ElideRight, kRecentWidth)
                 : QString();
        LastUsed[i]->setText(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        LastUsed[i]->setData(used ? *recent[i] : QString());
        LastUsed[i]->setVisible(used);
        LastUsed[i]->setEnabled(used);
        any = any || used;
    }
    LastUsedSeparator->setVisible(any);
    LastUsedSeparator->setEnabled(any);
}

void TfrmMain::ReadSettings() {
    const app::SettingsRead read = app::ReadSettingsFile(
        app::State().programFolder + QStringLiteral("QIV.ini"), &entries::ParseInteger);
    if (read.left) move(*read.left, y());
    if (read.top) move(x(), *read.top);
    // A position on a monitor that is no longer there would leave the window out of sight.
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    move(app::KeepOnScreen(QRect(pos(), size()), areas));
    if (read.enableDevTools) {
        D1->menuAction()->setEnabled(true);
        D1->menuAction()->setVisible(true);
    }
    if (read.appearance) {
        if (*read.appearance == app::Appearance::Standard)
            Default1Click();
        else
            Watermarks1Click();
    }
}

void TfrmMain::WriteSettings() {
    app::SettingsToWrite settings;
    settings.left = x();
    settings.top = y();
    settings.hideDevTools = HideDevTools1->isChecked();
    settings.appearance =
        Default1->isChecked() ? app::Appearance::Standard : app::Appearance::Watermarks;
    app::WriteSettingsFile(app::State().programFolder + QStringLiteral("QIV.ini"), settings);
}

void TfrmMain::Default1Click() {
    Default1->setChecked(true);
    Watermarks1->setChecked(false);
    appearance_ = Appearance::Standard;
    for (int i = 0; i < entries::kTabCount; ++i)
        if (subTabs[i]->built()) applyAppearance(*subTabs[i], i);
}

void TfrmMain::Watermarks1Click() {
    Watermarks1->setChecked(true);
    Default1->setChecked(false);
    appearance_ = Appearance::Watermarks;
    for (int i = 0; i < entries::kTabCount; ++i)
        if (subTabs[i]->built()) applyAppearance(*subTabs[i], i);
}

void TfrmMain::applyAppearance(tabs::SubInventoryTab& tab, int page) {
    if (appearance_ == Appearance::Standard)
        tab.ShowStandardAppearance(app::State().programFolder);
    else if (appearance_ == Appearance::Watermarks)
        tab.ShowWatermarkAppearance(app::State().programFolder,
                                    QString::fromLatin1(kAppearance[page].buttonPrefix));
}

void TfrmMain::preparePage(tabs::SubInventoryTab& tab, int page) {
    tab.FillCategoryList();
    tab.LoadBackground(app::State().programFolder + QStringLiteral("Content/") +
                       QString::fromLatin1(kAppearance[page].background));
    applyAppearance(tab, page);
}

void TfrmMain::BuildAllPages() {
    for (auto* tab : subTabs)
        tab->Build();
}

bool TfrmMain::allPagesBuilt() const {
    return std::all_of(subTabs.begin(), subTabs.end(),
                       [](const tabs::SubInventoryTab* tab) { return tab->built(); });
}

bool TfrmMain::BuildNextPage() {
    const auto next = std::find_if(subTabs.begin(), subTabs.end(),
                                   [](const tabs::SubInventoryTab* tab) { return !tab->built(); });
    return next != subTabs.end() && (*next)->Build();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // After the window is on the screen, like the first paint would be.
        QMetaObject::invokeMethod(
            this, [this] { ui::Guarded([this] { FormShow(); }); }, Qt::QueuedConnection);
    }
}

void TfrmMain::FormShow() {
    // Closed before the first showing came round: nothing to check any more.
    if (!isVisible()) return;
    if (ui::Win().frmSplash) ui::Modal::exec(*ui::Win().frmSplash);
    inventories::StartupCheck();
    sessionSettled_ = true;
}

bool TfrmMain::FormClose() {
    // A question still open (the splash, the start-up questions, any dialog) has the last word:
    // a close that arrives meanwhile, through the menu or the window manager, is refused.
    if (ui::Modal::pending() > 0 || QApplication::activeModalWidget()) return false;
    // Before the start-up check has run to its end the run is not settled: the program may end,
    // but what an interrupted run left behind stays for the next start to offer again.
    if (sessionSettled_) {
        // Anything going wrong before the question is settled keeps the program, and the
        // entries, where they are.
        bool accepted = false;
        ui::Guarded([&] { accepted = inventories::ClosingSteps(); });
        if (!accepted) return false;
    }
    ui::Guarded([&] { WriteSettings(); });
    return true;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (FormClose()) {
        event->accept();
        // Every other window lives as long as the main window does.
        for (QWidget* w : ui::Win().all)
            if (w != this) w->close();
    } else {
        event->ignore();
    }
}

void TfrmMain::Exit1Click() {
    close();
}
