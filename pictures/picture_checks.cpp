#include "pictures/picture_checks.h"

#include "ui/modal.h"
#include "pictures/jpeg_decode.h"

#include <QFile>
#include <QFileInfo>

namespace pictures {

bool HasJpegName(const QString& path) {
    return path.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
}

PhotoCheck CheckPhotograph(const QString& path) {
    if (path.isEmpty()) return PhotoAccepted;
    if (!HasJpegName(path)) return PhotoNotJpeg;
    // A folder named like a photograph opens on some systems; it is no photograph either.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return PhotoCannotOpen;
    file.close();
    return PhotoAccepted;
}

QString PhotoCheckMessage(PhotoCheck result) {
    switch (result) {
    case PhotoNotJpeg:
        return QStringLiteral("The photograph file you have requested is invalid.\n"
                              "Only photographs of .jpg or .jpeg\n"
                              "format may be loaded.");
    case PhotoCannotOpen:
        return QStringLiteral("Quivera!\u2122 cannot find the photograph you requested.\n"
                              "Make sure you have included the file's directory path\n"
                              "and that the name is spelled correctly.");
    case PhotoUndecodable:
        return QStringLiteral("The photograph file you have requested cannot be read.\n"
                              "It may be damaged, or it may not be a JPEG photograph.");
    case PhotoAccepted:
        break;
    }
    return {};
}

PhotoCheck AcceptPhotograph(const QString& path) {
    PhotoCheck result = CheckPhotograph(path);
    if (result == PhotoAccepted && !path.isEmpty() && DecodeJpegThumbnail(path).image.isNull())
        result = PhotoUndecodable;
    if (result != PhotoAccepted)
        ui::Modal::message(PhotoCheckMessage(result), QStringLiteral("Error"));
    return result;
}

} // namespace pictures
