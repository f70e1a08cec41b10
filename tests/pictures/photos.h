#pragma once

#include "ui/app_state.h"
#include "store/stored_text.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

namespace photos {

// A JPEG photograph of one colour (left half) and white (right half), written for the test.
inline QString Make(const QString& path, int width, int height, QRgb colour = qRgb(200, 30, 30)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixel(x, y, qRgb(255, 255, 255));
    image.save(path, "JPG", 90);
    return path;
}

// The bytes of a JPEG with an EXIF block carrying `orientation` inserted after the start marker,
// and, as a camera writes it, a JPEG thumbnail in the second directory when one is given.
inline QByteArray WithExif(const QByteArray& jpeg, int orientation, const QByteArray& thumbnail) {
    const auto be32 = [](quint32 v) {
        QByteArray b;
        for (int shift = 24; shift >= 0; shift -= 8)
            b += char((v >> shift) & 0xff);
        return b;
    };
    QByteArray exif("Exif\0\0", 6);
    exif += QByteArray("MM\0\x2a\0\0\0\x08", 8); // big-endian TIFF, first directory at 8
    exif += QByteArray("\0\x01", 2);             // one entry
    exif += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);
    exif += char(0);
    exif += char(orientation);
    exif += QByteArray(2, '\0');
    if (thumbnail.isEmpty()) {
        exif += be32(0); // no next directory
    } else {
        // The second directory follows at 26 and takes 42 bytes; the thumbnail comes after it.
        exif += be32(26);
        exif += QByteArray("\0\x03", 2);
        exif += QByteArray("\x01\x03\0\x03\0\0\0\x01\0\x06\0\0", 12); // compression: JPEG
        exif += QByteArray("\x02\x01\0\x04\0\0\0\x01", 8) + be32(68);
        exif += QByteArray("\x02\x02\0\x04\0\0\0\x01", 8) + be32(quint32(thumbnail.size()));
        exif += be32(0);
        exif += thumbnail;
    }
    QByteArray segment("\xff\xe1", 2);
    const int length = int(exif.size()) + 2;
    segment += char(length >> 8);
    segment += char(length & 0xff);
    segment += exif;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

inline QByteArray WithOrientation(const QByteArray& jpeg, int orientation) {
    return WithExif(jpeg, orientation, {});
}

// One entry of the working inventory with the given photograph path (display form).
inline void AddEntry(int id, const QString& photo) {
    app::State().ADOQuery2.execute(
        {QStringLiteral("INSERT INTO Inventory"),
         QStringLiteral("VALUES (") + QString::number(id) +
             QStringLiteral(", 'Kitchen', 1, 'Cookware', 1, 'Pan', 1, 1, 1, 1, '', '") +
             store::ToStoredText(photo) + QStringLiteral("')")});
}

} // namespace photos
