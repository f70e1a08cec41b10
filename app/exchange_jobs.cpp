#include "app/exchange_jobs.h"

#include "backup/core/backup_core.h"
#include "entries/entry_store.h"
#include "exchange/inventory_exchange.h"
#include "inventories/inventory_store.h"
#include "inventories/table_names.h"
#include "store/database.h"
#include "ui/app_state.h"

#include <QDir>
#include <QLockFile>
#include <cstdio>

namespace app {

namespace {

const QString kExport = QStringLiteral("--export");
const QString kImport = QStringLiteral("--import");

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

int usage() {
    say(QStringLiteral("usage: quivera --export OUT.csv|OUT.zip [--inventory NAME] "
                       "[--format homebox]\n       quivera --import IN.csv|IN.tsv|IN.zip"));
    return 2;
}

int exportJob(const QString& programFolder, const QStringList& options) {
    const QString out = options.value(0);
    QString inventory;
    exchange::Layout layout = exchange::Layout::Quivera;
    for (qsizetype i = 1; i < options.size(); i += 2) {
        if (i + 1 >= options.size()) return usage();
        const QString value = options[i + 1];
        if (options[i] == QLatin1String("--inventory") && inventory.isEmpty() &&
            !value.trimmed().isEmpty())
            inventory = value;
        else if (options[i] == QLatin1String("--format") &&
                 value.compare(QLatin1String("homebox"), Qt::CaseInsensitive) == 0)
            layout = exchange::Layout::HomeBox;
        else
            return usage();
    }
    store::Connection db(store::ConnectionString(store::DatabaseKind::User, programFolder));
    store::Query q(db);
    QString table = QStringLiteral("Inventory");
    if (!inventory.isEmpty()) {
        QString found;
        for (const QString& name : inventories::SavedInventories(q))
            if (name.compare(inventory.trimmed(), Qt::CaseInsensitive) == 0) found = name;
        if (found.isEmpty()) {
            say(QStringLiteral("There is no saved inventory named \"%1\".").arg(inventory));
            return 1;
        }
        table = inventories::ToTableName(found);
    }
    const exchange::ExportReport report =
        exchange::ExportEntries(entries::ReadEntryTable(q, table), out, layout);
    q.close();
    db.disconnect();
    say(QStringLiteral("%1 exported to %2.")
            .arg(exchange::Counted(report.entries, "entry", "entries"), out));
    if (report.missingPhotographs.isEmpty()) return 0;
    say(QStringLiteral("These photographs could not be read and are not in the archive:"));
    for (const QString& m : report.missingPhotographs)
        say(QStringLiteral("  ") + m);
    return 1;
}

int importJob(const QString& programFolder, const QString& in) {
    // The running program keeps the entry numbers in memory: it must not be changed under it.
    QLockFile lock(backup::RunLockPath(programFolder));
    if (!backup::TakeRunLock(lock)) {
        say(QStringLiteral("Quivera is running on %1: import the file from its File menu, or "
                           "close it first.")
                .arg(programFolder));
        return 1;
    }
    store::Connection user(store::ConnectionString(store::DatabaseKind::User, programFolder));
    store::Connection catalogue(
        store::ConnectionString(store::DatabaseKind::Catalogue, programFolder));
    store::Query q(user);
    store::Query c(catalogue);
    int idCounter = inventories::ReadWorkingInventory(q).idCounter;
    entries::EntryStore entries(user, q, idCounter);
    // The program empties the working inventory when it closes: the imported entries are marked
    // as a session, so the next start offers to keep them.
    const exchange::ImportTarget target{user, entries, c,
                                        programFolder + QStringLiteral("Pictures/"),
                                        [&] { inventories::StartSession(q); }};
    try {
        const exchange::ImportReport report = exchange::ImportFile(in, target);
        say(QStringLiteral("%1 imported from %2 into the working inventory; Quivera "
                           "offers to save them when it starts next.")
                .arg(exchange::Counted(report.entries, "entry", "entries"), in));
        if (report.photographs)
            say(QStringLiteral("%1 copied into %2.")
                    .arg(exchange::Counted(report.photographs, "photograph", "photographs"),
                         target.picturesFolder));
        if (!report.ignoredColumns.isEmpty())
            say(QStringLiteral("These columns were not imported: %1.")
                    .arg(report.ignoredColumns.join(QStringLiteral(", "))));
        return 0;
    } catch (const exchange::ImportRefused& refused) {
        say(refused.message(int(refused.problems().size())));
        return 1;
    }
}

} // namespace

bool NamesExchangeJob(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (arguments[i] == kExport || arguments[i] == kImport) return true;
    return false;
}

std::optional<int> RunExchangeJob(const QStringList& arguments) {
    if (!NamesExchangeJob(arguments)) return std::nullopt;
    if (arguments.size() < 3 || (arguments[1] != kExport && arguments[1] != kImport))
        return usage();
    if (arguments[1] == kImport && arguments.size() != 3) return usage();
    const QString programFolder = ProgramFolderFrom(QDir::currentPath());
    try {
        if (arguments[1] == kImport) return importJob(programFolder, arguments[2]);
        return exportJob(programFolder, arguments.mid(2));
    } catch (const std::exception& e) {
        say(QString::fromUtf8(e.what()));
        return 1;
    }
}

} // namespace app
