#pragma once

#include <QMainWindow>
#include <array>
#include <optional>

class QAction;
class QMenu;
class QTabWidget;

namespace tabs {
class SubInventoryTab;
}
namespace inventory {
class InventoryPage;
}
namespace pictures {
class PicturesPage;
}

// The main window: the nineteen pages and the main menu. It owns the run's start and end.
class TfrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    QTabWidget* tabMain;
    // The sub-inventory pages; each builds its controls when first shown or used (BuildAllPages
    // and BuildNextPage build the others).
    std::array<tabs::SubInventoryTab*, 17> subTabs{};
    inventory::InventoryPage* tabInventory;
    pictures::PicturesPage* tabPictures;

    // MainMenu1
    QMenu* File1;
    QAction* New1;
    QAction* LoadInventory1;
    QAction* DeleteInventory1;
    QAction* SaveInventory1;
    QAction* SaveInventoryAs1;
    QAction* BackupInventory1;
    QAction* RestoreFromBackup1;
    QAction* PrintInventory1;
    QAction* ExportInventory1;
    QAction* ImportInventory1;
    QAction* N4;
    std::array<QAction*, 4> LastUsed{};
    QAction* LastUsedSeparator;
    QAction* Exit1;
    QMenu* Defaults1;
    QAction* LowCost1;
    QAction* MediumCost1;
    QAction* HighCost1;
    QAction* Appearance1;
    QAction* Default1;
    QAction* Watermarks1;
    QMenu* Help1;
    QAction* ThisTab1;
    QAction* Tutorial1;
    QAction* HelponInventoryTab1;
    QAction* HelponInventoryPicturesTab1;
    QAction* HelponOtherTabs1;
    QAction* SuggestionsonusingQuiveratm1;
    QAction* Index1;
    QAction* About1;
    QMenu* D1;
    QAction* DBWriter1;
    QAction* HideDevTools1;
    QAction* TestIndex1;

    void Exit1Click();
    // The recent item at place 1..4 opens its inventory at once.
    void LastUsedClick(int place);
    // The first showing: splash, then the check for an interrupted run.
    void FormShow();
    bool formCreateSucceeded() const { return createOk_; }
    // True when the user chose to quit because the inventory file cannot be used.
    bool quitRequested() const { return quitRequested_; }

    // Steps that the start-up and close sequences share with other windows.
    void FillRecentMenu();
    void ReadSettings();
    void WriteSettings();
    void Default1Click();
    void Watermarks1Click();

    // Builds every sub-inventory page not built yet, now.
    void BuildAllPages();
    // Builds the first page not built yet; false when there was none, or when it reported a
    // fault (the start-up then leaves the pages after it to be built when first shown, so that
    // one fault is shown once).
    bool BuildNextPage();
    // True once every sub-inventory page is built.
    bool allPagesBuilt() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    enum class Appearance { Standard, Watermarks };
    void buildMenu();
    // Categories, background and appearance of a page that is being built.
    void preparePage(tabs::SubInventoryTab& tab, int page);
    void applyAppearance(tabs::SubInventoryTab& tab, int page);
    void linkCommands();
    void FormCreate();
    bool FormClose(); // false: the close is refused
    // Looks at the user database before anything relies on it; when it cannot be used, asks
    // whether to quit or to start with a new file, the old one kept under another name.
    bool UserDatabaseUsable();

    bool createOk_ = false;
    bool quitRequested_ = false;
    bool shown_ = false;
    // The appearance last chosen (by the settings or the Defaults menu); none keeps the pages'
    // own captions.
    std::optional<Appearance> appearance_;
    // Set once the start-up check has run to its end: before that the user has not chosen what
    // becomes of an interrupted run, and closing must leave it as it is.
    bool sessionSettled_ = false;
};
