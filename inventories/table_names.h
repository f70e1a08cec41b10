#pragma once

#include <QString>
#include <QStringList>

namespace inventories {

// The value of Master_Table that marks a running session; never a saved inventory.
inline const QString kSessionMarker = QStringLiteral("Inventory");

// A display name becomes a table name by losing its outer blanks and having each of 32
// punctuation characters replaced by a private-use character (U+F000 + its old code-page byte),
// so every real letter, accented ones included, survives the round trip.
QString ToTableName(const QString& displayName);
QString FromTableName(const QString& tableName);

// The longest inventory name, in characters without the outer blanks: the name stands in the
// File menu, the window caption and the Inventory tab's title.
inline constexpr int kMaxInventoryNameLength = 64;

// Outcome of the checks on a name typed into Save As, in the order they are made.
enum class NameCheck {
    Empty,    // nothing but blanks
    TooLong,  // longer than kMaxInventoryNameLength
    Reserved, // listed in Prohibited or one of the database's own tables
    Unusable, // the database cannot hold a table of this name
    Exists,   // a saved inventory of this name exists: ask before replacing it
    New,
};

struct SaveAsName {
    NameCheck check = NameCheck::Empty;
    // The table to save into. On Exists it is the saved inventory's own spelling, which may
    // differ in letter case from what was typed: the database takes both as the same table.
    QString tableName;
};

// Names compare without regard to letter case, as the database compares table names.
// `prohibited` and `saved` hold table names (Prohibited and Master_Table without the marker);
// `schemaObjects` every table and index name the database file holds.
SaveAsName CheckSaveAsName(const QString& displayName, const QStringList& prohibited,
                           const QStringList& saved, const QStringList& schemaObjects);

// The message for a TooLong, Reserved or Unusable refusal; empty for the other outcomes.
QString NameRefusalMessage(NameCheck check);

} // namespace inventories
