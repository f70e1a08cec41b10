#pragma once

#include "entries/tab_table.h"

#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace ui {
class LineList;
}

namespace tabs {

// One sub-inventory page. The seventeen pages are instances of this class; each names its
// controls with its own key (lstArt1, lstKitchen1, ...).
//
// A page is made empty and builds its controls the first time it is shown or reached through
// TabOfSubInventory (or when Build is called): until then every control pointer is null and the
// page neither listens to the inventory's changes nor reads anything. Building reads the
// inventory as it is then, so nothing that happened before is missed.
class SubInventoryTab : public QWidget {
    Q_OBJECT
  public:
    explicit SubInventoryTab(const entries::TabInfo& info, QWidget* parent = nullptr);
    ~SubInventoryTab() override;

    const entries::TabInfo& info() const { return info_; }

    // What the program does to a page once its controls exist: its categories, background and
    // appearance. Run once, by Build; a page built without one keeps its lists empty.
    using Preparation = std::function<void(SubInventoryTab&)>;
    void setPreparation(Preparation prepare) { prepare_ = std::move(prepare); }
    bool built() const { return built_; }
    // Makes the controls, prepares them, lists the tab's entries and follows the inventory's
    // changes from then on; once. An error while preparing or listing is shown (once, as the
    // page is built once) and the page keeps what was done. False when such an error occurred.
    bool Build();
    void setVisible(bool visible) override;

    // The category list from <key>_Main, with its scroll extent.
    void FillCategoryList();
    // Extra fields hidden and disabled, notes in their wide position.
    void HideExtraFields();
    // Column headings placed over the character columns of the listing.
    void PlaceListingHeadings();
    // Appearance: the watermark background and the four button pictures.
    void ShowStandardAppearance(const QString& programFolder);
    void ShowWatermarkAppearance(const QString& programFolder, const QString& buttonPrefix);
    // The background picture: its file is checked now (it exists and is a JPEG or a picture
    // Qt reads) and decoded when the tab is first shown. Throws when the file is unusable.
    void LoadBackground(const QString& path);

    // Controls, named <prefix><key><role>; null until the page is built.
    QLabel* imgBack = nullptr;
    QLabel* lbl1 = nullptr;
    QListWidget* lst1 = nullptr;
    QLabel* lbl2 = nullptr;
    QListWidget* lst2 = nullptr;
    QLabel* lblOther1 = nullptr;
    QLabel* lblOther2 = nullptr;
    QLineEdit* edtOther = nullptr;
    QLabel* lblNumber2 = nullptr;
    QLabel* lblNumber1 = nullptr;
    QLineEdit* edtNumber = nullptr;
    QLabel* lblCost1 = nullptr;
    QComboBox* comCost = nullptr;
    QLabel* lblPhoto = nullptr;
    QLineEdit* edtPhoto = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* lblBrand = nullptr;
    QLineEdit* edtBrand = nullptr;
    QLabel* lblSerial = nullptr;
    QLineEdit* edtSerial = nullptr;
    QLabel* lblPurchase = nullptr;
    QLineEdit* edtPurchase = nullptr;
    QLabel* lblNotes1 = nullptr;
    QLabel* lblNotes2 = nullptr;
    QTextEdit* rchNotes = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnEdit = nullptr;
    QLabel* lblInventory = nullptr;
    ui::LineList* lstInventory = nullptr;
    QLabel* lblInventoryID = nullptr;
    QLabel* lblInventoryCategory = nullptr;
    QLabel* lblInventoryItem = nullptr;
    QLabel* lblInventoryNumber = nullptr;
    QLabel* lblInventoryValue = nullptr;
    QLabel* lblInventoryNotes = nullptr;

    // What resetting the entry area undoes: the category (and everything after it), the item,
    // or only the entry fields.
    enum ResetMode { ResetCategory = 0, ResetItem = 1, ResetFields = 2 };
    void ResetEntryForm(int mode);
    // Rebuilds the tab's listing of the working inventory, ending in its total line.
    void FillSubInventoryList();
    // The lines of the cost list, cheapest first.
    QStringList costLines() const;
    // True while the category asks for brand, serial number or pattern and purchase date.
    bool extraFieldsShown() const;

    // Handlers (connected by the constructor).
    void tabEnter();
    void lst1Click();
    void lst1KeyUp(int key);
    void lst2Click();
    void lst2KeyUp(int key);
    void edtOtherEnter();
    void edtOtherChange();
    void edtNumberExit();
    void comCostSelect();
    void comCostKeyDown(int key);
    void comCostExit();
    void btnAddClick();
    void btnRemoveClick();
    void btnEditClick();
    void btnBrowseClick();

    // Horizontal scroll extents of the two lists, in pixels.
    int categoryScrollExtent() const { return categoryExtent_; }
    // The background still waiting for the tab's first showing; empty once it is decoded.
    const QString& pendingBackground() const { return pendingBackground_; }
    int itemScrollExtent() const { return itemExtent_; }

  protected:
    void setItemScrollExtent(int pixels);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool build(bool listEntries);
    void makeControls();
    QString name(const char* prefix, const char* role) const;
    void showBackground();
    void setExtent(QListWidget* list, int pixels);
    void connectHandlers();
    // Connects the tab to the announcements of inventory changes.
    void listenForChanges();
    // Add is usable while the entry numbers have room left.
    void updateAddButton();
    QList<QWidget*> entryFields() const;
    void setEntryFieldsEnabled(bool enabled);
    void clearEntryFields();
    void showExtraFields(int editUse);
    void shrinkTitles(const QString& text);
    void fillCostList();
    QString itemName() const;
    // False, after a message, when a typed text holds a character that cannot be stored.
    bool storableTexts() const;
    QString composeNotes() const;
    int selectedEntryId() const;
    // Runs the list's click handler when its selected line is not the one the handler last ran
    // for; true when it ran.
    bool followSelection(QListWidget* list);

    const entries::TabInfo& info_;
    Preparation prepare_;
    bool built_ = false;
    int categoryExtent_ = 0;
    QString pendingBackground_; // decoded on the first showing
    int itemExtent_ = 0;
    // The selected line each list's click handler last ran for (-1: none).
    int handledRow1_ = -1;
    int handledRow2_ = -1;
    bool chosenOnRelease_ = false;
};

// The tab of a sub-inventory number (1..17), built now if it was not yet, or none while that tab
// does not exist.
SubInventoryTab* TabOfSubInventory(int number);
// The existing tabs in page order (none where a tab does not exist), built or not.
const std::array<SubInventoryTab*, entries::kTabCount>& RegisteredTabs();

// The price point the cost level preselects on the tab with that sub-inventory number.
double PreselectedCost(int subInventoryNumber);

// Wide text measured in a widget's font: the width a list needs to show it whole.
int TextWidth(const QWidget* widget, const QString& text);

} // namespace tabs
