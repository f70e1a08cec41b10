#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <stdexcept>
#include <vector>

namespace exchange {

// A file that cannot be read as a table at all; `line` is where reading stopped (1-based).
class CsvError : public std::runtime_error {
  public:
    CsvError(int line, const QString& text)
        : std::runtime_error(text.toStdString()), line_(line), text_(text) {}
    int line() const { return line_; }
    const QString& text() const { return text_; }

  private:
    int line_;
    QString text_;
};

// One record and the line of the file it starts on (a quoted field may hold line breaks, so a
// record can span several lines).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// Reads delimited text the way RFC 4180 describes it, and what spreadsheets write besides: CRLF,
// LF or CR line ends, a quoted field holding delimiters, doubled quotes and line breaks, a quote
// inside an unquoted field taken as it stands. An unclosed quote, or text after a closing quote,
// throws CsvError. A line end at the very end does not make an empty record.
// With `quotes` false a quote is a character like any other (tab-separated files of programs
// that write their fields as they are).
std::vector<CsvRecord> ParseCsv(QStringView text, QChar delimiter, bool quotes = true);

// One field as RFC 4180 writes it: quoted, with quotes doubled, when it holds the delimiter, a
// quote or a line break (or a blank at either end, which some readers drop).
QString CsvField(const QString& value, QChar delimiter);
// One record: the fields joined by the delimiter, ended by CRLF.
QString CsvLine(const QStringList& fields, QChar delimiter);

} // namespace exchange
