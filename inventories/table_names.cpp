#include "inventories/table_names.h"

#include "store/schema.h"

#include <array>

namespace inventories {

namespace {

struct Substitution {
    char16_t character;
    char16_t byte;
};

// Each of the bytes 0xE0 to 0xFF stands for exactly one character, so the mapping is invertible.
constexpr std::array<Substitution, 32> kSubstitutions = {{
    {u' ', 0xFF},  {u'!', 0xFC},  {u'"', 0xE7}, {u'#', 0xFA}, {u'$', 0xF9}, {u'%', 0xF8},
    {u'&', 0xF6},  {u'\'', 0xE6}, {u'(', 0xF4}, {u')', 0xF3}, {u'*', 0xF5}, {u'+', 0xF1},
    {u',', 0xE4},  {u'-', 0xF2},  {u'.', 0xE2}, {u'/', 0xE0}, {u':', 0xE9}, {u';', 0xE8},
    {u'<', 0xE5},  {u'=', 0xF0},  {u'>', 0xE3}, {u'?', 0xE1}, {u'@', 0xFB}, {u'[', 0xEC},
    {u'\\', 0xEE}, {u']', 0xEA},  {u'^', 0xF7}, {u'`', 0xFD}, {u'{', 0xED}, {u'|', 0xEF},
    {u'}', 0xEB},  {u'~', 0xFE},
}};

constexpr char16_t kPrivateBase = 0xF000;

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool listed(const QStringList& names, const QString& name) {
    for (const QString& n : names)
        if (sameName(n, name)) return true;
    return false;
}

// Rules of the database rather than of this program: SQLite keeps the "sqlite_" prefix to
// itself; control characters and our own private-use range would not survive the round trip.
bool unusable(const QString& displayName, const QString& tableName) {
    if (tableName.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) return true;
    for (QChar c : displayName) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= kPrivateBase && u <= kPrivateBase + 0xFF)) return true;
    }
    return false;
}

} // namespace

QString ToTableName(const QString& displayName) {
    qsizetype first = 0;
    qsizetype last = displayName.size();
    while (first < last && displayName[first] == QLatin1Char(' '))
        ++first;
    while (last > first && displayName[last - 1] == QLatin1Char(' '))
        --last;
    QString out = displayName.mid(first, last - first);
    for (QChar& c : out) {
        for (const Substitution& s : kSubstitutions) {
            if (c.unicode() == s.character) {
                c = QChar(kPrivateBase + s.byte);
                break;
            }
        }
    }
    return out;
}

QString FromTableName(const QString& tableName) {
    QString out = tableName;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < kPrivateBase + 0xE0 || u > kPrivateBase + 0xFF) continue;
        for (const Substitution& s : kSubstitutions) {
            if (u == kPrivateBase + s.byte) {
                c = QChar(s.character);
                break;
            }
        }
    }
    return out;
}

SaveAsName CheckSaveAsName(const QString& displayName, const QStringList& prohibited,
                           const QStringList& saved, const QStringList& schemaObjects) {
    SaveAsName result;
    result.tableName = ToTableName(displayName);
    const QString& t = result.tableName;
    if (t.isEmpty()) {
        result.check = NameCheck::Empty;
    } else if (t.size() > kMaxInventoryNameLength) {
        result.check = NameCheck::TooLong;
    } else if (listed(prohibited, t) || listed(store::UserDatabaseTableNames(), t) ||
               sameName(t, kSessionMarker)) {
        result.check = NameCheck::Reserved;
    } else if (unusable(displayName, t)) {
        result.check = NameCheck::Unusable;
    } else {
        result.check = NameCheck::New;
        for (const QString& s : saved) {
            if (sameName(s, t)) {
                result.check = NameCheck::Exists;
                result.tableName = s;
                return result;
            }
        }
        // A table or index that is no saved inventory would make the copy fail after the fact.
        if (listed(schemaObjects, t)) result.check = NameCheck::Unusable;
    }
    return result;
}

QString NameRefusalMessage(NameCheck check) {
    switch (check) {
    case NameCheck::TooLong:
        return QStringLiteral("An inventory name can be at most %1 characters long. "
                              "Please type in a shorter name.")
            .arg(kMaxInventoryNameLength);
    case NameCheck::Reserved:
        return QStringLiteral("This name is reserved by the application.");
    case NameCheck::Unusable:
        return QStringLiteral("This name cannot be used for an inventory. "
                              "Please type in another name.");
    default:
        return {};
    }
}

} // namespace inventories
