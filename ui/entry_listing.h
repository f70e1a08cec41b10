#pragma once

#include "entries/listing_lines.h"
#include "entries/listing_rows.h"
#include "store/money.h"
#include "store/stored_text.h"
#include "ui/line_list.h"

namespace ui {

// The entries of a listing as read from its query, kept compact (numbers and the stored text
// bytes); each line is formatted when it is asked for, so a long listing costs little more than
// its query. The last line is the total line. Every listing keeps the item, the notes and the
// category, in that order; `Texts` counts those and any the listing keeps after them.
template <int Texts> class EntryListing : public LineSource {
  public:
    int entryCount() const { return rows_.size(); }
    store::Currency total() const { return rows_.total(); }
    int count() const override { return entryCount() + 1; }

  protected:
    enum SharedText { Item, Notes, Category, SharedTextCount };
    static_assert(Texts >= SharedTextCount);

    // Entry i with the shared fields decoded from their stored form, 0 <= i < entryCount().
    entries::ListingEntry decoded(int i, std::array<QString, Texts>& texts) const {
        texts = rows_.texts(i);
        entries::ListingEntry e;
        e.id = rows_.id(i);
        e.item = store::FromStoredText(texts[Item]);
        e.count = rows_.count(i);
        e.value = rows_.value(i);
        e.notes = store::FromStoredText(texts[Notes]);
        e.category = store::FromStoredText(texts[Category]);
        return e;
    }

    entries::ListingRows<Texts> rows_;
};

} // namespace ui
