#include "entries/item_index.h"

#include "store/database.h"
#include "store/stored_text.h"
#include "entries/tab_table.h"

namespace entries {

namespace {

QString padded(const QString& s, int width) {
    return s.size() < width ? s + QString(width - s.size(), QLatin1Char(' ')) : s;
}

const QString kInsertHead =
    QStringLiteral("INSERT INTO Temp_Table (Item_Name, Category_Name, Tab_Name)");

QString quoted(const QString& caption) {
    return QLatin1Char('\'') + caption + QLatin1Char('\'');
}

} // namespace

QString IndexLine(const IndexEntry& e) {
    const QString head = e.item.isEmpty() ? QString(kIndexItemWidth, QLatin1Char(' ')) + e.category
                                          : padded(e.item, kIndexItemWidth) + e.category;
    return padded(head, kIndexTabColumn) + e.tab;
}

QStringList IndexLines(const std::vector<IndexEntry>& entries) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(entries.size()));
    for (const IndexEntry& e : entries)
        lines << IndexLine(e);
    return lines;
}

std::vector<QStringList> IndexFillStatements() {
    std::vector<QStringList> out;
    bool first = true;
    for (const entries::TabInfo& t : entries::TabTable()) {
        const QString caption = quoted(t.captionText());
        const QString key = t.keyText();
        if (first)
            out.push_back({QStringLiteral("SELECT Item_Name, Category_Name, ") + caption +
                               QStringLiteral(" AS Tab_Name"),
                           QStringLiteral("INTO Temp_Table"),
                           QStringLiteral("FROM ") + key + QStringLiteral("_Items")});
        else
            out.push_back({kInsertHead,
                           QStringLiteral("SELECT Item_Name, Category_Name, ") + caption,
                           QStringLiteral("FROM ") + key + QStringLiteral("_Items")});
        out.push_back({kInsertHead, QStringLiteral("SELECT Category_Name, ' ', ") + caption,
                       QStringLiteral("FROM ") + key + QStringLiteral("_Main")});
        first = false;
    }
    return out;
}

std::vector<IndexEntry> BuildItemIndex(store::Query& q) {
    std::vector<IndexEntry> entries;
    q.connection().transaction([&] {
        q.execute({QStringLiteral("DROP TABLE IF EXISTS Temp_Table")});
        for (const QStringList& statement : IndexFillStatements()) {
            q.execute(statement);
            q.close();
            q.clear();
        }
        q.open({QStringLiteral("SELECT *"), QStringLiteral("FROM Temp_Table"),
                QStringLiteral("ORDER BY Item_Name")});
        const QString other = QStringLiteral("Other");
        const QString blank = QStringLiteral(" ");
        while (!q.eof()) {
            const QString name = q.text(0);
            if (name != other) {
                const QString category = q.text(1);
                if (category == blank)
                    entries.push_back({QString(), store::FromStoredText(name), q.text(2)});
                else
                    entries.push_back(
                        {store::FromStoredText(name), store::FromStoredText(category), q.text(2)});
            }
            q.next();
        }
        q.close();
        q.execute({QStringLiteral("DROP TABLE Temp_Table")});
        q.close();
    });
    return entries;
}

namespace {

// The index is ordered by the stored names under the NOCASE collation; the look-up must agree.
int compareKeys(const QString& a, const QString& b) {
    return QString::compare(store::ToStoredText(a), store::ToStoredText(b), Qt::CaseInsensitive);
}

QString lookUpKey(const QString& line, qsizetype length) {
    if (line.startsWith(QLatin1Char(' ')))
        return line.mid(kIndexItemWidth, std::min<qsizetype>(length, kLookUpCategoryKeyLength));
    return line.left(length);
}

} // namespace

int LookUpIndexLine(const QStringList& lines, const QString& text) {
    const int n = static_cast<int>(lines.size());
    if (text.isEmpty() || n == 0) return -1;
    const QString t = text.left(kLookUpMaxLength);
    auto less = [&](int k) { return compareKeys(lookUpKey(lines[k], t.size()), t) < 0; };
    int lo = 0, hi = n - 1, d = (lo + hi) / 2;
    while (d != lo) {
        if (less(d))
            lo = d;
        else
            hi = d;
        d = (lo + hi) / 2;
    }
    if (less(d) && d + 1 < n && compareKeys(lookUpKey(lines[d + 1], t.size()), t) <= 0) ++d;
    return d;
}

} // namespace entries
