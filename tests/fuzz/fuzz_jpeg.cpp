// The JPEG reader: the EXIF orientation and embedded thumbnail of any marker payload, the headers
// of a file's first bytes, and the full and thumbnail decoders on any bytes. Nothing may crash or
// read out of bounds; a decoded picture has the size its kind promises; a tiny file may not make
// the decoder claim a huge amount of memory (the runner's allocation limit catches that).
#include "fuzz_support.h"
#include "pictures/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    const int orientation = pictures::ExifOrientation(data, size);
    fuzz::Check(orientation >= 1 && orientation <= 8, "EXIF orientation out of range");
    const pictures::ByteRange embedded = pictures::ExifThumbnail(data, size);
    fuzz::Check(embedded.length == 0 ||
                    (embedded.offset <= size && size - embedded.offset >= embedded.length),
                "embedded thumbnail beyond the block");

    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const pictures::Decoded thumb = pictures::DecodeJpegData(bytes, true);
    if (thumb.image.isNull()) {
        fuzz::Check(!thumb.error.isEmpty(), "a thumbnail failed without a message");
    } else {
        fuzz::Check(thumb.image.width() == pictures::kThumbWidth &&
                        thumb.image.height() == pictures::kThumbHeight,
                    "thumbnail of the wrong size");
    }
    // The headers read from the first bytes only, as the tiles read them.
    const pictures::JpegFacts facts =
        pictures::ReadJpegFacts(bytes.left(bytes.size() / 2), qint64(size));
    if (facts.ok) {
        fuzz::Check(facts.width > 0 && facts.height > 0 && facts.orientation >= 1 &&
                        facts.orientation <= 8,
                    "headers read without a size or with an orientation out of range");
        const QImage tile = pictures::EmbeddedTile(facts);
        fuzz::Check(tile.isNull() || (tile.width() == pictures::kThumbWidth &&
                                      tile.height() == pictures::kThumbHeight),
                    "embedded thumbnail tile of the wrong size");
    } else {
        fuzz::Check(!facts.error.isEmpty(), "headers refused without a message");
    }
    const pictures::Decoded full = pictures::DecodeJpegData(bytes, false);
    if (full.image.isNull()) {
        fuzz::Check(!full.error.isEmpty(), "a picture failed without a message");
    } else {
        fuzz::Check(double(full.image.width()) * full.image.height() <= pictures::kMaxDecodedPixels,
                    "decoded picture beyond the pixel limit");
    }
    return 0;
}
