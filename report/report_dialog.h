#pragma once

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// Asks which inventory to report on, whether with photographs, and whether to print the report
// or save it as a PDF file; then makes it. Made the first time it is asked for, then reused.
class TdlgInsuranceReport : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgInsuranceReport(QWidget* parent = nullptr);

    // Shows the dialog; the report is made when the user confirms.
    void Execute();
    void FormShow();
    void btnOkClick();
    void btnCancelClick();

    QLabel* lblInventory;
    QComboBox* comInventory; // the working inventory first, then the saved ones
    QCheckBox* chkPhotos;
    QRadioButton* radPrint;
    QComboBox* comPrinter;
    QRadioButton* radPdf;
    QPushButton* btnOk;
    QPushButton* btnCancel;

  private:
    QString lastPdf_;
};

namespace report {
// Connects the File menu's item to the dialog of `owner`.
void ConnectReportMenu(QWidget* owner, QAction* item);
// The dialog of `owner`, a child of it: made on the first call and kept from then on.
TdlgInsuranceReport* ReportDialog(QWidget* owner);
} // namespace report
