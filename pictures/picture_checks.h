#pragma once

#include <QString>

namespace pictures {

// Results as the picture list reports them.
enum PhotoCheck {
    PhotoAccepted = 0,
    PhotoCannotOpen = 1,
    PhotoNotJpeg = 2,
    PhotoUndecodable = 3, // named and opened like a photograph, but no JPEG picture can be read
};

// True when the name ends in ".jpg" or ".jpeg", letters in any case.
bool HasJpegName(const QString& path);

// The checks a photograph passes before it is listed: empty (accepted, nothing to list), the
// name, then that the file opens for reading.
PhotoCheck CheckPhotograph(const QString& path);

// The message for a refused photograph; empty for an accepted one.
QString PhotoCheckMessage(PhotoCheck result);

// Checks the photograph, that it decodes too, and shows the message of a refusal ("Error").
PhotoCheck AcceptPhotograph(const QString& path);

} // namespace pictures
