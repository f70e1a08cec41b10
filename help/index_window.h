#pragma once

#include "entries/item_index.h"

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class LineList;
}

// The item index: every catalogue item and category in one alphabetical list, with a look-up
// field and navigation to the item's tab. Created once at start-up, after the main window has
// opened the catalogue; the list is built then and kept for the run.
class TfrmIndex : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmIndex(QWidget* parent = nullptr);

    QLabel* lblHeading;
    QLabel* Label4;
    QLineEdit* Edit1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    ui::LineList* ListBox1;
    QPushButton* Button2; // Go to Item
    QPushButton* Button1; // Exit Index

    // Builds the list from the catalogue; runs once from the constructor.
    void FormCreate();
    void Edit1Change();
    void Button1Click();
    void Button2Click();

    // Places the window at the anchor's corner + 8, as every showing does.
    void placeAt(const QWidget* anchor);
    const std::vector<entries::IndexEntry>& entries() const { return entries_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void layOut();
    std::vector<entries::IndexEntry> entries_;
};
