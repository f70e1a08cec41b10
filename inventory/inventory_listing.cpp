#include "inventory/inventory_listing.h"

#include "store/database.h"
#include "store/stored_text.h"

#include <limits>

namespace inventory {

namespace {

// Column positions in the listing query.
enum Column { ColId, ColItem, ColCount, ColValue, ColNotes, ColSubInventory, ColCategory };

// Item, notes, tab and category of an everyday entry take about this many bytes together.
constexpr qsizetype kTypicalTextBytes = 80;

} // namespace

std::shared_ptr<InventoryListing> InventoryListing::Read(store::Query& q, int selectId, int* found,
                                                         int expectedEntries) {
    auto listing = std::make_shared<InventoryListing>();
    if (found) *found = -1;
    if (expectedEntries > 0) {
        // Growing by copying 100,000 rows' texts costs as much as reading them.
        listing->rows_.reserve(static_cast<std::size_t>(expectedEntries));
        listing->text_.reserve(qsizetype(expectedEntries) * kTypicalTextBytes);
    }
    constexpr int columns[FieldCount] = {ColItem, ColNotes, ColSubInventory, ColCategory};
    for (; !q.eof(); q.next()) {
        const auto id = static_cast<qint32>(q.integer(ColId));
        if (id == 0) continue; // the header row
        if (id == selectId && found) *found = listing->entryCount();
        Row r{id, static_cast<qint32>(q.integer(ColCount)), q.currency(ColValue), 0, {}};
        r.at = static_cast<quint32>(listing->text_.size());
        for (int f = 0; f < FieldCount; ++f) {
            const QByteArrayView bytes = q.utf8(columns[f]);
            r.size[f] = static_cast<quint32>(bytes.size());
            listing->text_.append(bytes);
        }
        // Offsets are 32-bit; past 4 GiB of notes the listing would point into the wrong text.
        if (listing->text_.size() > std::numeric_limits<quint32>::max())
            throw store::DatabaseError("The inventory is too large to list.");
        listing->total_ = listing->total_ + r.value;
        listing->rows_.push_back(r);
    }
    return listing;
}

entries::ListingEntry InventoryListing::entry(int i) const {
    const Row& r = rows_[static_cast<std::size_t>(i)];
    QString texts[FieldCount];
    const char* p = text_.constData() + r.at;
    for (int f = 0; f < FieldCount; ++f) {
        texts[f] = store::TextFromUtf8(p, r.size[f]);
        p += r.size[f];
    }
    entries::ListingEntry e;
    e.id = r.id;
    e.item = store::FromStoredText(texts[Item]);
    e.count = r.count;
    e.value = r.value;
    e.notes = store::FromStoredText(texts[Notes]);
    e.subInventory = texts[SubInventory]; // a tab's short name, stored as shown
    e.category = store::FromStoredText(texts[Category]);
    return e;
}

QString InventoryListing::line(int row) const {
    return row < entryCount() ? InventoryLine(entry(row)) : InventoryTotalLine(total_);
}

} // namespace inventory
