#pragma once

#include "inventory/report_printer.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace inventory {

// The entry that prints into a PDF file instead of onto paper; always the last choice.
QString PdfPrinterName();
// The printer choices in the dialog's order: the installed printers, then the PDF entry.
QStringList PrinterChoices(const QStringList& installed);
// Whether the copies box refuses a typed character: the printable characters other than digits
// and the blank. Control keys and characters from 127 up pass.
bool CopiesKeyRefused(char16_t c);
// Where a PDF is written: the chosen name, with ".pdf" added when it has no extension.
QString PdfFileName(const QString& chosen);

} // namespace inventory

// Asks for the printer and the number of copies. Created once at start-up and reused; every
// showing starts with the current printer selected and one copy.
class TdlgQIVPrint : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgQIVPrint(QWidget* parent = nullptr);
    ~TdlgQIVPrint() override;

    // Asks for printer and copies, then prints the lines in pages of a page line and up to
    // `linesPerPage` lines; other windows print their texts through here (the help topics).
    void PrintText(const QStringList& lines, int linesPerPage, const inventory::PrintStyle& style);

    // Shows the dialog for `printer`; true when the user confirmed. The printer is then set up
    // for the choice and Copies holds the number of copies.
    bool Execute(QPrinter& printer);
    // The program's printer object, made on first use and kept for the run.
    QPrinter& SystemPrinter();
    // Prints `lines` on the program's printer as confirmed by Execute. A failed job leaves Qt's
    // printer object unable to write another PDF file, so the next job gets a new one with the
    // same choices.
    void PrintConfirmed(const QStringList& lines, int linesPerPage,
                        const inventory::PrintStyle& style);

    void FormShow();
    // True when the key was refused.
    bool Edit1KeyPress(QKeyEvent* event);
    void Button1Click();
    void Button2Click();
    void reject() override;

    QPrinter* Printer = nullptr;
    quint16 Copies = 1;

    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label2;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::unique_ptr<QPrinter> systemPrinter_;
};
