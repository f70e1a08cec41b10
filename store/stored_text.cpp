#include "store/stored_text.h"

namespace store {

QString ToStoredText(const QString& display) {
    QString out = display;
    for (QChar& c : out) {
        if (c == QLatin1Char('\''))
            c = kStoredApostrophe;
        else if (c == QLatin1Char(':'))
            c = kStoredColon;
    }
    return out;
}

QString FromStoredText(const QString& stored) {
    QString out = stored;
    for (QChar& c : out) {
        if (c == kStoredApostrophe)
            c = QLatin1Char('\'');
        else if (c == kStoredColon)
            c = QLatin1Char(':');
    }
    return out;
}

qsizetype ReservedCharacterAt(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].unicode() >= 0xF000 && text[i].unicode() <= 0xF0FF) return i;
    return -1;
}

static bool needsQuotes(const QString& line) {
    for (QChar c : line)
        if (c.unicode() <= 32 || c == QLatin1Char('~') || c == QLatin1Char('`')) return true;
    return false;
}

QString QuoteNotesValue(const QString& value) {
    if (!needsQuotes(value)) return value;
    QString inner = value;
    inner.replace(QLatin1Char('~'), QStringLiteral("~~"));
    return QLatin1Char('~') + inner + QLatin1Char('~');
}

QString NotesToText(const QStringList& lines) {
    if (lines.isEmpty()) return {};
    QStringList parts;
    parts.reserve(lines.size());
    for (const QString& line : lines)
        parts << (line.isEmpty() && lines.size() == 1 ? QStringLiteral("~~")
                                                      : QuoteNotesValue(line));
    return parts.join(QLatin1Char('`'));
}

QStringList NotesFromText(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto isSpace = [&](qsizetype k) { return text[k].unicode() >= 1 && text[k].unicode() <= 32; };
    if (n == 0) return lines;
    while (true) {
        const qsizetype start = i;
        while (i < n && isSpace(i))
            ++i;
        QString value;
        if (i < n && text[i] == QLatin1Char('~')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('~')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('~')) {
                        value += QLatin1Char('~');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
        } else {
            while (i < n && text[i].unicode() > 32 && text[i] != QLatin1Char('`'))
                value += text[i++];
        }
        lines << value;
        while (i < n && isSpace(i))
            ++i;
        if (i >= n) break;
        if (text[i] == QLatin1Char('`')) {
            ++i;
            if (i >= n) {
                lines << QString(); // a trailing separator adds one empty line
                break;
            }
        }
        // Anything else right after a value starts a new line; a NUL (no value can hold it) is
        // stepped over so the scan always advances.
        if (i == start) ++i;
        if (i >= n) break;
    }
    return lines;
}

} // namespace store
