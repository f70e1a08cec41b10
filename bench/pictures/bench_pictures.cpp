// Rebuilding the Pictures page from an inventory of large photographs, against the reference
// decoder's own 1/8 scaling (djpeg, one process per file as a script runs it) and against
// decoding every photograph at full size, all three on one thread, in alternating rounds; then
// the program with its worker threads. Prints times, ratios and the goals' verdicts. Each set is
// measured first without renditions (the figures of a first showing, no goal) and then with the
// renditions the program makes in the background after it (the goals are judged there).
//
// Two sets of the same pictures: as the picture library writes them (no EXIF block), and as a
// camera writes them, with the 160 x 120 JPEG thumbnail of the EXIF standard's DCF layout in an
// APP1 block.
//
//   bench_pictures [count]      (default 40 photographs of 4000 x 3000 in each set)
#include "bench/bench_photographs.h"
#include "bench/bench_support.h"
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "pictures/jpeg_decode.h"
#include "pictures/picture_list.h"
#include "pictures/rendition_cache.h"
#include "pictures/pictures_page.h"
#include "store/stored_text.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"

#include <QElapsedTimer>
#include <QFile>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <algorithm>
#include <sched.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kDjpegGoal = 1.2;
constexpr double kFullGoal = 5.0;

long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// The renditions of the program folder's cache, all of them gone.
void dropRenditions() {
    pictures::StopMakingRenditions();
    QDir(pictures::RenditionFolder(app::State().programFolder)).removeRecursively();
}

// Rounds of the program, djpeg -scale 1/8 and full decoding on one processor, the program first
// in even rounds and last in odd ones; per round the ratios to djpeg and from full decoding.
struct Rounds {
    std::vector<double> loads, djpegs, fulls, toDjpeg, fromFull, djpegCeiling;
};

void printRounds(const char* what, const Rounds& rs, int tiles, bool djpegFailed, bool judged) {
    const bench::Spread l = bench::SpreadOf(rs.loads), f = bench::SpreadOf(rs.fulls);
    std::printf("%s: LoadPictures, %d tiles on one thread: median %.3f s; full-size decoding: "
                "median %.3f s\n",
                what, tiles, l.median, f.median);
    const auto verdict = [&](bool pass) { return judged ? bench::Verdict(pass) : "no goal"; };
    if (djpegFailed) {
        std::printf("djpeg -scale 1/8: not available\n");
    } else {
        const bench::Spread d = bench::SpreadOf(rs.djpegs), r = bench::SpreadOf(rs.toDjpeg);
        std::printf("%s: thumbnails against djpeg -scale 1/8 (baseline median %.3f s), one "
                    "thread: ratio min %.3f / median %.3f / max %.3f over %zu rounds; goal at most "
                    "%.1f x: %s\n",
                    what, d.median, r.min, r.median, r.max, rs.toDjpeg.size(), kDjpegGoal,
                    verdict(r.median <= kDjpegGoal));
    }
    const bench::Spread r = bench::SpreadOf(rs.fromFull);
    std::printf("%s: full-size decoding against thumbnails, one thread: full / thumbnails min "
                "%.2f / median %.2f / max %.2f; goal at least %.0f x: %s\n",
                what, r.min, r.median, r.max, kFullGoal, verdict(r.median >= kFullGoal));
}

// One set: interleaved rounds of the program, djpeg and full decoding on one processor, first
// without renditions (as a first showing of the photographs is) and then with them (as every
// later one is), then the program on all processors with its renditions.
void measure(const QStringList& files, const cpu_set_t& one, const cpu_set_t& all) {
    const int rounds = 5;
    // Reading every file once puts all three measurements on the same (cached) footing.
    for (const QString& f : files) {
        QFile file(f);
        if (file.open(QIODevice::ReadOnly)) file.readAll();
    }

    pictures::PictureDList& list = ui::Win().frmMain->tabPictures->PictureList();
    // The program without renditions leaves them to be made in the background: that making is
    // stopped and thrown away after each such round, outside its time.
    bool cold = true;
    const auto load = [&](long* grown) {
        list.RemoveAllPictures();
        if (cold) dropRenditions();
        const long before = residentBytes();
        QElapsedTimer t;
        t.start();
        pictures::LoadPictures();
        const double s = seconds(t);
        if (grown) *grown = residentBytes() - before;
        if (cold) dropRenditions();
        return s;
    };
    const auto scriptFor = [&](const QString& options) {
        QString script = QStringLiteral("for f in");
        for (const QString& f : files)
            script += QStringLiteral(" '") + f + QLatin1Char('\'');
        return script + QStringLiteral("; do djpeg ") + options +
               QStringLiteral(" -outfile /dev/null \"$f\" || exit 1; done");
    };
    const QString script = scriptFor(QStringLiteral("-scale 1/8"));
    const QString wholeScript = scriptFor(QString());
    bool djpegFailed = false;
    const auto run = [&](const QString& text) {
        QElapsedTimer t;
        t.start();
        if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), text}) != 0)
            djpegFailed = true;
        return seconds(t);
    };
    const auto full = [&] {
        QElapsedTimer t;
        t.start();
        for (const QString& f : files)
            pictures::DecodeJpeg(f);
        return seconds(t);
    };
    const auto measureRounds = [&] {
        Rounds rs;
        for (int r = 0; r < rounds; ++r) {
            double l = r % 2 == 0 ? load(nullptr) : 0;
            const double d = run(script), f = full(), w = run(wholeScript);
            if (r % 2 == 1) l = load(nullptr);
            rs.djpegCeiling.push_back(w / d);
            rs.loads.push_back(l);
            rs.djpegs.push_back(d);
            rs.fulls.push_back(f);
            rs.toDjpeg.push_back(l / d);
            rs.fromFull.push_back(f / l);
        }
        return rs;
    };

    sched_setaffinity(0, sizeof one, &one);
    std::printf("one processor: the program decodes on %d thread(s)\n",
                std::clamp(QThread::idealThreadCount(), 1, 4));
    bench::PrintLoad("before");
    long grown = 0;
    load(&grown); // the first run grows the heap; later runs reuse what it freed
    const Rounds first = measureRounds();
    const pictures::PictureNode* node = list.First;
    const QSize kept = node ? node->Image->pixmap().size() : QSize();
    std::printf("a tile keeps a %d x %d image (%d bytes); resident memory grew %.1f MB for %d "
                "tiles\n",
                kept.width(), kept.height(), kept.width() * kept.height() * 4, double(grown) / 1e6,
                list.count());
    printRounds("without renditions", first, list.count(), djpegFailed, false);

    // The renditions as the program makes them after a first showing: in the background.
    QElapsedTimer making;
    making.start();
    pictures::MakeRenditionsLater(app::State().programFolder, files);
    pictures::WaitForRenditions();
    const int made = int(
        QDir(pictures::RenditionFolder(app::State().programFolder)).entryList(QDir::Files).size());
    std::printf("%d renditions made in the background in %.2f s (not part of any round)\n", made,
                seconds(making));
    cold = false;
    const Rounds later = measureRounds();
    printRounds("with renditions", later, list.count(), djpegFailed, true);
    if (!djpegFailed) {
        const bench::Spread c = bench::SpreadOf(later.djpegCeiling);
        std::printf("the reference decoder's own gain from 1/8 scaling, djpeg full / djpeg -scale "
                    "1/8: min %.2f / median %.2f / max %.2f (no goal)\n",
                    c.min, c.median, c.max);
    }

    // The program as it runs on this machine, with its worker threads: no goal of its own.
    sched_setaffinity(0, sizeof all, &all);
    std::vector<double> many;
    for (int i = 0; i < rounds; ++i)
        many.push_back(load(nullptr));
    std::printf("LoadPictures with renditions on %d thread(s): median %.3f s (%.2f x the "
                "one-thread median)\n",
                std::clamp(QThread::idealThreadCount(), 1, 4), bench::SpreadOf(many).median,
                bench::SpreadOf(many).median / bench::SpreadOf(later.loads).median);
    bench::PrintLoad("after");
    dropRenditions();
}

QByteArray encode(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

// Prints the header facts of a JPEG: size, bits a pixel, sampling of the first component.
void describe(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray b = file.readAll();
    int width = 0, height = 0, h = 0, v = 0;
    for (qsizetype i = 2; i + 10 < b.size();) {
        if (uchar(b[i]) != 0xFF) break;
        const int marker = uchar(b[i + 1]);
        const int length = uchar(b[i + 2]) << 8 | uchar(b[i + 3]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            height = uchar(b[i + 5]) << 8 | uchar(b[i + 6]);
            width = uchar(b[i + 7]) << 8 | uchar(b[i + 8]);
            h = uchar(b[i + 11]) >> 4;
            v = uchar(b[i + 11]) & 15;
            break;
        }
        i += 2 + length;
    }
    std::printf("file size %lld bytes, %d x %d, %.2f bits a pixel, luma sampling %dx%d (%s)\n",
                static_cast<long long>(b.size()), width, height,
                width && height ? 8.0 * double(b.size()) / (double(width) * height) : 0.0, h, v,
                h == 2 && v == 2 ? "4:2:0"
                : h == 2         ? "4:2:2"
                                 : "4:4:4");
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    testing_support::AppSession session;
    QTemporaryDir dir;

    std::printf("writing %d photographs of 4000 x 3000 in each set ...\n", count);
    QStringList plain, camera;
    for (int i = 0; i < 4 && i < count; ++i) {
        const QImage image = bench::Photograph(4000, 3000, quint32(i));
        const QByteArray bytes = encode(image, 90);
        const QByteArray thumb =
            encode(image.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 90);
        const auto write = [&](QStringList& files, const char* stem, const QByteArray& data) {
            const QString f = dir.filePath(QStringLiteral("%1%2.jpg")
                                               .arg(QLatin1String(stem))
                                               .arg(i, 3, 10, QLatin1Char('0')));
            QFile out(f);
            if (out.open(QIODevice::WriteOnly)) out.write(data);
            files << f;
        };
        write(plain, "photo", bytes);
        write(camera, "camera", photos::WithExif(bytes, 1, thumb));
    }
    for (QStringList* files : {&plain, &camera})
        for (int i = int(files->size()); i < count; ++i) {
            const QString f =
                QString((*files)[i % 4])
                    .replace(QStringLiteral("%1.jpg").arg(i % 4, 3, 10, QLatin1Char('0')),
                             QStringLiteral("%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
            QFile::copy((*files)[i % 4], f);
            *files << f;
        }
    auto& q = app::State().ADOQuery2;
    for (int i = 0; i < count; ++i)
        q.execute(
            {QStringLiteral("INSERT INTO Inventory"),
             QStringLiteral("VALUES (") + QString::number(i + 1) +
                 QStringLiteral(", 'Art', 2, 'Paintings', 1, 'Print', 1, 1, 1, 1, '', '') ")});

    // The goals compare on one thread: this process, and the djpeg processes it starts, keep to
    // one processor, so the program decodes on the user-interface thread alone.
    cpu_set_t all;
    CPU_ZERO(&all);
    sched_getaffinity(0, sizeof all, &all);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }

    const auto runSet = [&](const char* title, const QStringList& files) {
        std::printf("\n== %s\n", title);
        describe(files[0]);
        for (int i = 0; i < count; ++i)
            q.execute({QStringLiteral("UPDATE Inventory SET Item_Photo_Name = '") +
                       store::ToStoredText(files[i]) + QStringLiteral("' WHERE ID_Number = ") +
                       QString::number(i + 1)});
        measure(files, one, all);
    };
    runSet("as the picture library writes them: no EXIF block", plain);
    runSet("as a camera writes them: EXIF block with a 160 x 120 thumbnail", camera);
    return 0;
}
