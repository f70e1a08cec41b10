#pragma once

#include <QString>
#include <QtGlobal>

namespace entries {

// One grammar for every number the user types: leading blanks, an optional minus where the
// variant allows one, digits optionally grouped by commas (1-3 digits, then groups of exactly 3),
// for reals a fraction and an exponent, then only blanks. A refused text leaves `result` alone.
bool ParseWord(const QString& text, quint16& result);
bool ParseCardinal(const QString& text, quint32& result);
bool ParseInteger(const QString& text, qint32& result);
bool ParseInteger(const char* buffer, qint32& result);
bool ParseReal(const QString& text, double& result);
bool ParseReal(const char* buffer, double& result);

} // namespace entries
