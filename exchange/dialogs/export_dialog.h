#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace exchange {

// File menu "Export": which inventory (the working one or a saved one) and in which form; the
// file is chosen next.
class TdlgExport : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgExport(QWidget* parent = nullptr);

    QLabel* lblInventory;
    QComboBox* comInventory; // the working inventory first, then the saved ones
    QLabel* lblFormat;
    QComboBox* comFormat; // the order of Format below
    QPushButton* btnExport;
    QPushButton* btnCancel;

    enum Format { CsvFile, ZipArchive, HomeBoxFile };

    void FormShow();
    void btnExportClick();
};

// The File menu's commands: show the export dialog; choose a file and import it into the
// working inventory.
void ExportInventory1Click(QWidget* parent);
void ImportInventory1Click(QWidget* parent);

} // namespace exchange
