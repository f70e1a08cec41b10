#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace entries {

// The line a tab with brand fields writes in front of an entry's notes:
// "Brand: B  <label>: S  Purchase Date: D", quoted as one notes value.
struct BrandLine {
    QString brand;
    QString serialLabel = QStringLiteral("Serial Number"); // or "Pattern"
    QString serial;
    QString purchaseDate;
};

// An entry's notes (display form) taken apart: the brand line when the notes begin with one,
// and the lines that follow it.
struct NotesParts {
    std::optional<BrandLine> brandLine;
    QStringList lines;
};

NotesParts SplitNotes(const QString& notes);
// The notes text as the tabs compose it: the brand line, a grave accent, the lines in notes
// format. The inverse of SplitNotes.
QString ComposeNotes(const std::optional<BrandLine>& brandLine, const QStringList& lines);

} // namespace entries
