#include "inventory/print_dialog.h"

#include "ui/make_widget.h"
#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "inventory/report_printer.h"
#include "entries/number_parsing.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <algorithm>

namespace inventory {

QString PdfPrinterName() {
    return QStringLiteral("PDF file");
}

QStringList PrinterChoices(const QStringList& installed) {
    QStringList choices = installed;
    choices << PdfPrinterName();
    return choices;
}

bool CopiesKeyRefused(char16_t c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 126);
}

QString PdfFileName(const QString& chosen) {
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty()) return chosen;
    return chosen + QStringLiteral(".pdf");
}

} // namespace inventory

TdlgQIVPrint::TdlgQIVPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgQIVPrint"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    Label1 = ui::MakeNamed<QLabel>(this, "Label1", QStringLiteral("Printer:"));
    ComboBox1 = ui::MakeNamed<QComboBox>(this, "ComboBox1", {}, QStringLiteral("Printer"));
    ComboBox1->setEditable(false);
    Label1->setBuddy(ComboBox1);
    Label2 = ui::MakeNamed<QLabel>(this, "Label2", QStringLiteral("Number of Copies:"));
    Edit1 = ui::MakeNamed<QLineEdit>(this, "Edit1", QStringLiteral("1"),
                                     QStringLiteral("Number of Copies"));
    Edit1->installEventFilter(this);
    Label2->setBuddy(Edit1);
    Button1 = ui::MakeNamed<QPushButton>(this, "Button1", QStringLiteral("&Ok"));
    Button1->setDefault(true);
    Button2 = ui::MakeNamed<QPushButton>(this, "Button2", QStringLiteral("&Cancel"));
    // The boxes stand 8 pixels right of the wider caption (at 120 at the least), so neither
    // caption is cut whatever font the desktop gives the labels; the dialog widens to suit.
    const int captions = std::max(Label1->sizeHint().width(), Label2->sizeHint().width());
    const int boxes = std::max(120, 12 + captions + 8);
    const int width = boxes + 198 + 12;
    Label1->setGeometry(12, 14, boxes - 8 - 12, 17);
    ComboBox1->setGeometry(boxes, 10, 198, 25);
    Label2->setGeometry(12, 50, boxes - 8 - 12, 17);
    Edit1->setGeometry(boxes, 46, 60, 25);
    Button1->setGeometry(width - 12 - 85 - 12 - 85, 90, 85, 27);
    Button2->setGeometry(width - 12 - 85, 90, 85, 27);
    setFixedSize(width, 128);
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TdlgQIVPrint::~TdlgQIVPrint() = default;

void TdlgQIVPrint::PrintText(const QStringList& lines, int linesPerPage,
                             const inventory::PrintStyle& style) {
    if (!Execute(SystemPrinter())) return;
    PrintConfirmed(lines, linesPerPage, style);
}

void TdlgQIVPrint::PrintConfirmed(const QStringList& lines, int linesPerPage,
                                  const inventory::PrintStyle& style) {
    try {
        inventory::PrintLines(SystemPrinter(), lines, linesPerPage, Copies, style);
    } catch (...) {
        const QPrinter& old = *systemPrinter_;
        auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
        fresh->setOutputFormat(old.outputFormat());
        if (old.outputFormat() == QPrinter::PdfFormat)
            fresh->setOutputFileName(old.outputFileName());
        else
            fresh->setPrinterName(old.printerName());
        if (Printer == systemPrinter_.get()) Printer = fresh.get();
        systemPrinter_ = std::move(fresh);
        throw;
    }
}

QPrinter& TdlgQIVPrint::SystemPrinter() {
    if (!systemPrinter_) systemPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *systemPrinter_;
}

bool TdlgQIVPrint::Execute(QPrinter& printer) {
    Printer = &printer;
    auto& s = app::State();
    s.DialogCancelled = false;
    FormShow();
    // Closed any other way than by "&Ok" counts as cancelled.
    if (ui::Modal::exec(*this) != QDialog::Accepted) s.DialogCancelled = true;
    return !s.DialogCancelled;
}

void TdlgQIVPrint::FormShow() {
    const QStringList choices = inventory::PrinterChoices(QPrinterInfo::availablePrinterNames());
    ComboBox1->clear();
    ComboBox1->addItems(choices);
    int current = static_cast<int>(choices.size()) - 1; // the PDF entry
    if (Printer && Printer->outputFormat() == QPrinter::NativeFormat) {
        const int i = static_cast<int>(choices.indexOf(Printer->printerName()));
        if (i >= 0 && i < current) current = i;
    }
    ComboBox1->setCurrentIndex(current);
    Edit1->setText(QStringLiteral("1"));
    Edit1->setFocus();
}

bool TdlgQIVPrint::Edit1KeyPress(QKeyEvent* event) {
    const QString text = event->text();
    return text.size() == 1 && inventory::CopiesKeyRefused(text.front().unicode());
}

bool TdlgQIVPrint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress &&
        Edit1KeyPress(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TdlgQIVPrint::Button1Click() {
    quint16 copies = 0;
    if (!entries::ParseWord(Edit1->text(), copies)) return;
    const QString choice = ComboBox1->currentText();
    QString pdf;
    if (choice == inventory::PdfPrinterName()) {
        const QString previous = Printer ? Printer->outputFileName() : QString();
        pdf = inventory::PdfFileName(ui::Modal::saveFileName(
            this, QStringLiteral("Print to PDF File"),
            previous.isEmpty() ? QDir::homePath() : previous, QStringLiteral("PDF files (*.pdf)")));
        // Backing out of the file question returns to this dialog.
        if (pdf.isEmpty()) return;
    }
    Copies = copies;
    app::State().DialogCancelled = false;
    if (Printer) {
        if (choice == inventory::PdfPrinterName()) {
            Printer->setOutputFormat(QPrinter::PdfFormat);
            Printer->setOutputFileName(pdf);
        } else {
            Printer->setOutputFormat(QPrinter::NativeFormat);
            Printer->setPrinterName(choice);
        }
    }
    accept();
}

void TdlgQIVPrint::Button2Click() {
    reject();
}

void TdlgQIVPrint::reject() {
    app::State().DialogCancelled = true;
    QDialog::reject();
}
