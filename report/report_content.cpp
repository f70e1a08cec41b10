#include "report/report_content.h"

#include "entries/listing_lines.h"
#include "entries/tab_table.h"
#include "inventories/inventory_store.h"
#include "inventories/table_names.h"
#include "store/database.h"

#include <QLocale>
#include <map>
#include <stdexcept>

namespace report {

QString InventoryLabel(const ReportContent& content) {
    return inventories::TitlesFor(content.inventoryName).label;
}

QString DateText(const QDate& date) {
    return QLocale::c().toString(date, QStringLiteral("MMMM d, yyyy"));
}

QString MoneyText(store::Currency value) {
    return entries::MoneyColumn(value).trimmed();
}

ReportContent GroupByArea(std::vector<entries::EntryRecord> records, const QString& name,
                          const QDate& date) {
    ReportContent content;
    content.inventoryName = name;
    content.date = date;
    content.entryCount = static_cast<int>(records.size());

    const auto& tabs = entries::TabTable();
    std::vector<AreaSection> known(entries::kTabCount);
    for (int page = 0; page < entries::kTabCount; ++page)
        known[page].caption = tabs[page].captionText();
    // Areas the tab table does not know, by their stored name, in the order first met.
    std::vector<AreaSection> unknown;
    std::map<QString, std::size_t> unknownAt;

    for (entries::EntryRecord& r : records) {
        content.total = content.total + r.total;
        const int page = entries::PageOfSubInventory(r.subInventoryNumber);
        AreaSection* area = nullptr;
        if (page >= 0) {
            area = &known[page];
        } else {
            const QString caption =
                r.subInventory.isEmpty() ? QStringLiteral("(no area)") : r.subInventory;
            auto [it, added] = unknownAt.try_emplace(caption, unknown.size());
            if (added) unknown.push_back({caption, {}, {}});
            area = &unknown[it->second];
        }
        area->subtotal = area->subtotal + r.total;
        area->entries.push_back(std::move(r));
    }
    for (AreaSection& a : known)
        if (!a.entries.empty()) content.areas.push_back(std::move(a));
    for (AreaSection& a : unknown)
        content.areas.push_back(std::move(a));
    return content;
}

ReportContent ReadWorkingInventory(store::Query& query, const QDate& date) {
    const QString name = inventories::FromTableName(inventories::CurrentTableName(query));
    return GroupByArea(entries::ReadEntryTable(query, QStringLiteral("Inventory")), name, date);
}

ReportContent ReadSavedInventory(store::Query& query, const QString& displayName,
                                 const QDate& date) {
    const QString wanted = displayName.trimmed();
    for (const QString& saved : inventories::SavedInventories(query))
        if (saved.compare(wanted, Qt::CaseInsensitive) == 0)
            return GroupByArea(entries::ReadEntryTable(query, inventories::ToTableName(saved)),
                               saved, date);
    throw std::runtime_error(
        QStringLiteral("There is no saved inventory named \"%1\".").arg(wanted).toStdString());
}

} // namespace report
