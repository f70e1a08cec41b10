#include "report/report_dialog.h"

#include "report/report_layout.h"
#include "inventories/inventory_store.h"
#include "inventory/print_dialog.h"
#include "ui/wait_cursor.h"
#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/make_widget.h"
#include "ui/modal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>

TdlgInsuranceReport::TdlgInsuranceReport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInsuranceReport"));
    setWindowTitle(QStringLiteral("Insurance Report"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    lblInventory = ui::MakeNamed<QLabel>(this, "lblInventory", QStringLiteral("&Inventory:"));
    comInventory = ui::MakeNamed<QComboBox>(this, "comInventory", {}, QStringLiteral("Inventory"));
    lblInventory->setBuddy(comInventory);
    chkPhotos = ui::MakeNamed<QCheckBox>(this, "chkPhotos", QStringLiteral("Include &photographs"));
    chkPhotos->setChecked(true);
    radPrint = ui::MakeNamed<QRadioButton>(this, "radPrint", QStringLiteral("P&rint on:"));
    comPrinter = ui::MakeNamed<QComboBox>(this, "comPrinter", {}, QStringLiteral("Printer"));
    radPdf = ui::MakeNamed<QRadioButton>(this, "radPdf", QStringLiteral("&Save as a PDF file"));
    btnOk = ui::MakeNamed<QPushButton>(this, "btnOk", QStringLiteral("&Ok"));
    btnOk->setDefault(true);
    btnCancel = ui::MakeNamed<QPushButton>(this, "btnCancel", QStringLiteral("&Cancel"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(lblInventory, 0, 0);
    grid->addWidget(comInventory, 0, 1);
    grid->addWidget(chkPhotos, 1, 1);
    grid->addWidget(radPrint, 2, 0);
    grid->addWidget(comPrinter, 2, 1);
    grid->addWidget(radPdf, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    comInventory->setMinimumWidth(240);
    setFixedSize(sizeHint());

    connect(radPrint, &QRadioButton::toggled, comPrinter, &QWidget::setEnabled);
    ui::ConnectGuarded(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    ui::ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TdlgInsuranceReport::Execute() {
    FormShow();
    ui::Modal::exec(*this);
}

void TdlgInsuranceReport::FormShow() {
    auto& q = app::State().ADOQuery2;
    const QString current = inventories::FromTableName(inventories::CurrentTableName(q));
    comInventory->clear();
    comInventory->addItem(current.isEmpty()
                              ? QStringLiteral("Working inventory")
                              : QStringLiteral("Working inventory (%1)").arg(current));
    for (const QString& name : inventories::SavedInventories(q))
        comInventory->addItem(name, name);
    comInventory->setCurrentIndex(0);

    const QStringList printers = QPrinterInfo::availablePrinterNames();
    comPrinter->clear();
    comPrinter->addItems(printers);
    const int preferred = static_cast<int>(printers.indexOf(QPrinterInfo::defaultPrinterName()));
    comPrinter->setCurrentIndex(preferred >= 0 ? preferred : 0);
    radPrint->setEnabled(!printers.isEmpty());
    (printers.isEmpty() ? radPdf : radPrint)->setChecked(true);
    comPrinter->setEnabled(radPrint->isChecked());
    comInventory->setFocus();
}

void TdlgInsuranceReport::btnOkClick() {
    QString pdf;
    if (radPdf->isChecked()) {
        pdf = inventory::PdfFileName(ui::Modal::saveFileName(
            this, QStringLiteral("Save Insurance Report"),
            lastPdf_.isEmpty() ? QDir::homePath() : lastPdf_, QStringLiteral("PDF files (*.pdf)")));
        // Backing out of the file question returns to this dialog.
        if (pdf.isEmpty()) return;
    }
    auto& s = app::State();
    const QString saved = comInventory->currentData().toString();
    report::ReportOptions options;
    options.photos = chkPhotos->isChecked();
    options.programFolder = s.programFolder;
    try {
        ui::WaitCursor busy;
        const report::ReportContent content =
            saved.isEmpty() ? report::ReadWorkingInventory(s.ADOQuery2, QDate::currentDate())
                            : report::ReadSavedInventory(s.ADOQuery2, saved, QDate::currentDate());
        // A large inventory takes a while: the progress shows, and the report can be stopped.
        QProgressDialog progress(QStringLiteral("Making the insurance report ..."),
                                 QStringLiteral("&Cancel"), 0, content.entryCount, this);
        progress.setObjectName(QStringLiteral("dlgReportProgress"));
        progress.setWindowTitle(QStringLiteral("Insurance Report"));
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(1000);
        options.progress = [&progress](int done, int) {
            progress.setValue(done);
            return !progress.wasCanceled();
        };
        if (!pdf.isEmpty()) {
            report::SaveReportPdf(pdf, report::DefaultReportPageSize(), content, options);
            lastPdf_ = pdf;
        } else {
            QPrinter printer(QPrinter::HighResolution);
            printer.setPrinterName(comPrinter->currentText());
            printer.setDocName(QStringLiteral("Insurance Report"));
            report::DrawReport(printer, printer.pageLayout().pageSize(), content, options);
            if (printer.printerState() == QPrinter::Error)
                throw std::runtime_error(QStringLiteral("Printing failed on the printer \"%1\".")
                                             .arg(printer.printerName())
                                             .toStdString());
        }
    } catch (const report::Cancelled&) {
        return; // stopped by the user: nothing was written, the dialog stays
    }
    accept();
    if (!pdf.isEmpty())
        ui::Modal::message(QStringLiteral("The insurance report was saved as \"%1\".")
                               .arg(QDir::toNativeSeparators(pdf)),
                           QStringLiteral("Insurance Report"));
}

void TdlgInsuranceReport::btnCancelClick() {
    reject();
}

namespace report {

void ConnectReportMenu(QWidget* owner, QAction* item) {
    ui::ConnectGuarded(item, &QAction::triggered, owner,
                       [owner] { ReportDialog(owner)->Execute(); });
}

TdlgInsuranceReport* ReportDialog(QWidget* owner) {
    auto* dialog = owner->findChild<TdlgInsuranceReport*>(QString(), Qt::FindDirectChildrenOnly);
    return dialog ? dialog : new TdlgInsuranceReport(owner);
}

} // namespace report
