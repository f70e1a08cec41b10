#include "entries/brand_line.h"

#include "store/stored_text.h"

#include <QRegularExpression>

namespace entries {

namespace {

const QString kBrand = QStringLiteral("Brand: ");
const QString kPurchase = QStringLiteral("  Purchase Date: ");

// The value of a notes text that begins with a tilde, up to its single closing tilde (a doubled
// tilde stands for one). `end` is set past the closing tilde; nothing when there is none.
std::optional<QString> QuotedValue(const QString& text, qsizetype& end) {
    QString value;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('~')) {
            value += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('~')) {
            value += QLatin1Char('~');
            ++i;
            continue;
        }
        end = i + 1;
        return value;
    }
    return std::nullopt;
}

std::optional<BrandLine> ParseBrandLine(const QString& value) {
    if (!value.startsWith(kBrand)) return std::nullopt;
    const qsizetype purchase = value.lastIndexOf(kPurchase);
    if (purchase < kBrand.size()) return std::nullopt;
    const QString middle = value.mid(kBrand.size(), purchase - kBrand.size());
    // The label between brand and serial is the tab's caption of the serial box: one of the two
    // the tabs show, else (older entries) any words followed by a colon.
    qsizetype at = -1, after = -1;
    QString caption;
    for (const QString& known : {QStringLiteral("Serial Number"), QStringLiteral("Pattern")}) {
        const QString sep = QStringLiteral("  ") + known + QStringLiteral(": ");
        const qsizetype k = middle.indexOf(sep);
        if (k >= 0 && (at < 0 || k < at)) {
            at = k;
            after = k + sep.size();
            caption = known;
        }
    }
    if (at < 0) {
        static const QRegularExpression label(QStringLiteral("  ([A-Za-z][A-Za-z ]*): "));
        const QRegularExpressionMatch m = label.match(middle);
        if (!m.hasMatch()) return std::nullopt;
        at = m.capturedStart();
        after = m.capturedEnd();
        caption = m.captured(1);
    }
    BrandLine b;
    b.brand = middle.left(at);
    b.serialLabel = caption;
    b.serial = middle.mid(after);
    b.purchaseDate = value.mid(purchase + kPurchase.size());
    return b;
}

QString Doubled(QString text) {
    return text.replace(QLatin1Char('~'), QStringLiteral("~~"));
}

} // namespace

NotesParts SplitNotes(const QString& notes) {
    NotesParts parts;
    if (notes.startsWith(QLatin1Char('~') + kBrand)) {
        qsizetype end = 0;
        if (const auto value = QuotedValue(notes, end)) {
            if (auto b = ParseBrandLine(*value)) {
                parts.brandLine = std::move(b);
                // Older entries have the lines right after the closing tilde.
                if (end < notes.size() && notes[end] == QLatin1Char('`')) ++end;
                parts.lines = store::NotesFromText(notes.mid(end));
                return parts;
            }
        }
    }
    parts.lines = store::NotesFromText(notes);
    return parts;
}

QString ComposeNotes(const std::optional<BrandLine>& b, const QStringList& lines) {
    QString notes;
    if (b)
        notes = QStringLiteral("~") + kBrand + Doubled(b->brand) + QStringLiteral("  ") +
                b->serialLabel + QStringLiteral(": ") + Doubled(b->serial) + kPurchase +
                Doubled(b->purchaseDate) + QStringLiteral("~");
    const QString text = store::NotesToText(lines);
    if (!notes.isEmpty() && !text.isEmpty()) notes += QLatin1Char('`');
    return notes + text;
}

} // namespace entries
