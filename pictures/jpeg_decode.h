#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstddef>

namespace pictures {

// Size of a thumbnail: every photograph is stretched to exactly this.
inline constexpr int kThumbWidth = 160;
inline constexpr int kThumbHeight = 120;

// The EXIF orientation (1..8) held in the payload of an APP1 marker; 1 when there is none or
// the data cannot be read.
int ExifOrientation(const unsigned char* data, std::size_t size);

// Where the JPEG thumbnail that a camera embeds in its EXIF block lies within the payload of an
// APP1 marker; length 0 when there is none or the block does not hold together.
struct ByteRange {
    std::size_t offset = 0;
    std::size_t length = 0;
};
ByteRange ExifThumbnail(const unsigned char* data, std::size_t size);

// Whether an embedded thumbnail of thumbWidth x thumbHeight (stored order) can stand for a
// photograph of width x height: the same shape (a thumbnail with bars, or one left over from
// before a crop, is not) and at least the size of a tile once upright.
bool ThumbnailStandsFor(int thumbWidth, int thumbHeight, int width, int height, bool transposed);

// Turns a picture decoded in stored order upright for the given EXIF orientation.
QImage Upright(const QImage& stored, int orientation);

// Numerator n of the decoder's n/8 scaling that reduces the most while the (upright) result
// still measures at least minWidth x minHeight; 8 when even full size is smaller.
int ThumbnailScale(int width, int height, bool transposed, int minWidth, int minHeight);

// Most pixels a decoded picture may have (about 1 GiB at four bytes a pixel).
inline constexpr double kMaxDecodedPixels = 256.0 * 1024 * 1024;

// Fewest bytes a JPEG file of width x height pixels can plausibly have. Huffman-coded data takes
// at least one bit for every block of 8 x 8 pixels even in the flattest picture; the limit allows
// eight times less than that, one byte per 64 blocks, so no real photograph comes near it.
double MinimumJpegBytes(unsigned width, unsigned height);

struct Decoded {
    QImage image; // null on failure
    QString error;
    QSize decodedSize; // what the decoder produced, before any smoothing to the final size
};

// A picture of width x height fitted into a box of boxWidth x boxHeight with its aspect kept: as
// large as the box allows, never below 1 x 1.
QSize FitInto(int width, int height, int boxWidth, int boxHeight);

// The whole photograph at full size, upright.
Decoded DecodeJpeg(const QString& path);
// The photograph reduced by the decoder and stretched to kThumbWidth x kThumbHeight, upright.
// The thumbnail a camera embedded is used instead when it stands for the photograph.
Decoded DecodeJpegThumbnail(const QString& path);
// The photograph upright and fitted into boxWidth x boxHeight, aspect kept (a smaller one keeps
// its size). The decoder reduces it as far as it can while the result still covers the fitted
// size; only that is smoothed down.
Decoded DecodeJpegToFit(const QString& path, int boxWidth, int boxHeight);
// The same for a photograph already in memory. A thumbnail with `useEmbedded` false is always
// reduced from the photograph, whatever thumbnail its EXIF block holds.
Decoded DecodeJpegData(const QByteArray& data, bool thumbnail, bool useEmbedded = true);
Decoded DecodeJpegDataToFit(const QByteArray& data, int boxWidth, int boxHeight);

// What the headers of a JPEG file tell without decoding a pixel: its size as stored, its EXIF
// orientation and the thumbnail a camera embedded. `head` may be only the first bytes of a file
// of `fileSize` bytes; a header that does not end within them is not ok (read more and ask again).
// A header that claims far more pixels than the file's bytes can hold is refused as damaged.
struct JpegFacts {
    bool ok = false;
    QString error;
    int width = 0, height = 0; // stored order
    int orientation = 1;
    QByteArray embedded; // the embedded JPEG thumbnail's bytes; empty when there is none
    QSize upright() const;
};
JpegFacts ReadJpegFacts(const QByteArray& head, qint64 fileSize);
// The tile a camera's embedded thumbnail makes (upright, stretched to kThumbWidth x kThumbHeight),
// as DecodeJpegThumbnail shows it; a null picture when there is none or it does not stand for the
// photograph.
QImage EmbeddedTile(const JpegFacts& facts);

// The picture as a baseline JPEG file of the given quality (4:2:0), without any marker beyond
// the JFIF one; empty when it cannot be encoded.
QByteArray EncodeJpeg(const QImage& image, int quality);

} // namespace pictures
