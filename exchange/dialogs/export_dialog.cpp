#include "exchange/dialogs/export_dialog.h"

#include "exchange/inventory_exchange.h"
#include "entries/entry_store.h"
#include "entries/entry_table.h"
#include "inventories/file_commands.h"
#include "inventories/inventory_store.h"
#include "inventories/table_names.h"
#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/make_widget.h"
#include "ui/wait_cursor.h"
#include "ui/modal.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace exchange {

namespace {

const QString kWorking = QStringLiteral("Working inventory");

// A long list in a message box stays readable: its first lines, then how many more.
QString Listed(const QStringList& lines, int shown) {
    QString text = lines.mid(0, shown).join(QLatin1Char('\n'));
    if (lines.size() > shown)
        text += QStringLiteral("\n... and %1 more.").arg(lines.size() - shown);
    return text;
}

} // namespace

TdlgExport::TdlgExport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgExport"));
    setWindowTitle(QStringLiteral("Export Inventory"));
    setFixedSize(330, 120);
    lblInventory = ui::MakeWidget<QLabel>(this, "lblInventory", {12, 16, 70, 21},
                                          QStringLiteral("&Inventory:"));
    comInventory = ui::MakeWidget<QComboBox>(this, "comInventory", {86, 14, 232, 24});
    comInventory->setAccessibleName(QStringLiteral("Inventory"));
    lblInventory->setBuddy(comInventory);
    lblFormat =
        ui::MakeWidget<QLabel>(this, "lblFormat", {12, 50, 70, 21}, QStringLiteral("&Format:"));
    comFormat = ui::MakeWidget<QComboBox>(this, "comFormat", {86, 48, 232, 24});
    comFormat->addItems({QStringLiteral("CSV file"), QStringLiteral("ZIP archive with photographs"),
                         QStringLiteral("HomeBox CSV file")});
    comFormat->setAccessibleName(QStringLiteral("Format"));
    lblFormat->setBuddy(comFormat);
    btnExport = ui::MakeWidget<QPushButton>(this, "btnExport", {146, 86, 84, 25},
                                            QStringLiteral("&Export ..."));
    btnExport->setDefault(true);
    btnCancel = ui::MakeWidget<QPushButton>(this, "btnCancel", {238, 86, 80, 25},
                                            QStringLiteral("&Cancel"));
    ui::ConnectGuarded(btnExport, &QPushButton::clicked, this, [this] { btnExportClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgExport::FormShow() {
    comInventory->clear();
    comInventory->addItem(kWorking);
    comInventory->addItems(inventories::SavedInventories(app::State().ADOQuery2));
    comInventory->setCurrentIndex(0);
}

void TdlgExport::btnExportClick() {
    auto& s = app::State();
    const int format = comFormat->currentIndex();
    const bool zip = format == ZipArchive;
    const QString suffix = zip ? QStringLiteral(".zip") : QStringLiteral(".csv");
    const bool working = comInventory->currentIndex() <= 0;
    const QString name = working ? QStringLiteral("Inventory") : comInventory->currentText();
    QString file = ui::Modal::saveFileName(
        this, QStringLiteral("Export Inventory"), QDir::home().filePath(name + suffix),
        zip ? QStringLiteral("ZIP archives (*.zip)") : QStringLiteral("CSV files (*.csv)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(suffix, Qt::CaseInsensitive)) {
        // The file dialog asked about the name as typed, not about this one.
        file += suffix;
        if (QFileInfo::exists(file) &&
            ui::Modal::question(
                QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file),
                QStringLiteral("Export"), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    ExportReport report;
    {
        ui::WaitCursor wait;
        const QString table =
            working ? QStringLiteral("Inventory") : inventories::ToTableName(name);
        report = ExportEntries(entries::ReadEntryTable(s.ADOQuery2, table), file,
                               format == HomeBoxFile ? Layout::HomeBox : Layout::Quivera);
    }
    QString text =
        QStringLiteral("%1 exported to %2.").arg(Counted(report.entries, "entry", "entries"), file);
    if (zip)
        text += QStringLiteral("\n%1 in the archive.")
                    .arg(Counted(report.photographs, "photograph is", "photographs are"));
    if (!report.missingPhotographs.isEmpty())
        text += QStringLiteral("\n\nThese photographs could not be read and are not in the "
                               "archive:\n") +
                Listed(report.missingPhotographs, 20);
    ui::Modal::message(text, QStringLiteral("Export"));
    accept();
}

void ExportInventory1Click(QWidget* parent) {
    TdlgExport dialog(parent);
    dialog.FormShow();
    ui::Modal::exec(dialog);
}

void ImportInventory1Click(QWidget* parent) {
    const QString file = ui::Modal::openFileName(
        parent, QStringLiteral("Import Inventory"), QDir::homePath(),
        QStringLiteral("Inventory files (*.csv *.tsv *.zip);;All files (*)"));
    if (file.isEmpty()) return;
    auto& s = app::State();
    // The reload after the import reads the sort and cost level from the header row: it gets the
    // ones in use now.
    inventories::WriteInventoryHeader(s.ADOQuery2, inventories::CurrentHeaderWrite());
    const ImportTarget target{s.ADOConnection2,
                              s.Entries,
                              s.ADOQuery1,
                              s.programFolder + QStringLiteral("Pictures/"),
                              {}};
    ImportReport report;
    try {
        ui::WaitCursor wait;
        report = ImportFile(file, target);
    } catch (const ImportRefused& refused) {
        ui::Modal::message(refused.message(25), QStringLiteral("Import"));
        return;
    } catch (const ExchangeError& e) {
        ui::Modal::message(e.text(), QStringLiteral("Import"));
        return;
    }
    s.Changes.announceReloaded();
    s.InventoryModified = true;
    QString text = QStringLiteral("%1 imported from %2.")
                       .arg(Counted(report.entries, "entry", "entries"), file);
    if (report.photographs)
        text += QStringLiteral("\n%1 copied into %2.")
                    .arg(Counted(report.photographs, "photograph", "photographs"),
                         target.picturesFolder);
    if (!report.ignoredColumns.isEmpty())
        text += QStringLiteral("\nThese columns were not imported: %1.")
                    .arg(report.ignoredColumns.join(QStringLiteral(", ")));
    ui::Modal::message(text, QStringLiteral("Import"));
}

} // namespace exchange
