// Stored text form and table names: exact round trips for everything a user can type, and no
// apostrophe or colon (stored text) or punctuation (table names) left in the stored form.
#include "fuzz_support.h"
#include "inventories/table_names.h"
#include "store/stored_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const QString text = fuzz::Utf16Units(data, size);

    const QString stored = store::ToStoredText(text);
    fuzz::Check(stored.size() == text.size(), "stored text changes the length", text);
    fuzz::Check(!stored.contains(QLatin1Char('\'')) && !stored.contains(QLatin1Char(':')),
                "stored text keeps an apostrophe or colon", text);
    // Characters of the reserved range are refused where text is typed, so they never reach
    // this form from a user; everything else must come back exactly.
    if (!fuzz::HasReservedCharacter(text))
        fuzz::Check(store::FromStoredText(stored) == text, "stored text does not come back", text);
    // Reading stored text twice is harmless only when nothing reserved is left after one read.
    const QString read = store::FromStoredText(text);
    fuzz::Check(read.size() == text.size(), "reading stored text changes the length", text);

    // Table names: outer blanks go, every other character survives.
    const QString table = inventories::ToTableName(text);
    QString trimmed = text;
    while (trimmed.startsWith(QLatin1Char(' ')))
        trimmed.remove(0, 1);
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    fuzz::Check(table.size() == trimmed.size(), "table name changes the length", text);
    static const QString punctuation = QStringLiteral(" !\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~");
    for (QChar c : table)
        fuzz::Check(!punctuation.contains(c), "table name keeps punctuation", text);
    if (!fuzz::HasReservedCharacter(text))
        fuzz::Check(inventories::FromTableName(table) == trimmed, "table name does not come back",
                    text);
    return 0;
}
