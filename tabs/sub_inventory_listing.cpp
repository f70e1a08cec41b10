#include "tabs/sub_inventory_listing.h"

#include "store/database.h"
#include "store/stored_text.h"

#include <limits>

namespace tabs {

namespace {

// Column positions in a tab's listing query.
enum Column { ColId, ColItem, ColCount, ColValue, ColNotes, ColCategory };

} // namespace

std::shared_ptr<SubInventoryListing> SubInventoryListing::Read(store::Query& q) {
    auto listing = std::make_shared<SubInventoryListing>();
    constexpr int columns[FieldCount] = {ColItem, ColNotes, ColCategory};
    for (; !q.eof(); q.next()) {
        const auto id = static_cast<qint32>(q.integer(ColId));
        if (id == 0) continue; // the header row
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

entries::ListingEntry SubInventoryListing::entry(int i) const {
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
    e.category = store::FromStoredText(texts[Category]);
    return e;
}

QString SubInventoryListing::line(int row) const {
    return row < entryCount() ? entries::SubInventoryLine(entry(row))
                              : entries::SubInventoryTotalLine(total_);
}

} // namespace tabs
