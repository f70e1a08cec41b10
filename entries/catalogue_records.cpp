#include "entries/catalogue_records.h"

#include "store/database.h"
#include "store/stored_text.h"
#include "entries/number_parsing.h"

#include "store/money.h"

namespace entries {

namespace {

// A NUL would end the statement text early: such a name is refused before anything is written.
void RefuseNul(const QString& what, const QString& name) {
    if (!name.contains(QChar(0))) return;
    QString shown = name;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    throw store::DatabaseError(
        QStringLiteral("The %1 \"%2\" holds a NUL character.").arg(what, shown).toStdString());
}

} // namespace

std::vector<PriceGroup> ParsePriceGroups(const QString& input) {
    QString text = input;
    text.replace(QLatin1Char('\n'), QLatin1Char(';'));
    std::vector<PriceGroup> groups;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && text[i] == QLatin1Char(' '))
            ++i;
    };
    // Reads a field up to "~" (consumed) or the record end (not consumed); tells which ended it.
    auto field = [&](QString& out, bool toRecordEnd) {
        skipBlanks();
        const qsizetype start = i;
        while (i < n && text[i] != QLatin1Char(';') && (toRecordEnd || text[i] != QLatin1Char('~')))
            ++i;
        out = text.mid(start, i - start);
        if (i < n && text[i] == QLatin1Char('~')) {
            ++i;
            return true;
        }
        return false;
    };
    while (i < n) {
        PriceGroup g;
        bool complete = field(g.category, false) && field(g.item, false);
        if (complete) {
            for (int p = 0; p < 4; ++p)
                if (!field(g.prices[p], p == 3)) break;
        }
        // Step over the rest of the record and its ";".
        while (i < n && text[i] != QLatin1Char(';'))
            ++i;
        if (i < n) ++i;
        if (complete && !g.category.isEmpty()) groups.push_back(std::move(g));
    }
    return groups;
}

int EnsureCategory(store::Query& q, const QString& key, const QString& category) {
    RefuseNul(QStringLiteral("category name"), category);
    const QString stored = store::ToStoredText(category);
    q.open({QStringLiteral("SELECT Category_Number, Order_Number "),
            QStringLiteral("FROM ") + key + QStringLiteral("_Main "),
            QStringLiteral("WHERE Category_Name = '") + stored + QLatin1Char('\'')});
    if (q.integer(0) != 0) return static_cast<int>(q.integer(0));
    q.open({QStringLiteral("SELECT Category_Number"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Main "),
            QStringLiteral("ORDER BY Category_Number DESC")});
    const int number = static_cast<int>(q.integer(0)) + 1;
    q.open({QStringLiteral("SELECT Order_Number"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Main "),
            QStringLiteral("ORDER BY Order_Number DESC")});
    const int order = static_cast<int>(q.integer(0)) + 1;
    q.execute({QStringLiteral("INSERT INTO ") + key + QStringLiteral("_Main "),
               QStringLiteral("VALUES ('") + stored + QStringLiteral("', ") +
                   QString::number(order) + QStringLiteral(", ") + QString::number(number) +
                   QStringLiteral(", 0)")});
    return number;
}

int EnsureItem(store::Query& q, const QString& key, int categoryNumber, const QString& category,
               const QString& item) {
    RefuseNul(QStringLiteral("category name"), category);
    RefuseNul(QStringLiteral("item name"), item);
    const QString storedItem = store::ToStoredText(item);
    q.open({QStringLiteral("SELECT Item_Number, Order_Number "),
            QStringLiteral("FROM ") + key + QStringLiteral("_Items "),
            QStringLiteral("WHERE  + Category_Number = ") + QString::number(categoryNumber) +
                QStringLiteral(" AND Item_Name = '") + storedItem + QLatin1Char('\'')});
    if (q.integer(0) != 0) return static_cast<int>(q.integer(0));
    q.open({QStringLiteral("SELECT Item_Number"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Items "),
            QStringLiteral("ORDER BY Item_Number DESC")});
    const int number = static_cast<int>(q.integer(0)) + 1;
    q.open({QStringLiteral("SELECT Order_Number"),
            QStringLiteral("FROM ") + key + QStringLiteral("_Items "),
            QStringLiteral("ORDER BY Order_Number DESC")});
    const int order = static_cast<int>(q.integer(0)) + 1;
    q.execute({QStringLiteral("INSERT INTO ") + key + QStringLiteral("_Items "),
               QStringLiteral("VALUES ('") + store::ToStoredText(category) + QStringLiteral("', ") +
                   QString::number(categoryNumber) + QStringLiteral(", '") + storedItem +
                   QStringLiteral("', ") + QString::number(order) + QStringLiteral(", ") +
                   QString::number(number) + QLatin1Char(')')});
    return number;
}

void EnsurePrices(store::Query& q, const QString& key, int itemNumber, const QString& item,
                  const std::array<QString, 4>& prices) {
    RefuseNul(QStringLiteral("item name"), item);
    for (const QString& price : prices) {
        double value = 0;
        if (!entries::ParseReal(price, value)) continue;
        // The value read goes into SQL in plain decimal, never the text as typed: "1,000" or
        // "2 e 3" are numbers to the grammar but not to SQL.
        const QString cost = store::MoneyToSql(value);
        q.open({QStringLiteral("SELECT Item_Number "),
                QStringLiteral("FROM ") + key + QStringLiteral("_Data "),
                QStringLiteral("WHERE Item_Number = ") + QString::number(itemNumber) +
                    QStringLiteral(" AND Item_Cost = ") + cost});
        if (q.integer(0) != 0) continue;
        q.execute({QStringLiteral("INSERT INTO ") + key + QStringLiteral("_Data "),
                   QStringLiteral("VALUES ('") + store::ToStoredText(item) + QStringLiteral("', ") +
                       QString::number(itemNumber) + QStringLiteral(", ") + cost +
                       QLatin1Char(')')});
    }
}

CatalogueIds LoadPriceGroup(store::Query& q, const QString& key, const PriceGroup& group) {
    CatalogueIds ids;
    ids.categoryNumber = EnsureCategory(q, key, group.category);
    ids.itemNumber = EnsureItem(q, key, ids.categoryNumber, group.category, group.item);
    EnsurePrices(q, key, ids.itemNumber, group.item, group.prices);
    return ids;
}

} // namespace entries
