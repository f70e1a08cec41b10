#include "inventory/inventory_lines.h"

namespace inventory {

namespace {

constexpr int kIdWidth = 6;
constexpr int kSubInventoryWidth = 12;
constexpr int kCategoryWidth = 15;
constexpr int kItemWidth = 20;
constexpr int kCountWidth = 6;

} // namespace

QString InventoryRow(const entries::ListingEntry& entry) {
    QString row;
    row.reserve(kInventoryLineLimit + 8);
    row += QString::number(entry.id).leftJustified(kIdWidth, QLatin1Char(' '));
    row += entry.subInventory.leftJustified(kSubInventoryWidth, QLatin1Char(' '));
    row += entries::FitColumn(entry.category, kCategoryWidth);
    row += QLatin1Char(' ');
    row += entries::FitColumn(entry.item, kItemWidth);
    row += QString::number(entry.count).rightJustified(kCountWidth, QLatin1Char(' '));
    row += entries::MoneyColumn(entry.value);
    row += QLatin1Char(' ');
    return row;
}

QString InventoryLine(const entries::ListingEntry& entry) {
    QString line = InventoryRow(entry);
    bool more = false;
    line += entries::NotesFirstLine(entry.notes, more);
    entries::FinishListingLine(line, more, kInventoryLineLimit);
    return line;
}

} // namespace inventory
