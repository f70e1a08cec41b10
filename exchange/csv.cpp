#include "exchange/csv.h"

namespace exchange {

std::vector<CsvRecord> ParseCsv(QStringView text, QChar delimiter, bool quotes) {
    std::vector<CsvRecord> records;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    const QChar quote = QLatin1Char('"');
    const auto isBreak = [&](qsizetype k) {
        return text[k] == QLatin1Char('\n') || text[k] == QLatin1Char('\r');
    };
    // Steps over one line end (CRLF counts once).
    const auto skipBreak = [&] {
        if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
        ++i;
        ++line;
    };
    while (i < n) {
        CsvRecord record;
        record.line = line;
        for (;;) {
            QString field;
            if (quotes && i < n && text[i] == quote) {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= n)
                        throw CsvError(opened, QStringLiteral("a quoted field is not closed"));
                    if (text[i] == quote) {
                        if (i + 1 < n && text[i + 1] == quote) {
                            field += quote;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (isBreak(i)) {
                        const qsizetype from = i;
                        skipBreak();
                        field += text.mid(from, i - from);
                        continue;
                    }
                    field += text[i++];
                }
                if (i < n && text[i] != delimiter && !isBreak(i))
                    throw CsvError(line,
                                   QStringLiteral("a quoted field is followed by other text"));
            } else {
                const qsizetype from = i;
                while (i < n && text[i] != delimiter && !isBreak(i))
                    ++i;
                field = text.mid(from, i - from).toString();
            }
            record.fields << field;
            if (i < n && text[i] == delimiter) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n) skipBreak();
        records.push_back(std::move(record));
    }
    return records;
}

QString CsvField(const QString& value, QChar delimiter) {
    bool quoted = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (QChar c : value)
        if (c == delimiter || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r')) {
            quoted = true;
            break;
        }
    if (!quoted) return value;
    QString out = value;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString CsvLine(const QStringList& fields, QChar delimiter) {
    QString line;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k) line += delimiter;
        line += CsvField(fields[k], delimiter);
    }
    return line + QStringLiteral("\r\n");
}

} // namespace exchange
