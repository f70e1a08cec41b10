#pragma once

#include <QWidget>

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
};

} // namespace inventory
