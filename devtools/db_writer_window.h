#pragma once

#include "store/database.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace devtools {

// Loads every record of a catalogue text into the tables of tab key `key`, all or nothing: a
// failing record ends the load, nothing of the text stays written, and the error raised names
// the record. Returns the number of records loaded.
int LoadCatalogueText(store::Connection& catalogue, const QString& key, const QString& text);

} // namespace devtools

// The catalogue writer: loads a text file of records into one tab's catalogue tables on a
// connection of its own. Created once at start-up and reused for the whole run.
class TQIVDBWriter : public QDialog {
    Q_OBJECT
  public:
    explicit TQIVDBWriter(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1; // the input file
    QLabel* Label2;
    QComboBox* ComboBox1; // the tab key
    QPushButton* Button1; // OK
    QPushButton* Button2; // Close

    void Button1Click();
    void Button2Click();

  private:
    store::Connection connection_;
};
