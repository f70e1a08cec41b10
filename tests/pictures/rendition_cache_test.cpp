// Renditions: made once and read instead of the photograph, never stale, upright once, replaced
// when damaged, skipped where they cannot be written or are not worth it, and made safely by
// several threads at once.
#include "pictures/rendition_cache.h"
#include "tests/pictures/photos.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace pictures;

namespace {

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

const QRgb kRed = qRgb(200, 30, 30);
const QRgb kBlue = qRgb(30, 30, 200);
const QRgb kWhite = qRgb(255, 255, 255);

// A program folder with a photograph of 1600 x 1200 (coloured left half, white right half).
struct Folder {
    QTemporaryDir dir;
    QString program = dir.path() + QLatin1Char('/');
    RenditionCache cache{program};
    QString photo(int width = 1600, int height = 1200, QRgb colour = kRed,
                  const QString& name = QStringLiteral("photo.jpg")) {
        return photos::Make(dir.filePath(name), width, height, colour);
    }
    QStringList cacheFiles() const {
        return QDir(RenditionFolder(program)).entryList(QDir::Files | QDir::Hidden);
    }
};

// The left and right halves of a picture fitted from a photograph made by photos::Make.
void expectHalves(const QImage& image, QRgb colour) {
    ASSERT_FALSE(image.isNull());
    const int y = image.height() / 2;
    EXPECT_TRUE(near(image.pixel(image.width() / 8, y), colour));
    EXPECT_TRUE(near(image.pixel(image.width() * 7 / 8, y), kWhite));
}

void setModified(const QString& path, const timespec& when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

timespec modified(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

} // namespace

TEST(RenditionSize, FitsTheReportBoxAndCoversATileOnlyLargerPhotographsTakeOne) {
    EXPECT_EQ(RenditionSize({4000, 3000}), QSize(472, 354));
    EXPECT_EQ(RenditionSize({6000, 4000}), QSize(472, 315));
    EXPECT_EQ(RenditionSize({3000, 4000}), QSize(266, 354));
    // A panorama stays at least a tile high, a tall strip a tile wide.
    EXPECT_EQ(RenditionSize({8000, 1000}), QSize(960, 120));
    EXPECT_EQ(RenditionSize({500, 5000}), QSize(160, 1600));
    EXPECT_TRUE(TakesARendition({800, 600}));
    EXPECT_FALSE(TakesARendition({472, 354}));
    EXPECT_TRUE(TakesARendition({480, 360}));
    EXPECT_FALSE(TakesARendition({400, 300}));
    EXPECT_FALSE(TakesARendition({8000, 110}));
    // Renditions live in the program folder's cache, never among the pictures a backup copies.
    EXPECT_EQ(RenditionFolder("/home/u/quivera/"), "/home/u/quivera/Cache/Photographs/");
}

TEST(RenditionCache, MadeOnTheFirstLoadAndReadInsteadOfThePhotographAfterwards) {
    Folder f;
    const QString photo = f.photo();
    RenditionLoad first = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_FALSE(first.fromRendition);
    EXPECT_TRUE(first.wroteRendition);
    EXPECT_EQ(first.picture.image.size(), QSize(472, 354));
    expectHalves(first.picture.image, kRed);
    const QString file = f.cache.renditionFile(photo);
    ASSERT_TRUE(file.startsWith(RenditionFolder(f.program)));
    EXPECT_EQ(f.cacheFiles(), QStringList{QFileInfo(file).fileName()});
    // The file is a JPEG of the rendition's size that any decoder reads.
    const Decoded stored = DecodeJpeg(file);
    EXPECT_EQ(stored.image.size(), QSize(472, 354));
    expectHalves(stored.image, kRed);

    RenditionLoad second = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_TRUE(second.fromRendition);
    EXPECT_FALSE(second.wroteRendition);
    EXPECT_EQ(second.picture.image.size(), QSize(472, 354));
    EXPECT_EQ(second.picture.decodedSize, QSize(472, 354)); // at full scale: no smoothing
    expectHalves(second.picture.image, kRed);
    // A smaller box reads the rendition at a reduced scale; a tile at three eighths.
    const RenditionLoad small = f.cache.load(photo, 300, 300);
    EXPECT_TRUE(small.fromRendition);
    EXPECT_EQ(small.picture.image.size(), QSize(300, 225));
    EXPECT_EQ(small.picture.decodedSize, QSize(354, 266));
    const RenditionLoad tile = f.cache.tile(photo);
    EXPECT_TRUE(tile.fromRendition);
    EXPECT_FALSE(tile.renditionMissing);
    EXPECT_EQ(tile.picture.image.size(), QSize(kThumbWidth, kThumbHeight));
    EXPECT_EQ(tile.picture.decodedSize, QSize(177, 133));
    expectHalves(tile.picture.image, kRed);
    // A box larger than the rendition takes the photograph itself, and leaves the rendition be.
    const RenditionLoad large = f.cache.load(photo, 1200, 1200);
    EXPECT_FALSE(large.fromRendition);
    EXPECT_FALSE(large.wroteRendition);
    EXPECT_EQ(large.picture.image.size(), QSize(1200, 900));
    EXPECT_EQ(f.cacheFiles().size(), 1);
}

TEST(RenditionCache, AChangedPhotographNeverShowsTheOldRendition) {
    Folder f;
    const QString photo = f.photo();
    {
        QFile pad(photo); // room for a repainted one of the same length (decoders stop at the end)
        ASSERT_TRUE(pad.open(QIODevice::Append));
        pad.write(QByteArray(8192, '\0'));
    }
    ASSERT_TRUE(f.cache.make(photo));
    const QString old = f.cache.renditionFile(photo);
    ASSERT_TRUE(QFileInfo::exists(old));

    // Painted over in place: another colour, of the very same length and modification time.
    const timespec when = modified(photo);
    const qint64 length = QFileInfo(photo).size();
    QFile blue(f.photo(1600, 1200, kBlue, QStringLiteral("blue.jpg")));
    ASSERT_TRUE(blue.open(QIODevice::ReadOnly));
    QByteArray bytes = blue.readAll();
    ASSERT_LT(bytes.size(), length);
    bytes += QByteArray(length - bytes.size(), '\0');
    QFile out(photo);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    setModified(photo, when);
    ASSERT_EQ(QFileInfo(photo).size(), length);
    ASSERT_EQ(modified(photo).tv_nsec, when.tv_nsec);
    RenditionLoad changed = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_FALSE(changed.fromRendition);
    EXPECT_TRUE(changed.wroteRendition);
    expectHalves(changed.picture.image, kBlue);
    EXPECT_NE(f.cache.renditionFile(photo), old);
    expectHalves(f.cache.tile(photo).picture.image, kBlue);

    // Replaced by another file under the same name, and touched to a new time.
    ASSERT_TRUE(QFile::remove(photo));
    ASSERT_TRUE(QFile::rename(f.photo(1600, 1200, qRgb(30, 200, 30), "green.jpg"), photo));
    RenditionLoad replaced = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_FALSE(replaced.fromRendition);
    expectHalves(replaced.picture.image, qRgb(30, 200, 30));
    setModified(photo, timespec{when.tv_sec + 60, 5});
    replaced = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_FALSE(replaced.fromRendition);
    expectHalves(replaced.picture.image, qRgb(30, 200, 30));
    EXPECT_TRUE(f.cache.load(photo, kRenditionWidth, kRenditionHeight).fromRendition);
}

TEST(RenditionCache, TheOrientationIsAppliedOnceTheRenditionIsStoredUpright) {
    Folder f;
    // 1600 x 800 stored, turned by its EXIF block: 800 x 1600 upright, its coloured half on top.
    QFile plain(f.photo(1600, 800));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    const QString turned = f.dir.filePath(QStringLiteral("turned.jpg"));
    QFile out(turned);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(photos::WithOrientation(plain.readAll(), 6));
    out.close();
    const auto upright = [](const QImage& image) {
        ASSERT_EQ(image.size(), QSize(177, 354));
        EXPECT_TRUE(near(image.pixel(88, 40), kRed));
        EXPECT_TRUE(near(image.pixel(88, 313), kWhite));
    };
    const RenditionLoad first = f.cache.load(turned, kRenditionWidth, kRenditionHeight);
    EXPECT_TRUE(first.wroteRendition);
    upright(first.picture.image);
    const RenditionLoad second = f.cache.load(turned, kRenditionWidth, kRenditionHeight);
    EXPECT_TRUE(second.fromRendition);
    upright(second.picture.image);
    upright(DecodeJpeg(f.cache.renditionFile(turned)).image);
    const QImage tile = f.cache.tile(turned).picture.image;
    EXPECT_TRUE(near(tile.pixel(80, 10), kRed));
    EXPECT_TRUE(near(tile.pixel(80, 110), kWhite));
}

TEST(RenditionCache, ADamagedRenditionIsNeverShownAndIsReplaced) {
    Folder f;
    const QString photo = f.photo();
    ASSERT_TRUE(f.cache.make(photo));
    const QString file = f.cache.renditionFile(photo);
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray whole = in.readAll();
    in.close();
    // Cut short, one byte changed in the picture data, another file's bytes, empty.
    QByteArray flipped = whole;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x55);
    QFile other(f.photo(800, 600, kBlue, QStringLiteral("other.jpg")));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    for (const QByteArray& damaged :
         {whole.left(whole.size() * 2 / 3), flipped, other.readAll(), QByteArray()}) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(damaged);
        out.close();
        for (bool asTile : {true, false}) {
            const RenditionLoad l = asTile ? f.cache.tile(photo)
                                           : f.cache.load(photo, kRenditionWidth, kRenditionHeight);
            EXPECT_FALSE(l.fromRendition);
            expectHalves(l.picture.image, kRed);
            // A tile leaves the making to the background; a load writes it at once.
            EXPECT_EQ(l.renditionMissing, asTile);
            EXPECT_EQ(l.wroteRendition, !asTile);
        }
        const RenditionLoad again = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
        EXPECT_TRUE(again.fromRendition);
        expectHalves(again.picture.image, kRed);
    }
    EXPECT_EQ(f.cacheFiles().size(), 1);
}

TEST(RenditionCache, AFolderThatCannotBeWrittenStillGivesThePicture) {
    Folder f;
    const QString photo = f.photo();
    // The cache folder cannot be made: a file stands where it would go.
    QFile blocker(f.dir.filePath(QStringLiteral("Cache")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (int i = 0; i < 2; ++i) {
        const RenditionLoad l = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
        EXPECT_FALSE(l.fromRendition);
        EXPECT_FALSE(l.wroteRendition);
        EXPECT_EQ(l.picture.image.size(), QSize(472, 354));
        expectHalves(l.picture.image, kRed);
        expectHalves(f.cache.tile(photo).picture.image, kRed);
    }
    EXPECT_FALSE(f.cache.make(photo));
    // No program folder: no cache, the same pictures.
    const RenditionCache none{QString()};
    EXPECT_EQ(none.load(photo, 100, 100).picture.image.size(), QSize(100, 75));
    EXPECT_EQ(none.tile(photo).picture.image.size(), QSize(kThumbWidth, kThumbHeight));
    EXPECT_TRUE(none.renditionFile(photo).isEmpty());
    // A missing or foreign photograph fails as decoding it would, with a message.
    for (const QString& bad : {f.dir.filePath("missing.jpg"), f.dir.filePath("Cache")}) {
        EXPECT_TRUE(f.cache.load(bad, 100, 100).picture.image.isNull());
        EXPECT_FALSE(f.cache.load(bad, 100, 100).picture.error.isEmpty());
        EXPECT_FALSE(f.cache.tile(bad).picture.error.isEmpty());
        EXPECT_FALSE(f.cache.make(bad));
    }
}

TEST(RenditionCache, ASmallPhotographHasNone) {
    Folder f;
    const QString photo = f.photo(400, 300);
    const RenditionLoad l = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_EQ(l.picture.image.size(), QSize(400, 300)); // not enlarged
    EXPECT_FALSE(l.wroteRendition);
    const RenditionLoad tile = f.cache.tile(photo);
    EXPECT_FALSE(tile.renditionMissing);
    EXPECT_EQ(tile.picture.image.size(), QSize(kThumbWidth, kThumbHeight));
    EXPECT_TRUE(f.cache.make(photo)); // nothing to make
    EXPECT_TRUE(f.cacheFiles().isEmpty());
}

TEST(RenditionCache, ACamerasThumbnailMakesTheTileAndTheRenditionIsStillAskedFor) {
    Folder f;
    QFile plain(f.photo());
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    QImage thumb(160, 120, QImage::Format_RGB32);
    thumb.fill(kBlue);
    const QString thumbFile = f.dir.filePath("thumb.jpg");
    ASSERT_TRUE(thumb.save(thumbFile, "JPG", 90));
    QFile thumbIn(thumbFile);
    ASSERT_TRUE(thumbIn.open(QIODevice::ReadOnly));
    const QString camera = f.dir.filePath("camera.jpg");
    QFile out(camera);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(photos::WithExif(plain.readAll(), 1, thumbIn.readAll()));
    out.close();
    RenditionLoad tile = f.cache.tile(camera);
    EXPECT_TRUE(near(tile.picture.image.pixel(140, 60), kBlue)); // the camera's own
    EXPECT_TRUE(tile.renditionMissing);
    MakeRenditionsLater(f.program, {camera, camera});
    WaitForRenditions();
    tile = f.cache.tile(camera);
    EXPECT_FALSE(tile.renditionMissing);
    EXPECT_TRUE(near(tile.picture.image.pixel(140, 60), kBlue));
    const RenditionLoad l = f.cache.load(camera, kRenditionWidth, kRenditionHeight);
    EXPECT_TRUE(l.fromRendition);
    expectHalves(l.picture.image, kRed);
    EXPECT_EQ(f.cacheFiles().size(), 1);
}

TEST(RenditionCache, SeveralThreadsLoadingOnePhotographAgreeAndLeaveOneWholeFile) {
    Folder f;
    const QString photo = f.photo(2000, 1500);
    // Report workers loading it while the background makes it and a picker's choice asks again.
    std::vector<QImage> images(6);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < images.size(); ++i)
        threads.emplace_back([&, i] {
            if (i % 3 == 0) f.cache.make(photo);
            images[i] = f.cache.load(photo, kRenditionWidth, kRenditionHeight).picture.image;
        });
    MakeRenditionsLater(f.program, {photo});
    for (std::thread& t : threads)
        t.join();
    WaitForRenditions();
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].size(), QSize(472, 354)) << i;
        expectHalves(images[i], kRed);
    }
    EXPECT_EQ(f.cacheFiles(), QStringList{QFileInfo(f.cache.renditionFile(photo)).fileName()});
    const RenditionLoad after = f.cache.load(photo, kRenditionWidth, kRenditionHeight);
    EXPECT_TRUE(after.fromRendition);
    expectHalves(after.picture.image, kRed);
}

TEST(RenditionCache, NothingIsWrittenOnceTheMakingIsStopped) {
    Folder f;
    QStringList many;
    const QString first = f.photo(2400, 1800);
    for (int i = 0; i < 24; ++i) {
        const QString name = f.dir.filePath(QStringLiteral("copy%1.jpg").arg(i));
        ASSERT_TRUE(QFile::copy(first, name));
        many << name;
    }
    MakeRenditionsLater(f.program, many);
    StopMakingRenditions(); // as a run ends: those waiting are dropped, the ones under way finish
    const QStringList stopped = f.cacheFiles();
    EXPECT_LT(stopped.size(), many.size());
    for (const QString& name : stopped)
        EXPECT_TRUE(name.endsWith(QStringLiteral(".jpg"))) << name.toStdString(); // no part file
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(f.cacheFiles(), stopped);
    // Asked again, every one is made.
    MakeRenditionsLater(f.program, many);
    WaitForRenditions();
    EXPECT_EQ(f.cacheFiles().size(), many.size());
}
