#pragma once

#include "store/database.h"
#include "store/money.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <limits>
#include <vector>

namespace entries {

// The rows of a listing query kept compact: ID, count and value as numbers, and `Texts` text
// columns as the stored UTF-8 bytes, decoded only when a row is asked for. A listing of 100,000
// entries thus costs little more than its query.
template <int Texts> class ListingRows {
  public:
    // Where the listing query holds each field.
    struct Columns {
        int id;
        int count;
        int value;
        std::array<int, Texts> texts;
    };

    void reserve(int rows, qsizetype textBytes) {
        rows_.reserve(static_cast<std::size_t>(rows));
        text_.reserve(textBytes);
    }

    // Keeps the open query's current row unless it is the header row (ID 0); returns its ID.
    qint32 append(const store::Query& q, const Columns& c) {
        const auto id = static_cast<qint32>(q.integer(c.id));
        if (id == 0) return 0;
        Row r{id, static_cast<qint32>(q.integer(c.count)), q.currency(c.value), 0, {}};
        r.at = static_cast<quint32>(text_.size());
        for (int f = 0; f < Texts; ++f) {
            const QByteArrayView bytes = q.utf8(c.texts[f]);
            r.size[f] = static_cast<quint32>(bytes.size());
            text_.append(bytes);
        }
        // Offsets are 32-bit; past 4 GiB of notes the listing would point into the wrong text.
        if (text_.size() > std::numeric_limits<quint32>::max())
            throw store::DatabaseError("The inventory is too large to list.");
        total_ = total_ + r.value;
        rows_.push_back(r);
        return id;
    }

    int size() const { return static_cast<int>(rows_.size()); }
    qint32 id(int i) const { return row(i).id; }
    qint32 count(int i) const { return row(i).count; }
    store::Currency value(int i) const { return row(i).value; }
    store::Currency total() const { return total_; }

    // Row i's texts as the database holds them (still in the stored text form).
    std::array<QString, Texts> texts(int i) const {
        const Row& r = row(i);
        std::array<QString, Texts> out;
        const char* p = text_.constData() + r.at;
        for (int f = 0; f < Texts; ++f) {
            out[f] = store::TextFromUtf8(p, r.size[f]);
            p += r.size[f];
        }
        return out;
    }

  private:
    struct Row {
        qint32 id;
        qint32 count;
        store::Currency value;
        quint32 at;                      // first byte of the texts in text_
        std::array<quint32, Texts> size; // byte length of each text, back to back from `at`
    };
    const Row& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }

    std::vector<Row> rows_;
    QByteArray text_; // UTF-8 as stored, undecoded
    store::Currency total_;
};

} // namespace entries
