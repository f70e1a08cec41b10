// What the kill driver and its test both compute: a digest of an inventory table's entries.
#pragma once

#include "store/database.h"

#include <QString>
#include <cstdint>

namespace kill_test {

struct Contents {
    int entries = 0;
    uint64_t digest = 0xcbf29ce484222325ULL; // FNV-1a over every field of every entry, in order
};

// The entries (not the header row) of `table`, in entry order.
inline Contents ReadContents(store::Query& q, const QString& table) {
    Contents c;
    q.open({QStringLiteral("SELECT * FROM ") + store::QuoteIdentifier(table),
            QStringLiteral("WHERE ID_Number > 0 ORDER BY ID_Number")});
    while (!q.eof()) {
        ++c.entries;
        for (int f = 0; f < q.fieldCount(); ++f) {
            const QByteArray bytes = q.text(f).toUtf8() + '\x1f';
            for (char b : bytes)
                c.digest = (c.digest ^ uint8_t(b)) * 0x100000001b3ULL;
        }
        q.next();
    }
    q.close();
    return c;
}

} // namespace kill_test
