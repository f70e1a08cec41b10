// Decoding photographs: scaled thumbnails, full size, EXIF orientation, damaged files.
#include "pictures/jpeg_decode.h"
#include "tests/pictures/photos.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pictures;

namespace {

QByteArray encode(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

// 64 x 32: red left half, white right half, with a blue block in the top left corner.
QImage marked() {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(qRgb(220, 20, 20));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            if (x >= 32) image.setPixel(x, y, qRgb(255, 255, 255));
            if (x < 16 && y < 16) image.setPixel(x, y, qRgb(20, 20, 220));
        }
    return image;
}

} // namespace

TEST(ThumbnailScale, LargestReductionThatStillCoversTheThumbnail) {
    EXPECT_EQ(ThumbnailScale(4000, 3000, false, 160, 120), 1); // 500 x 375
    EXPECT_EQ(ThumbnailScale(1272, 960, false, 160, 120), 2);  // 159 wide at 1/8
    EXPECT_EQ(ThumbnailScale(400, 300, false, 160, 120), 4);
    EXPECT_EQ(ThumbnailScale(100, 80, false, 160, 120), 8); // smaller than a thumbnail
    // A portrait photograph stored on its side must cover 160 x 120 once upright.
    EXPECT_EQ(ThumbnailScale(1280, 600, false, 160, 120), 2);
    EXPECT_EQ(ThumbnailScale(1280, 600, true, 160, 120), 3);
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrdersAndFallsBackToUpright) {
    const QByteArray big = photos::WithOrientation(QByteArray("\xff\xd8", 2), 6).mid(6);
    EXPECT_EQ(ExifOrientation(reinterpret_cast<const unsigned char*>(big.constData()),
                              std::size_t(big.size())),
              6);
    QByteArray little("Exif\0\0II\x2a\0\x08\0\0\0\x02\0", 16);
    little += QByteArray("\x0f\x01\x02\0\x04\0\0\0\0\0\0\0", 12); // another tag first
    little += QByteArray("\x12\x01\x03\0\x01\0\0\0\x08\0\0\0", 12);
    EXPECT_EQ(ExifOrientation(reinterpret_cast<const unsigned char*>(little.constData()),
                              std::size_t(little.size())),
              8);
    const auto orientationOf = [](const QByteArray& b) {
        return ExifOrientation(reinterpret_cast<const unsigned char*>(b.constData()),
                               std::size_t(b.size()));
    };
    EXPECT_EQ(orientationOf(little.left(30)), 1);                    // cut inside the directory
    EXPECT_EQ(orientationOf(QByteArray("JFIF\0\0II\x2a\0", 10)), 1); // no EXIF block
    QByteArray bad = little;
    bad[36] = 9; // no such orientation
    EXPECT_EQ(orientationOf(bad), 1);
}

TEST(Upright, EveryOrientationPutsTheMarkedCornerTopLeft) {
    // Each stored picture is the upright one transformed as a camera records it; turning it
    // upright must bring the blue corner back to the top left and restore the size.
    const QImage upright = marked();
    const QTransform r90 = QTransform().rotate(90), r270 = QTransform().rotate(270);
    const QImage stored[9] = {{},
                              upright,
                              upright.mirrored(true, false),
                              upright.mirrored(true, true),
                              upright.mirrored(false, true),
                              upright.transformed(r90).mirrored(true, false),
                              upright.transformed(r270),
                              upright.transformed(r90).mirrored(false, true),
                              upright.transformed(r90)};
    for (int o = 1; o <= 8; ++o) {
        const QImage back = Upright(stored[o], o);
        EXPECT_EQ(back.size(), upright.size()) << "orientation " << o;
        EXPECT_EQ(back.pixel(2, 2), qRgb(20, 20, 220)) << "orientation " << o;
        EXPECT_EQ(back.pixel(60, 2), qRgb(255, 255, 255)) << "orientation " << o;
        EXPECT_EQ(back.pixel(2, 30), qRgb(220, 20, 20)) << "orientation " << o;
    }
}

TEST(DecodeJpeg, ThumbnailIsStretchedFullSizeKeepsEveryPixel) {
    QTemporaryDir dir;
    const QString path = photos::Make(dir.filePath(QStringLiteral("wide.jpg")), 1000, 300);
    const Decoded full = DecodeJpeg(path);
    ASSERT_FALSE(full.image.isNull()) << full.error.toStdString();
    EXPECT_EQ(full.image.size(), QSize(1000, 300));
    EXPECT_TRUE(near(full.image.pixel(10, 150), qRgb(200, 30, 30)));
    EXPECT_TRUE(near(full.image.pixel(990, 150), qRgb(255, 255, 255)));
    const Decoded thumb = DecodeJpegThumbnail(path);
    ASSERT_FALSE(thumb.image.isNull());
    EXPECT_EQ(thumb.image.size(), QSize(160, 120));
    EXPECT_TRUE(near(thumb.image.pixel(5, 60), qRgb(200, 30, 30)));
    EXPECT_TRUE(near(thumb.image.pixel(155, 60), qRgb(255, 255, 255)));
}

TEST(DecodeJpeg, HonoursTheOrientationOfTheFile) {
    const QByteArray rotated = photos::WithOrientation(encode(marked()), 6);
    const Decoded full = DecodeJpegData(rotated, false);
    ASSERT_FALSE(full.image.isNull()) << full.error.toStdString();
    EXPECT_EQ(full.image.size(), QSize(32, 64));
    // Stored top left (blue) turns to the top right.
    EXPECT_TRUE(near(full.image.pixel(28, 3), qRgb(20, 20, 220)));
    EXPECT_TRUE(near(full.image.pixel(3, 3), qRgb(220, 20, 20)));
}

TEST(DecodeJpeg, DamagedAndForeignFilesGiveAnErrorButATruncatedOneStillShows) {
    QTemporaryDir dir;
    EXPECT_TRUE(DecodeJpegData(QByteArray("this is no photograph at all"), true).image.isNull());
    EXPECT_FALSE(DecodeJpegData(QByteArray("this is no photograph at all"), true).error.isEmpty());
    EXPECT_TRUE(DecodeJpegData(QByteArray(), false).image.isNull());
    EXPECT_TRUE(DecodeJpeg(dir.filePath(QStringLiteral("missing.jpg"))).image.isNull());
    const QByteArray whole = encode(marked().scaled(640, 320));
    EXPECT_TRUE(DecodeJpegData(whole.left(20), false).image.isNull()); // header cut short
    // A header claiming 60000 x 60000 is refused before anything that size is made.
    QByteArray huge = whole;
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GE(sof, 0);
    for (int field : {5, 7}) {
        huge[sof + field] = char(60000 >> 8);
        huge[sof + field + 1] = char(60000 & 0xFF);
    }
    const Decoded refused = DecodeJpegData(huge, false);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_TRUE(refused.error.contains(QStringLiteral("too large"))) << refused.error.toStdString();
    // A few bytes claiming a picture far larger than they could hold are refused before the
    // decoder allocates and fills it with grey.
    const QByteArray small = encode(marked());
    const auto claiming = [&](int side) {
        QByteArray bytes = small;
        const qsizetype at = bytes.indexOf(QByteArray("\xFF\xC0", 2));
        for (int field : {5, 7}) {
            bytes[at + field] = char(side >> 8);
            bytes[at + field + 1] = char(side & 0xFF);
        }
        return bytes;
    };
    ASSERT_LT(double(small.size()), MinimumJpegBytes(4096, 4096));
    for (bool thumbnail : {false, true}) {
        const Decoded tooFew = DecodeJpegData(claiming(4096), thumbnail);
        ASSERT_TRUE(tooFew.image.isNull()) << thumbnail;
        EXPECT_TRUE(tooFew.error.contains(QStringLiteral("damaged"))) << tooFew.error.toStdString();
    }
    EXPECT_TRUE(DecodeJpegData(claiming(16384), false).image.isNull());
    // The rule leaves real photographs far behind: this one is plain and small.
    EXPECT_GT(double(whole.size()), 20 * MinimumJpegBytes(640, 320));
    const Decoded truncated = DecodeJpegData(whole.left(whole.size() * 2 / 3), false);
    ASSERT_FALSE(truncated.image.isNull());
    EXPECT_EQ(truncated.image.size(), QSize(640, 320));
}

namespace {

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The embedded thumbnails are blue, the photographs not: a tile shows which of the two it shows.
const QRgb kBlue = qRgb(20, 20, 220);

} // namespace

TEST(ExifThumbnail, FindsTheCamerasThumbnailAndRefusesABlockThatDoesNotHoldTogether) {
    const QByteArray thumb = encode(filled(160, 120, kBlue));
    const QByteArray file = photos::WithExif(encode(marked()), 1, thumb);
    // The APP1 payload starts after the marker and its length.
    const auto* payload = reinterpret_cast<const unsigned char*>(file.constData()) + 6;
    const std::size_t size = (std::size_t(uchar(file[4])) << 8 | uchar(file[5])) - 2;
    const ByteRange r = ExifThumbnail(payload, size);
    ASSERT_EQ(r.length, std::size_t(thumb.size()));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(payload + r.offset), qsizetype(r.length)),
              thumb);
    EXPECT_EQ(ExifThumbnail(payload, size - 1).length, 0u); // cut short inside the thumbnail
    QByteArray other(reinterpret_cast<const char*>(payload), qsizetype(size));
    other[6 + 26 + 2 + 9] = 1; // compression: uncompressed
    EXPECT_EQ(ExifThumbnail(reinterpret_cast<const unsigned char*>(other.constData()), size).length,
              0u);
    const QByteArray plain = photos::WithOrientation(encode(marked()), 1);
    EXPECT_EQ(ExifThumbnail(reinterpret_cast<const unsigned char*>(plain.constData()) + 6,
                            std::size_t(uchar(plain[5])) - 2)
                  .length,
              0u);
}

TEST(ExifThumbnail, StandsForThePhotographOnlyInItsShapeAndAtLeastTileSize) {
    EXPECT_TRUE(ThumbnailStandsFor(160, 120, 4000, 3000, false));
    EXPECT_TRUE(ThumbnailStandsFor(512, 384, 4032, 3024, false));
    EXPECT_FALSE(ThumbnailStandsFor(160, 120, 6000, 4000, false)); // 3:2 with bars
    EXPECT_FALSE(ThumbnailStandsFor(160, 106, 6000, 4000, false)); // smaller than a tile
    EXPECT_FALSE(ThumbnailStandsFor(160, 120, 3000, 4000, false)); // left from before a turn
    // Stored on its side, the thumbnail must cover the tile once upright.
    EXPECT_FALSE(ThumbnailStandsFor(160, 120, 4000, 3000, true));
    EXPECT_TRUE(ThumbnailStandsFor(320, 240, 4000, 3000, true));
    EXPECT_FALSE(ThumbnailStandsFor(0, 120, 4000, 3000, false));
}

TEST(DecodeJpeg, ATileUsesTheEmbeddedThumbnailOnlyWhenItStandsForThePhotograph) {
    const QImage photo = filled(400, 300, qRgb(220, 20, 20));
    const auto tileOf = [](const QByteArray& file) {
        const Decoded d = DecodeJpegData(file, true);
        EXPECT_TRUE(d.error.isEmpty()) << d.error.toStdString();
        EXPECT_EQ(d.image.size(), QSize(kThumbWidth, kThumbHeight));
        return d.image;
    };
    // Same shape, tile size: the camera's thumbnail is shown; full decoding ignores it.
    const QByteArray withThumb =
        photos::WithExif(encode(photo), 1, encode(filled(160, 120, kBlue)));
    EXPECT_TRUE(near(tileOf(withThumb).pixel(80, 60), kBlue));
    EXPECT_TRUE(near(DecodeJpegData(withThumb, false).image.pixel(200, 150), qRgb(220, 20, 20)));
    // Too small, the wrong shape, or bytes that do not decode: the photograph itself is reduced.
    for (const QByteArray& thumb : {encode(filled(80, 60, kBlue)), encode(filled(160, 90, kBlue)),
                                    QByteArray("\xff\xd8\xff\xd9 not a picture", 18)}) {
        const QImage tile = tileOf(photos::WithExif(encode(photo), 1, thumb));
        EXPECT_TRUE(near(tile.pixel(80, 60), qRgb(220, 20, 20)));
    }
    // A thumbnail larger than a tile is reduced as the photograph would be, and turned upright
    // with the photograph's orientation: stored top left (blue) ends top right.
    QImage big = filled(320, 240, qRgb(255, 255, 255));
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            big.setPixel(x, y, kBlue);
    const QImage turned = tileOf(photos::WithExif(encode(photo), 6, encode(big)));
    EXPECT_TRUE(near(turned.pixel(150, 10), kBlue));
    EXPECT_TRUE(near(turned.pixel(10, 10), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(turned.pixel(10, 110), qRgb(255, 255, 255)));
}
