#pragma once

#include <QWidget>

#include "inventory/report.h"

class QLabel;
class QPushButton;

namespace ui {
class LineList;
}

namespace inventory {

// The master Inventory page: every entry in one listing under seven header buttons.
class InventoryPage : public QWidget {
    Q_OBJECT
  public:
    explicit InventoryPage(QWidget* parent = nullptr);
    ~InventoryPage() override;

    // Header buttons edge to edge from the listing's left edge; "Notes:" takes the rest.
    void LayOutSortButtons();

    // Rebuilds the listing in the current sort order; returns the line index of entry
    // `selectId`, or -1. Selects nothing itself.
    int FillInventoryList(int selectId);
    // The indicator pictures on the six sort buttons, from the sort keys.
    void ShowSortIndicators();
    // Entering the page rebuilds the listing.
    Q_INVOKABLE void tabEnter();
    // A click on the header button of sort key 1..6.
    void SortClick(int key);

    // The entry of the selected line, or 0 when no entry line is selected (the total line is none).
    int SelectedEntryId() const;
    // The buttons under the listing act on the selected entry.
    void btnEditClick();
    void btnRemoveClick();
    void btnMoveUpClick();
    void btnMoveDownClick();
    // The whole inventory through the print dialog; also the File menu's print command.
    void btnPrintClick();
    // The printout of the working inventory in the current sort order, titled with `time`.
    QStringList InventoryReportLines(const StampTime& time);

    QLabel* lblInventory;
    QPushButton* btnInventoryID;
    QPushButton* btnInventoryIName;
    QPushButton* btnInventoryCategory;
    QPushButton* btnInventoryItem;
    QPushButton* btnInventoryNumber;
    QPushButton* btnInventoryValue;
    QPushButton* btnInventoryNotes;
    ui::LineList* lstInventory;
    QPushButton* btnEdit;
    QPushButton* btnRemove;
    QPushButton* btnMoveUp;
    QPushButton* btnMoveDown;
    QLabel* lblMoveUp;
    QLabel* lblMoveDown;
    QPushButton* btnPrint;

  private:
    void listenForChanges();
    // Swaps entries n and `other` (n - 1 or n + 1) and keeps n's entry selected.
    void MoveEntry(int n, int other);
};

} // namespace inventory
