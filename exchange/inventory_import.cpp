#include "exchange/csv.h"
#include "exchange/inventory_exchange.h"
#include "exchange/zip_archive.h"

#include "entries/brand_line.h"
#include "entries/catalogue_lookup.h"
#include "entries/entry_store.h"
#include "entries/number_parsing.h"
#include "entries/tab_table.h"
#include "store/stored_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <cmath>
#include <memory>

namespace exchange {

namespace {

const QChar kComma = QLatin1Char(',');
const QChar kTab = QLatin1Char('\t');

// The text of the file to import: the file itself, or the one CSV file of an archive.
struct Source {
    QString text;
    QChar delimiter = kComma;
    std::unique_ptr<ZipReader> zip;
};

QChar DelimiterFor(const QString& name) {
    return name.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive) ? kTab : kComma;
}

QString Decode(const QByteArray& bytes, const QString& file) {
    if (bytes.contains('\0'))
        throw ExchangeError(QStringLiteral("%1 is not a CSV or ZIP file.").arg(file));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        throw ExchangeError(
            QStringLiteral("%1 is not a CSV file in UTF-8: save it from the spreadsheet as "
                           "\"CSV UTF-8\" and import it again.")
                .arg(file));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

Source OpenSource(const QString& path) {
    QFile file(path);
    if (!file.exists()) throw ExchangeError(QStringLiteral("%1 does not exist.").arg(path));
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw ExchangeError(
            QStringLiteral("%1 cannot be read (%2).").arg(path, file.errorString()));
    Source s;
    const QByteArray head = file.peek(4);
    QByteArray bytes;
    QString csvName = path;
    if (head == QByteArray("PK\x03\x04", 4) || head == QByteArray("PK\x05\x06", 4)) {
        file.close();
        try {
            s.zip = std::make_unique<ZipReader>(path);
            QStringList tables;
            for (const QString& name : s.zip->names())
                // Archives made on a Mac carry "__MACOSX/._NAME" companions of every file.
                if (!name.startsWith(kPhotographFolder) &&
                    !name.startsWith(QStringLiteral("__MACOSX/")) &&
                    !name.section(QLatin1Char('/'), -1).startsWith(QStringLiteral("._")) &&
                    (name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
                     name.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive)))
                    tables << name;
            if (tables.isEmpty())
                throw ExchangeError(QStringLiteral("%1 holds no CSV file.").arg(path));
            if (tables.size() > 1)
                throw ExchangeError(
                    QStringLiteral("%1 holds more than one CSV file (%2); it can import one.")
                        .arg(path, tables.join(QStringLiteral(", "))));
            csvName = tables.front();
            bytes = s.zip->read(csvName, kMaxTextBytes);
        } catch (const ZipError& e) {
            throw ExchangeError(QString::fromUtf8(e.what()));
        }
    } else {
        if (file.size() > kMaxTextBytes)
            throw ExchangeError(QStringLiteral("%1 is too large to import.").arg(path));
        bytes = file.readAll();
        if (bytes.size() != file.size())
            throw ExchangeError(
                QStringLiteral("%1 cannot be read (%2).").arg(path, file.errorString()));
    }
    s.text = Decode(bytes, path);
    s.delimiter = DelimiterFor(csvName);
    // A table of tabs that someone named .csv.
    const QStringView first = QStringView(s.text).left(s.text.indexOf(QLatin1Char('\n')));
    if (s.delimiter == kComma && first.contains(kTab) && !first.contains(kComma))
        s.delimiter = kTab;
    return s;
}

// The columns of the file by name, letter case ignored; the first of two of a name counts.
struct Columns {
    Layout layout = Layout::Quivera;
    QHash<QString, int> at;
    std::vector<std::pair<QString, int>> customFields; // HomeBox's own fields, by name
    QStringList ignored;

    int operator[](const char* name) const {
        return at.value(QString::fromLatin1(name).toLower(), -1);
    }
};

Columns ReadHeader(const QStringList& header) {
    Columns c;
    for (const QString& name : header)
        if (name.trimmed().startsWith(QStringLiteral("HB."), Qt::CaseInsensitive))
            c.layout = Layout::HomeBox;
    const QStringList& known = c.layout == Layout::HomeBox ? HomeBoxColumns() : QuiveraColumns();
    QSet<QString> seen;
    for (int i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed();
        const QString key = name.toLower();
        const bool first = !seen.contains(key);
        seen.insert(key);
        const QString custom = QStringLiteral("hb.field.");
        if (c.layout == Layout::HomeBox && key.startsWith(custom) && key.size() > custom.size()) {
            if (first) c.customFields.emplace_back(name.mid(custom.size()), i);
        } else if (first && known.contains(name, Qt::CaseInsensitive)) {
            c.at.insert(key, i);
        } else if (first && !name.isEmpty()) {
            c.ignored << name;
        }
    }
    return c;
}

QStringList Lines(const QString& cell) {
    if (cell.isEmpty()) return {};
    QString text = cell;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// One row as it will be stored, before the catalogue is asked.
struct Candidate {
    int line = 0;
    int record = 0;
    int page = -1;
    QString category;
    QString item;
    quint32 count = 1;
    double cost = 0;
    QString brand, serial, purchaseDate;
    QStringList lines;
    QString photo;  // the path stored, for a CSV file
    QString member; // the photograph inside an archive
};

class RowReader {
  public:
    RowReader(const CsvRecord& record, QStringList& problems)
        : record_(record), problems_(problems) {}

    QString cell(int column) const {
        return column >= 0 && column < record_.fields.size() ? record_.fields[column] : QString();
    }

    // A one-line text of at most `max` characters that the database can hold.
    QString text(int column, const QString& caption, int max = kMaxNameLength) {
        const QString value = cell(column);
        check(value, caption, max, false);
        return value;
    }

    void check(const QString& value, const QString& caption, int max, bool lines) {
        if (value.size() > max) {
            problems_ << QStringLiteral("the %1 is longer than %2 characters")
                             .arg(caption, QLocale(QLocale::English).toString(max));
            return;
        }
        const qsizetype reserved = store::ReservedCharacterAt(value);
        if (reserved >= 0) {
            problems_ << QStringLiteral("the %1 holds the character U+%2, which Quivera cannot "
                                        "store")
                             .arg(caption,
                                  QString::number(value[reserved].unicode(), 16).toUpper());
            return;
        }
        if (lines) return;
        for (QChar c : value)
            if (c.unicode() < 32 && c != kTab) {
                problems_
                    << (c == QLatin1Char('\n') || c == QLatin1Char('\r')
                            ? QStringLiteral("the %1 holds a line break").arg(caption)
                            : QStringLiteral("the %1 holds a control character").arg(caption));
                return;
            }
    }

    quint32 count(int column, const QString& caption) {
        const QString t = cell(column).trimmed();
        quint32 value = 1;
        if (!t.isEmpty() && (!entries::ParseCardinal(t, value) || value > entries::kMaxCount)) {
            problems_ << QStringLiteral("the %1 \"%2\" is not a whole number from 0 to 99,999")
                             .arg(caption, shortened(t));
            return 1;
        }
        return value;
    }

    double cost(int column, const QString& caption, quint32 count) {
        QString t = cell(column).trimmed();
        if (t.startsWith(QLatin1Char('$'))) t = t.mid(1);
        double value = 0;
        if (!t.isEmpty() && !entries::ParseReal(t, value)) {
            problems_ << QStringLiteral("the %1 \"%2\" is not a number")
                             .arg(caption, shortened(cell(column).trimmed()));
            return 0;
        }
        if (!(std::fabs(value) < entries::kMaxTotal) ||
            !(std::fabs(value * count) < entries::kMaxTotal))
            problems_ << QStringLiteral("the total value must be less than $1,000,000");
        return value;
    }

    bool hasMoreFieldsThan(int columns) const {
        for (qsizetype k = columns; k < record_.fields.size(); ++k)
            if (!record_.fields[k].trimmed().isEmpty()) return true;
        return false;
    }

    static QString shortened(const QString& t) {
        return t.size() > 20 ? t.left(17) + QStringLiteral("...") : t;
    }

  private:
    const CsvRecord& record_;
    QStringList& problems_;
};

Candidate QuiveraCandidate(RowReader& row, const Columns& c) {
    Candidate e;
    e.page = AreaPage(row.cell(c["area"]));
    e.category = row.text(c["category"], QStringLiteral("Category"));
    e.item = row.text(c["item"], QStringLiteral("Item"));
    e.count = row.count(c["count"], QStringLiteral("Count"));
    e.cost = row.cost(c["cost each"], QStringLiteral("Cost Each"), e.count);
    e.brand = row.text(c["brand"], QStringLiteral("Brand"));
    e.serial = row.text(c["serial number"], QStringLiteral("Serial Number"));
    e.purchaseDate = row.text(c["purchase date"], QStringLiteral("Purchase Date"));
    const QString notes = row.cell(c["notes"]);
    row.check(notes, QStringLiteral("Notes"), kMaxNotesLength, true);
    e.lines = Lines(notes);
    e.photo = row.cell(c["photograph"]);
    return e;
}

Candidate HomeBoxCandidate(RowReader& row, const Columns& c) {
    Candidate e;
    const QString location = row.cell(c["hb.location"]).trimmed();
    e.page = AreaPage(location.section(QStringLiteral(" / "), 0, 0));
    QStringList labels;
    for (const QString& l : row.cell(c["hb.labels"]).split(QLatin1Char(';')))
        if (!l.trimmed().isEmpty()) labels << l.trimmed();
    e.category = labels.isEmpty() ? QString() : labels.takeFirst();
    row.check(e.category, QStringLiteral("first label"), kMaxNameLength, false);
    e.item = row.text(c["hb.name"], QStringLiteral("name"));
    e.count = row.count(c["hb.quantity"], QStringLiteral("quantity"));
    e.cost = row.cost(c["hb.purchase_price"], QStringLiteral("purchase price"), e.count);
    e.brand = row.text(c["hb.manufacturer"], QStringLiteral("manufacturer"));
    e.serial = row.text(c["hb.serial_number"], QStringLiteral("serial number"));
    e.purchaseDate = row.text(c["hb.purchase_time"], QStringLiteral("purchase time"));
    // A time after the date ("2021-03-04T00:00:00Z") adds nothing a household keeps.
    static const QRegularExpression dateThenTime(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})T"));
    const QRegularExpressionMatch m = dateThenTime.match(e.purchaseDate);
    if (m.hasMatch()) e.purchaseDate = m.captured(1);
    e.lines = Lines(row.cell(c["hb.description"]));
    const QString model = row.text(c["hb.model_number"], QStringLiteral("model number"));
    if (!model.trimmed().isEmpty()) e.lines << QStringLiteral("Model Number: ") + model;
    e.lines << Lines(row.cell(c["hb.notes"]));
    for (const auto& [name, column] : c.customFields) {
        const QStringList value = Lines(row.cell(column));
        if (value.isEmpty() || value.join(QString()).trimmed().isEmpty()) continue;
        e.lines << name + QStringLiteral(": ") + value.front();
        e.lines << value.mid(1);
    }
    // What the area and category cannot hold stays with the notes.
    if (!labels.isEmpty())
        e.lines << QStringLiteral("Labels: ") + labels.join(QStringLiteral("; "));
    if (!location.isEmpty() && AreaPage(location) < 0)
        e.lines << QStringLiteral("Location: ") + location;
    row.check(e.lines.join(QLatin1Char('\n')), QStringLiteral("notes"), kMaxNotesLength, true);
    return e;
}

// The photograph of an archive's row: a file of its photographs folder, named without folders.
void CheckMember(Candidate& e, const ZipReader& zip, QStringList& problems) {
    const QString value = e.photo.trimmed();
    e.photo.clear();
    if (value.isEmpty()) return;
    const QString name =
        value.startsWith(kPhotographFolder) ? value.mid(kPhotographFolder.size()) : value;
    bool plain = !name.isEmpty() && name.size() <= kMaxNameLength &&
                 !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
                 !name.contains(QStringLiteral("..")) && store::ReservedCharacterAt(name) < 0;
    for (QChar c : name)
        plain = plain && c.unicode() >= 32;
    const QString shown = RowReader::shortened(value);
    if (!plain) {
        problems << QStringLiteral("the Photograph \"%1\" is not a file name inside %2")
                        .arg(shown, kPhotographFolder);
        return;
    }
    const QString member = kPhotographFolder + name;
    if (!zip.contains(member)) {
        problems << QStringLiteral("the Photograph \"%1\" is not in the archive").arg(shown);
        return;
    }
    try {
        if (!zip.head(member, 3).startsWith(QByteArray("\xff\xd8\xff", 3)))
            problems << QStringLiteral("the Photograph \"%1\" is not a JPEG file").arg(shown);
    } catch (const ZipError& err) {
        problems << QString::fromUtf8(err.what());
    }
    e.member = member;
}

// A photograph of a CSV file is stored as named; a name relative to the file (an archive unpacked
// by hand, say) becomes the full path of the photograph beside it.
QString PhotographBeside(const QString& csvFile, const QString& photo) {
    if (photo.trimmed().isEmpty() || !QDir::isRelativePath(photo)) return photo;
    const QString beside = QFileInfo(csvFile).absoluteDir().absoluteFilePath(photo);
    return QFileInfo(beside).isFile() ? QDir::cleanPath(beside) : photo;
}

// Copies the archive's photographs into the pictures folder under names not taken there yet (the
// same photograph already there is used as it is); records each file it makes.
class PhotographCopier {
  public:
    PhotographCopier(const ZipReader& zip, const QString& folder, QStringList& made)
        : zip_(zip), folder_(folder), made_(made) {}

    QString place(const QString& member) {
        const auto done = placed_.constFind(member);
        if (done != placed_.constEnd()) return *done;
        QByteArray data;
        try {
            data = zip_.read(member, kMaxPhotographBytes);
        } catch (const ZipError& e) {
            throw ExchangeError(QString::fromUtf8(e.what()));
        }
        if (!ready_) {
            if (!QDir().mkpath(folder_))
                throw ExchangeError(QStringLiteral("The folder %1 cannot be made.").arg(folder_));
            for (const QString& f : QDir(folder_).entryList(QDir::Files | QDir::Hidden))
                taken_.insert(f.toLower());
            ready_ = true;
        }
        const QString name = member.mid(kPhotographFolder.size());
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString stem = dot > 0 ? name.left(dot) : name;
        const QString extension = dot > 0 ? name.mid(dot) : QString();
        for (int n = 1;; ++n) {
            const QString candidate =
                n == 1 ? name : stem + QStringLiteral("_%1").arg(n) + extension;
            const QString path = folder_ + candidate;
            if (QFileInfo::exists(path)) {
                if (sameBytes(path, data)) return placed_[member] = path;
                continue;
            }
            // Names that differ in letter case only would clash on a backup.
            if (taken_.contains(candidate.toLower())) continue;
            QSaveFile out(path);
            if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit())
                throw ExchangeError(
                    QStringLiteral("%1 could not be written (%2).").arg(path, out.errorString()));
            made_ << path;
            taken_.insert(candidate.toLower());
            return placed_[member] = path;
        }
    }

  private:
    static bool sameBytes(const QString& path, const QByteArray& data) {
        QFile f(path);
        return f.size() == data.size() && f.open(QIODevice::ReadOnly) && f.readAll() == data;
    }

    const ZipReader& zip_;
    QString folder_;
    QStringList& made_;
    bool ready_ = false;
    QSet<QString> taken_;
    QHash<QString, QString> placed_;
};

} // namespace

ImportReport ImportFile(const QString& path, const ImportTarget& target) {
    Source source = OpenSource(path);
    std::vector<CsvRecord> records;
    try {
        try {
            records = ParseCsv(source.text, source.delimiter);
        } catch (const CsvError&) {
            // Tab-separated files are often written without quoting: a field that merely starts
            // with a quote ("Best" TV) is then text as it stands.
            if (source.delimiter != kTab) throw;
            records = ParseCsv(source.text, source.delimiter, false);
        }
    } catch (const CsvError& e) {
        throw ExchangeError(QStringLiteral("%1 cannot be read: line %2: %3.")
                                .arg(path)
                                .arg(e.line())
                                .arg(e.text()));
    }
    if (records.empty()) throw ExchangeError(QStringLiteral("%1 is empty.").arg(path));
    const Columns columns = ReadHeader(records.front().fields);
    const char* itemColumn = columns.layout == Layout::HomeBox ? "hb.name" : "item";
    if (columns[itemColumn] < 0)
        throw ExchangeError(QStringLiteral("%1 is not an inventory file: it has no %2 column.")
                                .arg(path, columns.layout == Layout::HomeBox
                                               ? QStringLiteral("HB.name")
                                               : QStringLiteral("Item")));
    const int width = int(records.front().fields.size());

    std::vector<Candidate> rows;
    std::vector<RowProblem> problems;
    int number = target.entries.nextNumber();
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        bool blank = true;
        for (const QString& f : record.fields)
            blank = blank && f.trimmed().isEmpty();
        if (blank) continue;
        QStringList rowProblems;
        RowReader row(record, rowProblems);
        Candidate e = columns.layout == Layout::HomeBox ? HomeBoxCandidate(row, columns)
                                                        : QuiveraCandidate(row, columns);
        e.line = record.line;
        e.record = int(r);
        if (e.item.trimmed().isEmpty())
            rowProblems.prepend(columns.layout == Layout::HomeBox
                                    ? QStringLiteral("the name is empty")
                                    : QStringLiteral("the Item is empty"));
        if (row.hasMoreFieldsThan(width))
            rowProblems << QStringLiteral("the row has more fields than the first line");
        if (source.zip)
            CheckMember(e, *source.zip, rowProblems);
        else
            row.check(e.photo = PhotographBeside(path, e.photo), QStringLiteral("Photograph"),
                      kMaxPathLength, false);
        if (number++ > entries::kLastEntryNumber)
            rowProblems << QStringLiteral("the inventory would hold more than 99,999 entries");
        if (!rowProblems.isEmpty())
            problems.push_back({record.line, int(r), rowProblems.join(QStringLiteral("; "))});
        else
            rows.push_back(std::move(e));
    }
    if (!problems.empty()) throw ImportRefused(path, std::move(problems));
    if (rows.empty()) throw ExchangeError(QStringLiteral("%1 holds no entries.").arg(path));

    // The catalogue's numbers for the category and item; names it does not know are kept as
    // their own text, as items typed into a tab's Other box are.
    const auto& table = entries::TabTable();
    QHash<QString, entries::CategoryRow> categories;
    QHash<QString, int> items;
    std::vector<entries::NewEntry> added;
    added.reserve(rows.size());
    std::vector<RowProblem> tooLong;
    for (const Candidate& e : rows) {
        const entries::TabInfo& tab =
            table[e.page >= 0 ? e.page : entries::PageOfKey(QStringLiteral("Misc"))];
        const QString key = tab.keyText();
        const QString categoryKey = key + QChar(0) + e.category;
        auto found = categories.constFind(categoryKey);
        if (found == categories.constEnd())
            found = categories.insert(categoryKey,
                                      entries::FindCategory(target.catalogue, key, e.category));
        const entries::CategoryRow category = *found;
        int itemNumber = -1;
        if (category.number > 0) {
            const QString itemKey = categoryKey + QChar(0) + e.item;
            auto item = items.constFind(itemKey);
            if (item == items.constEnd())
                item = items.insert(
                    itemKey, entries::FindItem(target.catalogue, key, e.item, category.number));
            if (*item > 0) itemNumber = *item;
        }
        std::optional<entries::BrandLine> brand;
        const bool brandFields = category.editUse == 1 || category.editUse == 2;
        if (brandFields || !e.brand.isEmpty() || !e.serial.isEmpty() || !e.purchaseDate.isEmpty())
            brand = entries::BrandLine{e.brand,
                                       category.editUse == 2 ? QStringLiteral("Pattern")
                                                             : QStringLiteral("Serial Number"),
                                       e.serial, e.purchaseDate};
        entries::NewEntry n;
        n.subInventory = tab.subInventoryText();
        n.subInventoryNumber = tab.number;
        n.category = e.category;
        n.categoryNumber = category.number;
        n.item = e.item;
        n.itemNumber = itemNumber;
        n.count = e.count;
        n.cost = e.cost;
        n.notes = entries::ComposeNotes(brand, e.lines);
        if (n.notes.size() > kMaxNotesLength)
            tooLong.push_back({e.line, e.record,
                               QStringLiteral("the notes are longer than %1 characters")
                                   .arg(QLocale(QLocale::English).toString(kMaxNotesLength))});
        n.photo = e.photo;
        added.push_back(std::move(n));
    }
    if (!tooLong.empty()) throw ImportRefused(path, std::move(tooLong));

    ImportReport report;
    report.layout = columns.layout;
    report.ignoredColumns = columns.ignored;
    QStringList made;
    try {
        if (source.zip) {
            PhotographCopier copier(*source.zip, target.picturesFolder, made);
            for (size_t k = 0; k < rows.size(); ++k)
                if (!rows[k].member.isEmpty()) added[k].photo = copier.place(rows[k].member);
        }
        target.entries.addAll(added, target.alsoInTransaction);
    } catch (...) {
        for (const QString& f : made)
            QFile::remove(f);
        throw;
    }
    report.entries = int(added.size());
    report.photographs = int(made.size());
    return report;
}

} // namespace exchange
