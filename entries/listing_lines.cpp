#include "entries/listing_lines.h"

#include "entries/number_parsing.h"

#include <algorithm>
#include <cstdlib>

namespace entries {

namespace {

const QString kEllipsis = QStringLiteral("...");

constexpr int kIdWidth = 6;
constexpr int kCategoryWidth = 15;
constexpr int kItemWidth = 20;
constexpr int kCountWidth = 6;
constexpr int kIdDigits = 5;

// Digits of the whole part of a total, sign aside; a total below 10 counts as one digit.
int WholeDigits(store::Currency total) {
    std::int64_t whole = std::llabs(total.units / 10000);
    int digits = 1;
    while (whole >= 10) {
        whole /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

QString FitColumn(const QString& text, int width) {
    if (text.size() > width) return text.left(width - 3) + kEllipsis;
    return text.leftJustified(width, QLatin1Char(' '));
}

QString MoneyColumn(store::Currency value) {
    // Truncated toward zero, as the whole part of the amount is meant.
    const std::int64_t whole = value.units / 10000;
    int blanks = 0;
    for (std::int64_t power = 1000000; power >= 10; power /= 10)
        if (power > whole) ++blanks;

    QString amount = value.toSqlText();
    const qsizetype point = amount.indexOf(QLatin1Char('.'));
    if (point < 0)
        amount += QStringLiteral(".00");
    else
        amount = amount.left(point + 3).leftJustified(point + 3, QLatin1Char('0'));

    QString column;
    column.reserve(blanks + 1 + amount.size());
    column.fill(QLatin1Char(' '), blanks);
    column += QLatin1Char('$');
    column += amount;
    return column;
}

QString NotesFirstLine(const QString& notes, bool& more) {
    more = false;
    QString line;
    const qsizetype n = notes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = notes[i];
        if (c == QLatin1Char('`')) {
            more = true;
            break;
        }
        if (c == QLatin1Char('~')) {
            if (i + 1 == n) {
                more = true;
                break;
            }
            if (notes[i + 1] == QLatin1Char('~')) {
                line += c;
                ++i;
            }
            continue;
        }
        line += c;
    }
    return line;
}

void FinishListingLine(QString& line, bool more, int limit) {
    if (line.size() > limit) {
        line.truncate(limit - 3);
        line += kEllipsis;
    } else if (more) {
        if (line.size() > limit - 3) line.truncate(limit - 3);
        line += kEllipsis;
    }
}

QString TotalLine(store::Currency total, int indentForOneDigit) {
    const int indent = std::max(0, indentForOneDigit - (WholeDigits(total) - 1));
    return QString(indent, QLatin1Char(' ')) + QStringLiteral("Total Value: $") + total.toSqlText();
}

QString SubInventoryLine(const ListingEntry& entry) {
    QString line;
    line.reserve(kSubInventoryLineLimit + 8);
    line += QString::number(entry.id).leftJustified(kIdWidth, QLatin1Char(' '));
    line += FitColumn(entry.category, kCategoryWidth);
    line += QLatin1Char(' ');
    line += FitColumn(entry.item, kItemWidth);
    line += QString::number(entry.count).rightJustified(kCountWidth, QLatin1Char(' '));
    line += MoneyColumn(entry.value);
    line += QLatin1Char(' ');
    bool more = false;
    line += NotesFirstLine(entry.notes, more);
    FinishListingLine(line, more, kSubInventoryLineLimit);
    return line;
}

std::optional<qint32> ListingLineId(const QString& line) {
    qint32 id = 0;
    if (!ParseInteger(line.left(kIdDigits), id)) return std::nullopt;
    return id;
}

} // namespace entries
