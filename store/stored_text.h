#pragma once

#include <QString>
#include <QStringList>

namespace store {

// Apostrophe and colon never reach SQL text as such: they are stored as private-use characters
// (U+F000 + the code-page byte that stood for them), which no user text contains.
inline constexpr QChar kStoredApostrophe = QChar(0xF0D9);
inline constexpr QChar kStoredColon = QChar(0xF0C6);

QString ToStoredText(const QString& display);
QString FromStoredText(const QString& stored);

// The stored form keeps U+F000..U+F0FF for characters of its own: typed text holding one of them
// would not come back as typed. The position of the first such character, or -1.
qsizetype ReservedCharacterAt(const QString& text);

// Notes: lines joined by a grave accent; a line holding a blank, a control character, a tilde or a
// grave accent is enclosed in tildes with inner tildes doubled.
QString NotesToText(const QStringList& lines);
QStringList NotesFromText(const QString& text);
// One value of the notes format (quoted when it has to be), as the brand line is written.
QString QuoteNotesValue(const QString& value);

} // namespace store
