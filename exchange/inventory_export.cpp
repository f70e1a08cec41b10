#include "exchange/csv.h"
#include "exchange/inventory_exchange.h"
#include "exchange/zip_archive.h"

#include "entries/brand_line.h"
#include "entries/tab_table.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace exchange {

namespace {

const QChar kComma = QLatin1Char(',');

// Money as a plain decimal with a point and at least two decimals: 12.50, 0.1234, -3.00.
QString MoneyText(store::Currency c) {
    QString text = c.toSqlText();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return text + QStringLiteral(".00");
    while (text.size() - point - 1 < 2)
        text += QLatin1Char('0');
    return text;
}

QString AreaText(const entries::EntryRecord& r) {
    const int page = entries::PageOfSubInventory(r.subInventoryNumber);
    return page >= 0 ? entries::TabTable()[page].captionText() : r.subInventory;
}

// The archive name of a photograph: its file name, made unique without regard to letter case.
class PhotographNames {
  public:
    // The name, and whether it is new (the photograph is not in the archive yet).
    std::pair<QString, bool> nameFor(const QString& path) {
        const auto known = byPath_.constFind(path);
        if (known != byPath_.constEnd()) return {*known, false};
        const qsizetype cut =
            std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
        QString name = path.mid(cut + 1);
        for (QChar& c : name)
            if (c.unicode() < 32) c = QLatin1Char('_');
        if (name.isEmpty() || name.contains(QStringLiteral(".."))) name = QStringLiteral("photo");
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString stem = dot > 0 ? name.left(dot) : name;
        const QString extension = dot > 0 ? name.mid(dot) : QString();
        QString unique = name;
        for (int n = 2; used_.contains(unique.toLower()); ++n)
            unique = stem + QStringLiteral("_%1").arg(n) + extension;
        used_.insert(unique.toLower());
        byPath_.insert(path, unique);
        return {unique, true};
    }

  private:
    QHash<QString, QString> byPath_;
    QSet<QString> used_;
};

QStringList QuiveraRow(const entries::EntryRecord& r, const QString& photograph) {
    const entries::NotesParts notes = entries::SplitNotes(r.notes);
    const entries::BrandLine brand = notes.brandLine.value_or(entries::BrandLine{});
    return {QString::number(r.id),
            AreaText(r),
            r.category,
            r.item,
            QString::number(r.count),
            MoneyText(r.cost),
            MoneyText(r.total),
            brand.brand,
            brand.serial,
            brand.purchaseDate,
            notes.lines.join(QLatin1Char('\n')),
            photograph};
}

QStringList HomeBoxRow(const entries::EntryRecord& r) {
    const entries::NotesParts notes = entries::SplitNotes(r.notes);
    const entries::BrandLine brand = notes.brandLine.value_or(entries::BrandLine{});
    QStringList lines = notes.lines;
    // HomeBox takes a purchase time as a date only; any other text stays with the notes.
    static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    QString date = brand.purchaseDate.trimmed();
    if (!date.isEmpty() && !isoDate.match(date).hasMatch()) {
        lines.prepend(QStringLiteral("Purchase Date: ") + brand.purchaseDate);
        date.clear();
    }
    return {AreaText(r),
            r.category,
            r.item,
            QString::number(r.count),
            QString(),
            brand.brand,
            QString(),
            brand.serial,
            MoneyText(r.cost),
            date,
            lines.join(QLatin1Char('\n'))};
}

void WriteFile(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw ExchangeError(
            QStringLiteral("%1 could not be written (%2).").arg(path, file.errorString()));
}

} // namespace

ExportReport ExportEntries(const std::vector<entries::EntryRecord>& rows, const QString& path,
                           Layout layout) {
    const bool archive = path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
    if (archive && layout == Layout::HomeBox)
        throw ExchangeError(
            QStringLiteral("%1: the HomeBox layout is written as a CSV file, not as a ZIP archive.")
                .arg(path));
    ExportReport report;
    QString text = CsvLine(layout == Layout::HomeBox ? HomeBoxColumns() : QuiveraColumns(), kComma);
    PhotographNames names;
    std::vector<std::pair<QString, QString>> photographs; // archive name, file
    for (const entries::EntryRecord& r : rows) {
        if (layout == Layout::HomeBox) {
            text += CsvLine(HomeBoxRow(r), kComma);
        } else if (!archive || r.photo.isEmpty()) {
            text += CsvLine(QuiveraRow(r, r.photo), kComma);
        } else {
            const QFileInfo file(r.photo);
            QString inArchive;
            if (file.isFile() && file.isReadable()) {
                const auto [name, fresh] = names.nameFor(r.photo);
                if (fresh) photographs.emplace_back(name, r.photo);
                inArchive = kPhotographFolder + name;
            } else {
                report.missingPhotographs << QStringLiteral("Entry %1: %2").arg(r.id).arg(r.photo);
            }
            text += CsvLine(QuiveraRow(r, inArchive), kComma);
        }
        ++report.entries;
    }
    report.photographs = int(photographs.size());
    const QByteArray csv = text.toUtf8();
    if (!archive) {
        WriteFile(path, csv);
        return report;
    }
    try {
        ZipWriter zip(path);
        QString csvName = QFileInfo(path).completeBaseName();
        if (csvName.isEmpty()) csvName = QStringLiteral("inventory");
        zip.addData(csvName + QStringLiteral(".csv"), csv);
        for (const auto& [name, file] : photographs)
            zip.addFile(kPhotographFolder + name, file);
        zip.close();
    } catch (const ZipError& e) {
        throw ExchangeError(QString::fromUtf8(e.what()));
    }
    return report;
}

} // namespace exchange
