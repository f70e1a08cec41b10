#include "pictures/rendition_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRunnable>
#include <QSaveFile>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictures {

namespace {

// The first bytes of a photograph read for its headers: an EXIF block is at most 64 KiB.
constexpr qint64 kHeadBytes = 128 * 1024;
// No rendition comes near this; a larger file in the cache folder is not one.
constexpr qint64 kMaxRenditionBytes = 8 * 1024 * 1024;

// The trailer after a rendition's JPEG data (which decoders ignore): its width, height and JPEG
// length (32 bits each, little-endian), the MD5 sum of the JPEG data followed by the key, and a
// magic number.
constexpr int kTrailerBytes = 32;
const QByteArray kMagic("QvR1", 4);

// Whatever changes the rendition's making changes its name too.
const QByteArray kKeyVersion =
    QByteArray("quivera rendition ") + QByteArray::number(kRenditionWidth) + 'x' +
    QByteArray::number(kRenditionHeight) + " q" + QByteArray::number(kRenditionQuality);

void put32(QByteArray& b, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b += char((v >> (8 * i)) & 0xff);
}

quint32 get32(const char* p) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint32(uchar(p[i]));
    return v;
}

QByteArray checkSum(const QByteArray& jpeg, const QByteArray& key) {
    QCryptographicHash h(QCryptographicHash::Md5);
    h.addData(jpeg);
    h.addData(key);
    return h.result();
}

// What identifies a photograph as it is now, and the name of its rendition.
struct Stamp {
    QByteArray key;
    QString name;
};

// From an open file when there is one (its own identity, whatever the path leads to later).
std::optional<Stamp> stampOf(const QString& path, int fd = -1) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    const int rc =
        fd >= 0 ? ::fstat(fd, &st) : ::stat(QFile::encodeName(absolute).constData(), &st);
    if (rc != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    const auto n = [](qint64 v) { return QByteArray::number(v); };
    Stamp s;
    s.key = kKeyVersion + '\n' + absolute.toUtf8() + '\n' + n(qint64(st.st_size)) + ' ' +
            n(qint64(st.st_mtim.tv_sec)) + '.' + n(qint64(st.st_mtim.tv_nsec)) + ' ' +
            n(qint64(st.st_ctim.tv_sec)) + '.' + n(qint64(st.st_ctim.tv_nsec)) + ' ' +
            n(qint64(st.st_dev)) + ' ' + n(qint64(st.st_ino));
    s.name =
        QString::fromLatin1(QCryptographicHash::hash(s.key, QCryptographicHash::Sha1).toHex()) +
        QStringLiteral(".jpg");
    return s;
}

struct Rendition {
    QByteArray jpeg;
    QSize size;
};

// The rendition in `file` when it is whole and made for `key`.
std::optional<Rendition> readRendition(const QString& file, const QByteArray& key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const qint64 size = f.size();
    if (size <= kTrailerBytes || size > kMaxRenditionBytes) return std::nullopt;
    QByteArray bytes = f.read(size);
    if (bytes.size() != size) return std::nullopt;
    const char* t = bytes.constData() + size - kTrailerBytes;
    if (QByteArray::fromRawData(t + 28, 4) != kMagic) return std::nullopt;
    const quint32 width = get32(t), height = get32(t + 4), length = get32(t + 8);
    if (qint64(length) != size - kTrailerBytes || width == 0 || height == 0 || width > 65500 ||
        height > 65500)
        return std::nullopt;
    bytes.truncate(length);
    if (checkSum(bytes, key) != QByteArray::fromRawData(t + 12, 16)) return std::nullopt;
    return Rendition{std::move(bytes), QSize(int(width), int(height))};
}

// Writes the rendition beside its name and renames it into place. False when any of it fails
// (nothing is then left behind).
bool writeRendition(const QString& folder, const Stamp& stamp, const QImage& image) {
    if (!QDir().mkpath(folder)) return false;
    QByteArray bytes = EncodeJpeg(image, kRenditionQuality);
    if (bytes.isEmpty()) return false;
    const QByteArray sum = checkSum(bytes, stamp.key);
    const quint32 length = quint32(bytes.size());
    put32(bytes, quint32(image.width()));
    put32(bytes, quint32(image.height()));
    put32(bytes, length);
    bytes += sum;
    bytes += kMagic;
    // A temporary file of its own beside the name for every writer, renamed into place in one
    // step: a reader sees the old rendition or this one, never a part.
    QSaveFile file(folder + stamp.name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Whether a picture of `size` covers what a box asks of it: fitted into the box, it is no larger.
bool covers(QSize size, QSize box) {
    const QSize fit = FitInto(size.width(), size.height(), box.width(), box.height());
    return fit.width() <= size.width() && fit.height() <= size.height();
}

// The picture fitted into the box, from a picture that covers it.
QImage fitted(QImage image, QSize box) {
    const QSize fit =
        FitInto(image.width(), image.height(), box.width(), box.height()).boundedTo(image.size());
    if (fit == image.size()) return image;
    return image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

Decoded failure(const QString& error) {
    return Decoded{QImage(), error, {}};
}

} // namespace

QString RenditionFolder(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Cache/Photographs")) + QLatin1Char('/');
}

QSize RenditionSize(QSize upright) {
    const int w = std::max(1, upright.width()), h = std::max(1, upright.height());
    const QSize fit = FitInto(w, h, kRenditionWidth, kRenditionHeight);
    if (fit.height() < kThumbHeight)
        return QSize(std::max(1, int(std::lround(double(w) * kThumbHeight / h))), kThumbHeight);
    if (fit.width() < kThumbWidth)
        return QSize(kThumbWidth, std::max(1, int(std::lround(double(h) * kThumbWidth / w))));
    return fit;
}

bool TakesARendition(QSize upright) {
    const QSize r = RenditionSize(upright);
    return r.width() < upright.width() && r.height() < upright.height();
}

RenditionCache::RenditionCache(const QString& programFolder)
    : folder_(programFolder.isEmpty() ? QString() : RenditionFolder(programFolder)) {}

QString RenditionCache::renditionFile(const QString& path) const {
    if (folder_.isEmpty()) return QString();
    const std::optional<Stamp> stamp = stampOf(path);
    return stamp ? folder_ + stamp->name : QString();
}

RenditionLoad RenditionCache::load(const QString& path, int boxWidth, int boxHeight) const {
    const QSize box(std::max(1, boxWidth), std::max(1, boxHeight));
    RenditionLoad out;
    if (folder_.isEmpty()) {
        out.picture = DecodeJpegToFit(path, box.width(), box.height());
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.picture = failure(file.errorString());
        return out;
    }
    const std::optional<Stamp> stamp = stampOf(path, file.handle());
    if (stamp) {
        if (const std::optional<Rendition> r = readRendition(folder_ + stamp->name, stamp->key);
            r && covers(r->size, box)) {
            Decoded d = DecodeJpegDataToFit(r->jpeg, box.width(), box.height());
            if (!d.image.isNull()) {
                out.picture = std::move(d);
                out.fromRendition = true;
                return out;
            }
        }
    }
    const QByteArray data = file.readAll();
    const JpegFacts facts = ReadJpegFacts(data, data.size());
    const QSize rendition = RenditionSize(facts.upright());
    if (!stamp || !facts.ok || !TakesARendition(facts.upright()) || !covers(rendition, box)) {
        out.picture = DecodeJpegDataToFit(data, box.width(), box.height());
        return out;
    }
    Decoded made = DecodeJpegDataToFit(data, rendition.width(), rendition.height());
    if (made.image.isNull()) {
        out.picture = std::move(made);
        return out;
    }
    out.wroteRendition = writeRendition(folder_, *stamp, made.image);
    made.image = fitted(std::move(made.image), box);
    out.picture = std::move(made);
    return out;
}

RenditionLoad RenditionCache::tile(const QString& path) const {
    RenditionLoad out;
    if (folder_.isEmpty()) {
        out.picture = DecodeJpegThumbnail(path);
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.picture = failure(file.errorString());
        return out;
    }
    const qint64 size = file.size();
    QByteArray data = file.read(kHeadBytes);
    const JpegFacts facts = ReadJpegFacts(data, size);
    if (!facts.ok) {
        // A header longer than the first bytes, or none: decoding the whole file says which.
        data += file.readAll();
        out.picture = DecodeJpegData(data, true);
        return out;
    }
    const bool takes = TakesARendition(facts.upright());
    const std::optional<Stamp> stamp = takes ? stampOf(path, file.handle()) : std::nullopt;
    QImage embedded = EmbeddedTile(facts);
    if (!embedded.isNull()) {
        out.picture.image = std::move(embedded);
        out.picture.decodedSize = out.picture.image.size();
        out.renditionMissing = stamp && !QFileInfo::exists(folder_ + stamp->name);
        return out;
    }
    if (stamp) {
        if (const std::optional<Rendition> r = readRendition(folder_ + stamp->name, stamp->key);
            r && r->size.width() >= kThumbWidth && r->size.height() >= kThumbHeight) {
            Decoded d = DecodeJpegData(r->jpeg, true, false);
            if (!d.image.isNull()) {
                out.picture = std::move(d);
                out.fromRendition = true;
                return out;
            }
        }
        out.renditionMissing = true;
    }
    data += file.readAll();
    // The embedded thumbnail was tried above.
    out.picture = DecodeJpegData(data, true, false);
    return out;
}

bool RenditionCache::make(const QString& path) const {
    if (folder_.isEmpty()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<Stamp> stamp = stampOf(path, file.handle());
    if (!stamp) return false;
    if (readRendition(folder_ + stamp->name, stamp->key)) return true;
    const QByteArray data = file.readAll();
    const JpegFacts facts = ReadJpegFacts(data, data.size());
    if (!facts.ok) return false;
    if (!TakesARendition(facts.upright())) return true;
    const QSize rendition = RenditionSize(facts.upright());
    const Decoded made = DecodeJpegDataToFit(data, rendition.width(), rendition.height());
    return !made.image.isNull() && writeRendition(folder_, *stamp, made.image);
}

namespace {

// The background maker: a pool of its own, and the photographs waiting in it.
struct Maker {
    std::mutex lock;
    std::set<QString> waiting; // rendition folder + '\n' + absolute path
    QThreadPool pool;
    Maker() {
        pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount() / 2, 1, 2));
        pool.setExpiryTimeout(5000);
    }
};

Maker& maker() {
    static Maker m;
    return m;
}

} // namespace

void MakeRenditionsLater(const QString& programFolder, const QStringList& paths) {
    if (programFolder.isEmpty()) return;
    Maker& m = maker();
    for (const QString& path : paths) {
        if (path.isEmpty()) continue;
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const QString name = RenditionFolder(programFolder) + QLatin1Char('\n') + absolute;
        {
            std::lock_guard<std::mutex> g(m.lock);
            if (!m.waiting.insert(name).second) continue;
        }
        m.pool.start([programFolder, absolute, name] {
            Maker& mk = maker();
            {
                std::lock_guard<std::mutex> g(mk.lock);
                mk.waiting.erase(name);
            }
            // Below the windows and the report's own decoding: this thread yields to them.
            ::setpriority(PRIO_PROCESS, ::gettid(), 10);
            try {
                RenditionCache(programFolder).make(absolute);
            } catch (...) {
                // Out of memory for this one: the report decodes the photograph itself.
            }
        });
    }
}

void WaitForRenditions() {
    maker().pool.waitForDone();
}

void StopMakingRenditions() {
    Maker& m = maker();
    m.pool.clear();
    {
        std::lock_guard<std::mutex> g(m.lock);
        m.waiting.clear();
    }
    m.pool.waitForDone();
}

} // namespace pictures
