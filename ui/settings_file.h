#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace app {

enum class Appearance { Standard, Watermarks };

enum class SettingsStop {
    NoFile,      // the file could not be opened: the start-up state stands
    EndOfFile,   // read to its end (or to a byte 0xFF)
    BadPosition, // a position number did not parse: later lines are not applied
};

// What reading QIV.ini found, in the order the lines apply: later lines override earlier ones.
struct SettingsRead {
    std::optional<qint32> left;
    std::optional<qint32> top;
    bool enableDevTools = false;
    std::optional<Appearance> appearance;
    SettingsStop stop = SettingsStop::NoFile;
    qsizetype stoppedAt = 0; // bytes consumed when reading stopped
};

// The position numbers are read with the program's integer grammar, which lives with the tabs.
using IntegerParser = bool (*)(const QString& text, qint32& result);

SettingsRead ParseSettingsText(const QByteArray& bytes, IntegerParser parseInteger);
SettingsRead ReadSettingsFile(const QString& path, IntegerParser parseInteger);

struct SettingsToWrite {
    qint32 left = 10;
    qint32 top = 10;
    bool hideDevTools = true; // the check mark of "Hide DevTools"
    Appearance appearance = Appearance::Watermarks;
};

QByteArray SettingsFileText(const SettingsToWrite& settings);
// Replaces the file as a whole; throws std::runtime_error with a text for the user.
void WriteSettingsFile(const QString& path, const SettingsToWrite& settings);

// Where a window with this frame goes so that it can be found: where it is while a strip of its
// top edge (its title bar) lies within the available area of a screen; otherwise, for instance
// after the monitor it was on has gone, moved into the available area of the nearest screen.
QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& availableAreas);

} // namespace app
