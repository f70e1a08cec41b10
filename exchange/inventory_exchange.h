#pragma once

#include "entries/entry_table.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <vector>

namespace store {
class Connection;
class Query;
} // namespace store
namespace entries {
class EntryStore;
}

// An inventory's entries written to, and read back from, a CSV file or a ZIP archive holding the
// CSV file and the photographs; also the CSV and TSV files of HomeBox.
namespace exchange {

// Limits of what is read: the CSV text (alone or inside an archive), one photograph, and the
// texts of one row.
inline constexpr qint64 kMaxTextBytes = 512LL * 1024 * 1024;
inline constexpr qint64 kMaxPhotographBytes = 64LL * 1024 * 1024;
inline constexpr int kMaxNameLength = 255; // category, item, brand, serial number, date
inline constexpr int kMaxPathLength = 4096;
inline constexpr int kMaxNotesLength = 100000;

// The folder of an archive that holds the photographs.
inline const QString kPhotographFolder = QStringLiteral("photographs/");

// A job that cannot be done; the text says why and names the file.
class ExchangeError : public std::runtime_error {
  public:
    explicit ExchangeError(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

// The rows of a file that cannot be imported, each by the line it starts on.
struct RowProblem {
    int line = 0;
    int record = 0; // index of the row in the file, so neighbouring rows can be told apart
    QString text;
};

class ImportRefused : public ExchangeError {
  public:
    ImportRefused(const QString& file, std::vector<RowProblem> problems);
    const std::vector<RowProblem>& problems() const { return problems_; }
    // The message: what happened, then one line per problem (neighbouring rows with the same
    // problem share a line), at most `maxLines` of them.
    QString message(int maxLines) const;

  private:
    QString file_;
    std::vector<RowProblem> problems_;
};

enum class Layout { Quivera, HomeBox };

// The columns of the program's own CSV file, in the order they are written.
const QStringList& QuiveraColumns();
const QStringList& HomeBoxColumns();

// "1 entry", "2 entries": a count and its noun for the messages.
QString Counted(int n, const char* one, const char* many);

// The tab (page index of the tab table) an area names: its caption, the part of the caption
// before a slash ("Kitchen" for Kitchen/Dining), its stored name or its key, letter case and
// outer blanks ignored; -1 for none.
int AreaPage(const QString& area);

struct ExportReport {
    int entries = 0;
    int photographs = 0;
    // "Entry N: path" for each photograph that could not be put into the archive.
    QStringList missingPhotographs;
};

// Writes the entries to `path`: a ZIP archive when the name ends in .zip, else a CSV file.
// The file is written beside its name and renamed into place, so it is whole or unchanged.
// HomeBox layout is written as a CSV file only.
ExportReport ExportEntries(const std::vector<entries::EntryRecord>& rows, const QString& path,
                           Layout layout);

// Where an import goes: the working inventory's entries, its connection (for the transaction),
// the catalogue for the look-ups and the folder the photographs of an archive are copied into.
struct ImportTarget {
    store::Connection& user;
    entries::EntryStore& entries;
    store::Query& catalogue;
    QString picturesFolder; // ends in '/'
    // Runs inside the import's transaction, after the entries are added.
    std::function<void()> alsoInTransaction;
};

struct ImportReport {
    Layout layout = Layout::Quivera;
    int entries = 0;
    int photographs = 0;        // copied into the pictures folder
    QStringList ignoredColumns; // as the file spells them, each once
};

// Appends the entries of a CSV, TSV or ZIP file to the working inventory under new numbers after
// the last. Every row is checked first: when any is wrong, ImportRefused lists them all and
// nothing is changed; a file that cannot be read as a table throws ExchangeError. The entries
// go in as one transaction; photographs copied for them are removed again when it fails.
ImportReport ImportFile(const QString& path, const ImportTarget& target);

} // namespace exchange
