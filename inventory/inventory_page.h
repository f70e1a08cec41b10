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
