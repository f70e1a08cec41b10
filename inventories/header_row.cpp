#include "inventories/header_row.h"

#include "store/database.h"

#include <QtGlobal>

namespace inventories {

namespace {

QString digits(int value, int width, int maximum) {
    return QStringLiteral("%1").arg(qBound(0, value, maximum), width, 10, QLatin1Char('0'));
}

// The number in text[from, from + count), when those are all digits and it lies in [low, high].
std::optional<int> field(const QString& text, int from, int count, int low, int high) {
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

QChar slotCharacter(int slot) {
    return QChar(static_cast<char16_t>(48 + slot));
}

QString sqlLiteral(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

const QStringList kSelectHeader = {QStringLiteral("SELECT Item_Notes"),
                                   QStringLiteral("FROM Inventory"),
                                   QStringLiteral("WHERE ID_Number = 0")};

QString storedHeader(store::Query& query) {
    query.open(kSelectHeader);
    const QString text = query.text(0);
    query.close();
    return text;
}

} // namespace

QString StampText(const ChangeStamp& s) {
    const int hour = ((s.hour % 24) + 24) % 24;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    return digits(hour12, 2, 99) + digits(s.minute, 2, 99) + QLatin1Char(hour < 12 ? 'A' : 'P') +
           QLatin1Char(' ') + digits(s.month, 2, 99) + QLatin1Char('/') + digits(s.day, 2, 99) +
           QLatin1Char('/') + digits(s.year, 4, 9999) + QLatin1Char(' ') + digits(s.weekday, 1, 9);
}

QString SettingsText(const InventorySettings& settings) {
    QString text(QLatin1Char(' '));
    for (int slot : settings.sortKeys)
        text += slotCharacter(slot);
    text += QLatin1Char(' ');
    text += QLatin1Char(settings.cost == CostLevel::Low      ? 'L'
                        : settings.cost == CostLevel::Medium ? 'M'
                                                             : 'H');
    return text;
}

std::optional<InventoryHeader> ParseHeaderText(const QString& text) {
    const qsizetype n = text.size();
    if (n != kHeaderLength && n != kShortHeaderLength) return std::nullopt;
    // The printout indexes its month and weekday names with these, so they must be in range.
    const auto hour12 = field(text, 0, 2, 0, 12);
    const auto minute = field(text, 2, 2, 0, 59);
    const auto month = field(text, 6, 2, 1, 12);
    const auto day = field(text, 9, 2, 1, 31);
    const auto year = field(text, 12, 4, 0, 9999);
    const auto weekday = field(text, 17, 1, 0, 6);
    if (!hour12 || !minute || !month || !day || !year || !weekday) return std::nullopt;

    InventoryHeader h;
    const bool pm = text[4] == QLatin1Char('P');
    int hour = *hour12;
    if (pm && hour != 12)
        hour += 12;
    else if (!pm && hour == 12)
        hour = 0;
    h.stamp = {*minute, hour, *day, *month, *year, *weekday};

    const int slotCount = n == kHeaderLength ? 6 : 5;
    for (int i = 0; i < slotCount; ++i)
        h.settings.sortKeys[i] = text[19 + i].unicode() - 48;
    if (slotCount == 5) h.settings.sortKeys[5] = kShortHeaderSlot;
    const QChar cost = text[n - 1];
    h.settings.cost = cost == QLatin1Char('L')   ? CostLevel::Low
                      : cost == QLatin1Char('M') ? CostLevel::Medium
                                                 : CostLevel::High;
    return h;
}

QString ComposeHeaderWrite(const QString& stored, const HeaderWrite& write) {
    QString stamp;
    QString settings;
    if (ParseHeaderText(stored)) {
        stamp = stored.left(18);
        if (stored.size() == kHeaderLength)
            settings = stored.mid(18);
        else // widen the short form: the missing sixth slot becomes a blank
            settings = stored.mid(18, 6) + QLatin1Char(' ') + stored.mid(24, 2);
    } else {
        stamp = StampText(write.now);
        settings = SettingsText(write.current);
    }
    if (write.inventoryModified) stamp = StampText(write.now);
    if (write.settingsChanged) settings = SettingsText(write.current);
    return stamp + settings;
}

QString WriteInventoryHeader(store::Query& query, const HeaderWrite& write) {
    const QString text = ComposeHeaderWrite(storedHeader(query), write);
    // A kept header is copied as it stands; it must not be able to end the literal.
    query.execute({QStringLiteral("UPDATE Inventory"),
                   QStringLiteral("SET Item_Notes = '") + sqlLiteral(text) + QStringLiteral("', "),
                   QStringLiteral("Total_Value_Of_Item = 1.1"),
                   QStringLiteral("WHERE ID_Number = 0")});
    // Without its header row an inventory would never keep its sort order or cost level.
    if (query.rowsAffected() == 0)
        query.execute({QStringLiteral("INSERT INTO Inventory"),
                       QStringLiteral("VALUES (0, '', 0, '', 0, '', 0, 0, 0, 1.1, '") +
                           sqlLiteral(text) + QStringLiteral("', '')")});
    return text;
}

std::optional<InventoryHeader> ReadInventoryHeader(store::Query& query) {
    return ParseHeaderText(storedHeader(query));
}

} // namespace inventories
