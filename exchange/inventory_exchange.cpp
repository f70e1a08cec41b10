#include "exchange/inventory_exchange.h"

#include "entries/tab_table.h"

namespace exchange {

const QStringList& QuiveraColumns() {
    static const QStringList columns{QStringLiteral("ID"),
                                     QStringLiteral("Area"),
                                     QStringLiteral("Category"),
                                     QStringLiteral("Item"),
                                     QStringLiteral("Count"),
                                     QStringLiteral("Cost Each"),
                                     QStringLiteral("Total Value"),
                                     QStringLiteral("Brand"),
                                     QStringLiteral("Serial Number"),
                                     QStringLiteral("Purchase Date"),
                                     QStringLiteral("Notes"),
                                     QStringLiteral("Photograph")};
    return columns;
}

const QStringList& HomeBoxColumns() {
    static const QStringList columns{
        QStringLiteral("HB.location"),       QStringLiteral("HB.labels"),
        QStringLiteral("HB.name"),           QStringLiteral("HB.quantity"),
        QStringLiteral("HB.description"),    QStringLiteral("HB.manufacturer"),
        QStringLiteral("HB.model_number"),   QStringLiteral("HB.serial_number"),
        QStringLiteral("HB.purchase_price"), QStringLiteral("HB.purchase_time"),
        QStringLiteral("HB.notes")};
    return columns;
}

QString Counted(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

int AreaPage(const QString& area) {
    const QString a = area.trimmed();
    if (a.isEmpty()) return -1;
    const auto same = [&](const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    const auto& table = entries::TabTable();
    for (int i = 0; i < entries::kTabCount; ++i) {
        const QString caption = table[i].captionText();
        if (same(caption) || same(caption.section(QLatin1Char('/'), 0, 0)) ||
            same(table[i].subInventoryText()) || same(table[i].keyText()))
            return i;
    }
    return -1;
}

ImportRefused::ImportRefused(const QString& file, std::vector<RowProblem> problems)
    : ExchangeError(QStringLiteral("%1 was not imported: %2 rows have errors.")
                        .arg(file)
                        .arg(problems.size())),
      file_(file), problems_(std::move(problems)) {}

QString ImportRefused::message(int maxLines) const {
    QStringList lines;
    int shown = 0;
    int left = 0;
    for (size_t k = 0; k < problems_.size();) {
        size_t last = k;
        // Rows next to each other with the same problem share a line.
        while (last + 1 < problems_.size() && problems_[last + 1].text == problems_[k].text &&
               problems_[last + 1].record == problems_[last].record + 1)
            ++last;
        const RowProblem& first = problems_[k];
        const QString where = last == k ? QStringLiteral("Line %1").arg(first.line)
                                        : QStringLiteral("Lines %1-%2 (%3 rows)")
                                              .arg(first.line)
                                              .arg(problems_[last].line)
                                              .arg(last - k + 1);
        if (shown < maxLines) {
            lines << where + QStringLiteral(": ") + first.text;
            ++shown;
        } else {
            left += int(last - k + 1);
        }
        k = last + 1;
    }
    QString text = QStringLiteral("%1 was not imported; nothing was changed.\n").arg(file_) +
                   QStringLiteral("Please correct these rows and import the file again:\n") +
                   lines.join(QLatin1Char('\n'));
    if (left) text += QStringLiteral("\n... and %1 more rows with errors.").arg(left);
    return text;
}

} // namespace exchange
