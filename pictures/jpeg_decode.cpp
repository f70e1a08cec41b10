#include "pictures/jpeg_decode.h"

#include <QFile>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <jpeglib.h>
#include <utility>

namespace pictures {

namespace {

unsigned read16(const unsigned char* p, bool little) {
    return little ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1];
}

unsigned read32(const unsigned char* p, bool little) {
    return little ? p[0] | (p[1] << 8) | (p[2] << 16) | (unsigned(p[3]) << 24)
                  : (unsigned(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// libjpeg reports a fatal error by calling error_exit, which must not return; it jumps back to
// the decoder, which releases everything libjpeg holds.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (for instance a truncated file, whose rest decodes grey) are no failure: a photo
// program shows what it can.
void onMessage(j_common_ptr, int) {}

int orientationOf(jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1) {
            const int o = ExifOrientation(m->data, m->data_length);
            if (o != 1) return o;
        }
    return 1;
}

bool transposes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

struct Job {
    Job(const unsigned char* bytes, unsigned long length, bool reduce)
        : data(bytes), size(length), thumbnail(reduce) {}
    const unsigned char* data;
    unsigned long size;
    bool thumbnail;
    QSize box; // fit into this box when valid
    QImage image;
    QSize fit; // the fitted size (upright), when a box was given
    int orientation = 1;
    char message[JMSG_LENGTH_MAX] = {};
    // Thumbnail only: stop after the headers when the EXIF block holds a thumbnail, and hand
    // back its bytes instead of decoding the photograph.
    bool lookForEmbedded = false;
    QByteArray embedded;
    // Stop after the headers in any case, with the size, orientation and embedded thumbnail.
    bool headerOnly = false;
    // The whole file's length when `data` holds only its first bytes (headerOnly).
    qint64 fileSize = 0;
    // The photograph's own size and orientation, for judging an embedded thumbnail; an
    // embedded thumbnail carries no orientation of its own and takes the photograph's.
    unsigned width = 0, height = 0;
    int givenOrientation = 0;
};

void cmykToRgb(const JSAMPLE* in, QRgb* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Only plain data lives in this frame, so the jump back from libjpeg skips no destructor.
bool runDecode(Job& job) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        std::snprintf(job.message, sizeof job.message, "%s", err.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, job.data, job.size);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    job.orientation = job.givenOrientation ? job.givenOrientation : orientationOf(cinfo);
    job.width = cinfo.image_width;
    job.height = cinfo.image_height;

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
#else
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_ARGB;
#endif
    cinfo.scale_denom = 8;
    const bool transposed = transposes(job.orientation);
    if (job.box.isValid()) {
        const int w = int(transposed ? cinfo.image_height : cinfo.image_width);
        const int h = int(transposed ? cinfo.image_width : cinfo.image_height);
        // A picture smaller than the box keeps its own size: enlarging adds nothing.
        job.fit = FitInto(w, h, job.box.width(), job.box.height()).boundedTo(QSize(w, h));
        cinfo.scale_num = ThumbnailScale(int(cinfo.image_width), int(cinfo.image_height),
                                         transposed, job.fit.width(), job.fit.height());
    } else {
        cinfo.scale_num = job.thumbnail
                              ? ThumbnailScale(int(cinfo.image_width), int(cinfo.image_height),
                                               transposed, kThumbWidth, kThumbHeight)
                              : 8;
    }
    jpeg_calc_output_dimensions(&cinfo);
    // A header can claim up to 65500 x 65500; such a picture would take gigabytes before a
    // single line is read, so it is refused instead.
    if (!job.headerOnly &&
        double(cinfo.output_width) * double(cinfo.output_height) > kMaxDecodedPixels) {
        std::snprintf(job.message, sizeof job.message, "The picture is too large: %u x %u.",
                      cinfo.output_width, cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // A few hundred bytes that claim a huge picture would still cost seconds and gigabytes to
    // decode into grey: such a file is damaged, and refused before anything is allocated.
    const double bytes = job.fileSize > 0 ? double(job.fileSize) : double(job.size);
    if (bytes < MinimumJpegBytes(cinfo.image_width, cinfo.image_height)) {
        std::snprintf(job.message, sizeof job.message,
                      "The file is damaged: %.0f bytes are too few for a picture of %u x %u.",
                      bytes, cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (job.lookForEmbedded || job.headerOnly) {
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
            if (m->marker != JPEG_APP0 + 1) continue;
            const ByteRange r = ExifThumbnail(m->data, m->data_length);
            if (r.length == 0) continue;
            job.embedded =
                QByteArray(reinterpret_cast<const char*>(m->data + r.offset), qsizetype(r.length));
            jpeg_destroy_decompress(&cinfo);
            return true;
        }
    }
    if (job.headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    jpeg_start_decompress(&cinfo);
    job.image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (job.image.isNull()) {
        std::snprintf(job.message, sizeof job.message,
                      "Not enough memory for a picture of %u x %u.", cinfo.output_width,
                      cinfo.output_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPARRAY cmykRow = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                           JPOOL_IMAGE, cinfo.output_width * 4, 1)
                              : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        uchar* line = job.image.scanLine(int(cinfo.output_scanline));
        if (cmyk) {
            jpeg_read_scanlines(&cinfo, cmykRow, 1);
            cmykToRgb(cmykRow[0], reinterpret_cast<QRgb*>(line), cinfo.output_width,
                      cinfo.saw_Adobe_marker);
        } else {
            JSAMPROW row = line;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

namespace {
// The TIFF structure inside an APP1 "Exif" block: where it starts, its length and byte order.
struct ExifTiff {
    const unsigned char* tiff = nullptr;
    std::size_t n = 0;
    bool little = false;
};
std::optional<ExifTiff> OpenExifTiff(const unsigned char* data, std::size_t size) {
    // "Exif\0\0", then a TIFF header with its byte order and the number 42.
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return std::nullopt;
    ExifTiff t{data + 6, size - 6, false};
    if (t.tiff[0] == 'I' && t.tiff[1] == 'I')
        t.little = true;
    else if (!(t.tiff[0] == 'M' && t.tiff[1] == 'M'))
        return std::nullopt;
    if (read16(t.tiff + 2, t.little) != 42) return std::nullopt;
    return t;
}
} // namespace

int ExifOrientation(const unsigned char* data, std::size_t size) {
    const std::optional<ExifTiff> t = OpenExifTiff(data, size);
    if (!t) return 1;
    const unsigned char* tiff = t->tiff;
    const std::size_t n = t->n;
    const bool little = t->little;
    const std::size_t ifd = read32(tiff + 4, little);
    if (ifd > n || n - ifd < 2) return 1;
    const unsigned entries = read16(tiff + ifd, little);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t at = ifd + 2 + std::size_t(i) * 12;
        if (at + 12 > n) return 1;
        if (read16(tiff + at, little) != 0x0112) continue;
        // A SHORT with a count of one, held in the first two bytes of the value field.
        if (read16(tiff + at + 2, little) != 3) return 1;
        const unsigned v = read16(tiff + at + 8, little);
        return v >= 1 && v <= 8 ? int(v) : 1;
    }
    return 1;
}

ByteRange ExifThumbnail(const unsigned char* data, std::size_t size) {
    const std::optional<ExifTiff> t = OpenExifTiff(data, size);
    if (!t) return {};
    const unsigned char* tiff = t->tiff;
    const std::size_t n = t->n;
    const bool little = t->little;
    // The second directory, after the first one's entries, describes the thumbnail.
    const std::size_t ifd0 = read32(tiff + 4, little);
    if (ifd0 > n || n - ifd0 < 2) return {};
    const std::size_t next = ifd0 + 2 + std::size_t(read16(tiff + ifd0, little)) * 12;
    if (next > n || n - next < 4) return {};
    const std::size_t ifd1 = read32(tiff + next, little);
    if (ifd1 == 0 || ifd1 > n || n - ifd1 < 2) return {};
    const unsigned entries = read16(tiff + ifd1, little);
    std::size_t offset = 0, length = 0;
    bool jpeg = true;
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t at = ifd1 + 2 + std::size_t(i) * 12;
        if (at + 12 > n) return {};
        const unsigned tag = read16(tiff + at, little);
        const unsigned type = read16(tiff + at + 2, little);
        // A SHORT sits in the first two bytes of the value field, a LONG fills it.
        const std::size_t value =
            type == 3 ? read16(tiff + at + 8, little) : read32(tiff + at + 8, little);
        if (type != 3 && type != 4) continue;
        if (tag == 0x0103) jpeg = value == 6;
        if (tag == 0x0201) offset = value;
        if (tag == 0x0202) length = value;
    }
    if (!jpeg || length < 4 || offset > n || n - offset < length) return {};
    const unsigned char* p = tiff + offset;
    if (p[0] != 0xFF || p[1] != 0xD8) return {};
    return {6 + offset, length};
}

bool ThumbnailStandsFor(int thumbWidth, int thumbHeight, int width, int height, bool transposed) {
    if (thumbWidth <= 0 || thumbHeight <= 0 || width <= 0 || height <= 0) return false;
    // Within 2 % of the photograph's shape: 4:3 thumbnails of 4:3 photographs, not the
    // letterboxed 4:3 thumbnails of 3:2 ones.
    const double shape = (double(thumbWidth) / thumbHeight) / (double(width) / height);
    if (shape < 0.98 || shape > 1.02) return false;
    if (transposed) std::swap(thumbWidth, thumbHeight);
    return thumbWidth >= kThumbWidth && thumbHeight >= kThumbHeight;
}

QImage Upright(const QImage& stored, int orientation) {
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return stored.transformed(QTransform().rotate(90));
    case 7:
        return stored.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

double MinimumJpegBytes(unsigned width, unsigned height) {
    const double blocks = std::ceil(width / 8.0) * std::ceil(height / 8.0);
    return blocks / 64.0;
}

int ThumbnailScale(int width, int height, bool transposed, int minWidth, int minHeight) {
    if (transposed) std::swap(width, height);
    for (int num = 1; num < 8; ++num) {
        // The decoder rounds a scaled dimension up.
        const int w = (width * num + 7) / 8, h = (height * num + 7) / 8;
        if (w >= minWidth && h >= minHeight) return num;
    }
    return 8;
}

QSize FitInto(int width, int height, int boxWidth, int boxHeight) {
    if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1) return {1, 1};
    // Whichever side meets its edge of the box first decides; the other follows in proportion.
    if (qint64(width) * boxHeight >= qint64(height) * boxWidth)
        return {boxWidth, std::max(1, int(std::lround(double(height) * boxWidth / width)))};
    return {std::max(1, int(std::lround(double(width) * boxHeight / height))), boxHeight};
}

namespace {

// The embedded thumbnail of a photograph of width x height with this orientation, decoded
// upright and at least tile size, when it stands for the photograph; a null picture otherwise.
QImage decodeEmbedded(const QByteArray& embedded, unsigned width, unsigned height,
                      int orientation) {
    Job small(reinterpret_cast<const unsigned char*>(embedded.constData()),
              static_cast<unsigned long>(embedded.size()), true);
    small.givenOrientation = orientation;
    if (!runDecode(small) || !ThumbnailStandsFor(small.image.width(), small.image.height(),
                                                 int(width), int(height), transposes(orientation)))
        return QImage();
    return std::move(small.image);
}

Decoded decodeData(const QByteArray& data, bool thumbnail, QSize box, bool useEmbedded = true) {
    Decoded out;
    if (data.isEmpty()) {
        out.error = QStringLiteral("The file is empty.");
        return out;
    }
    Job job(reinterpret_cast<const unsigned char*>(data.constData()),
            static_cast<unsigned long>(data.size()), thumbnail);
    job.box = box;
    job.lookForEmbedded = thumbnail && !box.isValid() && useEmbedded;
    if (!runDecode(job)) {
        out.error = QString::fromLocal8Bit(job.message);
        return out;
    }
    if (!job.embedded.isEmpty()) {
        // The camera's own thumbnail costs a fraction of reducing the photograph; when it does
        // not decode or does not stand for the photograph, the photograph is decoded after all.
        QImage small = decodeEmbedded(job.embedded, job.width, job.height, job.orientation);
        if (!small.isNull()) {
            job.image = std::move(small);
        } else {
            job.lookForEmbedded = false;
            job.embedded.clear();
            if (!runDecode(job)) {
                out.error = QString::fromLocal8Bit(job.message);
                return out;
            }
        }
    }
    out.decodedSize = job.image.size();
    QImage upright = Upright(job.image, job.orientation);
    job.image = QImage();
    if (box.isValid())
        out.image = upright.size() == job.fit
                        ? std::move(upright)
                        : upright.scaled(job.fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    else if (thumbnail)
        out.image = upright.scaled(kThumbWidth, kThumbHeight, Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation);
    else
        out.image = std::move(upright);
    return out;
}

Decoded decodeFile(const QString& path, bool thumbnail, QSize box = {}) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QImage(), file.errorString(), {}};
    return decodeData(file.readAll(), thumbnail, box);
}

} // namespace

Decoded DecodeJpegData(const QByteArray& data, bool thumbnail, bool useEmbedded) {
    return decodeData(data, thumbnail, {}, useEmbedded);
}

Decoded DecodeJpegDataToFit(const QByteArray& data, int boxWidth, int boxHeight) {
    return decodeData(data, false, QSize(std::max(1, boxWidth), std::max(1, boxHeight)));
}

Decoded DecodeJpeg(const QString& path) {
    return decodeFile(path, false);
}

Decoded DecodeJpegThumbnail(const QString& path) {
    return decodeFile(path, true);
}

Decoded DecodeJpegToFit(const QString& path, int boxWidth, int boxHeight) {
    return decodeFile(path, false, QSize(std::max(1, boxWidth), std::max(1, boxHeight)));
}

QSize JpegFacts::upright() const {
    return transposes(orientation) ? QSize(height, width) : QSize(width, height);
}

JpegFacts ReadJpegFacts(const QByteArray& head, qint64 fileSize) {
    JpegFacts facts;
    if (head.isEmpty()) {
        facts.error = QStringLiteral("The file is empty.");
        return facts;
    }
    Job job(reinterpret_cast<const unsigned char*>(head.constData()),
            static_cast<unsigned long>(head.size()), false);
    job.headerOnly = true;
    job.fileSize = std::max<qint64>(fileSize, head.size());
    if (!runDecode(job)) {
        facts.error = QString::fromLocal8Bit(job.message);
        return facts;
    }
    facts.ok = true;
    facts.width = int(job.width);
    facts.height = int(job.height);
    facts.orientation = job.orientation;
    facts.embedded = std::move(job.embedded);
    return facts;
}

QImage EmbeddedTile(const JpegFacts& facts) {
    if (!facts.ok || facts.embedded.isEmpty()) return QImage();
    const QImage small = decodeEmbedded(facts.embedded, unsigned(facts.width),
                                        unsigned(facts.height), facts.orientation);
    if (small.isNull()) return small;
    return Upright(small, facts.orientation)
        .scaled(kThumbWidth, kThumbHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

namespace {

struct EncodeJob {
    const QImage* image = nullptr; // Format_RGB32
    int quality = 90;
    unsigned char* out = nullptr; // malloc'ed by libjpeg; freed by the caller
    unsigned long size = 0;
};

// Only plain data lives in this frame, so the jump back from libjpeg skips no destructor.
bool runEncode(EncodeJob& job) {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.out, &job.size);
    cinfo.image_width = JDIMENSION(job.image->width());
    cinfo.image_height = JDIMENSION(job.image->height());
    cinfo.input_components = 4;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo.in_color_space = JCS_EXT_BGRX;
#else
    cinfo.in_color_space = JCS_EXT_XRGB;
#endif
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(job.image->constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QByteArray EncodeJpeg(const QImage& image, int quality) {
    if (image.isNull()) return QByteArray();
    const QImage rgb =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    EncodeJob job;
    job.image = &rgb;
    job.quality = std::clamp(quality, 1, 100);
    const bool ok = runEncode(job);
    QByteArray bytes;
    if (ok && job.out)
        bytes = QByteArray(reinterpret_cast<const char*>(job.out), qsizetype(job.size));
    std::free(job.out);
    return bytes;
}

} // namespace pictures
