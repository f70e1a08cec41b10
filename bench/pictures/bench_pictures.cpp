// Rebuilding the Pictures page from an inventory of large photographs, against the reference
// decoder's own 1/8 scaling (djpeg, one process per file as a script runs it) and against
// decoding every photograph at full size, all three on one thread, in alternating rounds; then
// the program with its worker threads. Prints times, ratios and the goals' verdicts.
//
//   bench_pictures [count]      (default 40 photographs of 4000 x 3000)
#include "bench/bench_support.h"
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "pictures/jpeg_decode.h"
#include "pictures/picture_list.h"
#include "pictures/pictures_page.h"
#include "store/stored_text.h"
#include "tests/support/app_session.h"

#include <QElapsedTimer>
#include <QFile>
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

// A photograph-like picture: smooth colour gradients with fine grain.
QImage photograph(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(24));
            line[x] = qRgb((x * 255 / width + grain + int(seed) * 40) & 255,
                           (y * 255 / height + grain) & 255, ((x + y) / 40 + grain) & 255);
        }
    }
    return image;
}

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

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    testing_support::AppSession session;
    QTemporaryDir dir;

    const int rounds = 5;
    std::printf("writing %d photographs of 4000 x 3000 ...\n", count);
    QStringList files;
    for (int i = 0; i < 4 && i < count; ++i) {
        const QString f =
            dir.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        photograph(4000, 3000, quint32(i)).save(f, "JPG", 90);
        files << f;
    }
    for (int i = int(files.size()); i < count; ++i) {
        const QString f =
            dir.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        QFile::copy(files[i % 4], f);
        files << f;
    }
    std::printf("file size %lld bytes\n", QFile(files[0]).size());
    auto& q = app::State().ADOQuery2;
    for (int i = 0; i < count; ++i)
        q.execute({QStringLiteral("INSERT INTO Inventory"),
                   QStringLiteral("VALUES (") + QString::number(i + 1) +
                       QStringLiteral(", 'Art', 2, 'Paintings', 1, 'Print', 1, 1, 1, 1, '', '") +
                       store::ToStoredText(files[i]) + QStringLiteral("')")});

    // Reading every file once puts all three measurements on the same (cached) footing.
    for (const QString& f : files) {
        QFile file(f);
        if (file.open(QIODevice::ReadOnly)) file.readAll();
    }

    pictures::PictureDList& list = ui::Win().frmMain->tabPictures->PictureList();
    const auto load = [&](long* grown) {
        list.RemoveAllPictures();
        const long before = residentBytes();
        QElapsedTimer t;
        t.start();
        pictures::LoadPictures();
        const double s = seconds(t);
        if (grown) *grown = residentBytes() - before;
        return s;
    };
    QString script = QStringLiteral("for f in");
    for (const QString& f : files)
        script += QStringLiteral(" '") + f + QLatin1Char('\'');
    script += QStringLiteral("; do djpeg -scale 1/8 -outfile /dev/null \"$f\" || exit 1; done");
    bool djpegFailed = false;
    const auto djpeg = [&] {
        QElapsedTimer t;
        t.start();
        if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script}) != 0)
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
    sched_setaffinity(0, sizeof one, &one);
    std::printf("one processor: the program decodes on %d thread(s)\n",
                std::clamp(QThread::idealThreadCount(), 1, 4));
    bench::PrintLoad("before");
    long grown = 0;
    load(&grown); // the first run grows the heap; later runs reuse what it freed
    std::vector<double> loads, djpegs, fulls, toDjpeg, fromFull;
    for (int r = 0; r < rounds; ++r) {
        const double l = load(nullptr), d = djpeg(), f = full();
        loads.push_back(l);
        djpegs.push_back(d);
        fulls.push_back(f);
        toDjpeg.push_back(l / d);
        fromFull.push_back(f / l);
    }
    const pictures::PictureNode* first = list.First;
    const QSize kept = first ? first->Image->pixmap().size() : QSize();
    std::printf("a tile keeps a %d x %d image (%d bytes); resident memory grew %.1f MB for %d "
                "tiles\n",
                kept.width(), kept.height(), kept.width() * kept.height() * 4, double(grown) / 1e6,
                list.count());
    const bench::Spread l = bench::SpreadOf(loads), f = bench::SpreadOf(fulls);
    std::printf("LoadPictures, %d tiles on one thread: median %.3f s; full-size decoding: median "
                "%.3f s\n",
                list.count(), l.median, f.median);
    if (djpegFailed) {
        std::printf("djpeg -scale 1/8: not available\n");
    } else {
        const bench::Spread d = bench::SpreadOf(djpegs), r = bench::SpreadOf(toDjpeg);
        std::printf("thumbnails against djpeg -scale 1/8 (baseline median %.3f s), one thread: "
                    "ratio min %.2f / median %.2f / max %.2f over %d rounds; goal at most %.1f x: "
                    "%s\n",
                    d.median, r.min, r.median, r.max, rounds, kDjpegGoal,
                    bench::Verdict(r.median <= kDjpegGoal));
    }
    const bench::Spread r = bench::SpreadOf(fromFull);
    std::printf("full-size decoding against thumbnails, one thread: full / thumbnails min %.2f / "
                "median %.2f / max %.2f; goal at least %.0f x: %s\n",
                r.min, r.median, r.max, kFullGoal, bench::Verdict(r.median >= kFullGoal));

    // The program as it runs on this machine, with its worker threads: no goal of its own.
    sched_setaffinity(0, sizeof all, &all);
    std::vector<double> many;
    for (int i = 0; i < rounds; ++i)
        many.push_back(load(nullptr));
    std::printf("LoadPictures on %d thread(s): median %.3f s (%.2f x the one-thread median)\n",
                std::clamp(QThread::idealThreadCount(), 1, 4), bench::SpreadOf(many).median,
                bench::SpreadOf(many).median / l.median);
    bench::PrintLoad("after");
    return 0;
}
