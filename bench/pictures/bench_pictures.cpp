// Rebuilding the Pictures page from an inventory of large photographs, against the reference
// decoder's own 1/8 scaling (djpeg, one process per file as a script runs it) and against
// decoding every photograph at full size. Prints times and ratios measured in this one run.
//
//   bench_pictures [count]      (default 200 photographs of 4000 x 3000)
#include "app/common/app_state.h"
#include "app/common/windows.h"
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
#include <cstdio>
#include <unistd.h>

namespace {

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
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    testing_support::AppSession session;
    QTemporaryDir dir;

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
    double load = 1e9;
    long grown = 0;
    for (int run = 0; run < 3; ++run) {
        list.RemoveAllPictures();
        const long before = residentBytes();
        QElapsedTimer t;
        t.start();
        pictures::LoadPictures();
        load = std::min(load, seconds(t));
        if (run == 0) grown = residentBytes() - before; // later runs reuse freed memory
    }
    const pictures::PictureNode* first = list.First;
    const QSize kept = first ? first->Image->pixmap().size() : QSize();
    std::printf("LoadPictures: %d tiles in %.3f s\n", list.count(), load);
    std::printf("a tile keeps a %d x %d image (%d bytes); resident memory grew %.1f MB for %d "
                "tiles\n",
                kept.width(), kept.height(), kept.width() * kept.height() * 4, double(grown) / 1e6,
                list.count());

    QString script = QStringLiteral("for f in");
    for (const QString& f : files)
        script += QStringLiteral(" '") + f + QLatin1Char('\'');
    script += QStringLiteral("; do djpeg -scale 1/8 -outfile /dev/null \"$f\" || exit 1; done");
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script});
    const double djpeg = seconds(t);
    if (rc != 0)
        std::printf("djpeg -scale 1/8: not available (%d)\n", rc);
    else
        std::printf("djpeg -scale 1/8: %.3f s\n", djpeg);

    t.start();
    for (const QString& f : files)
        pictures::DecodeJpeg(f);
    const double full = seconds(t);
    std::printf("full-size decoding: %.3f s\n", full);

    if (rc == 0)
        std::printf("LoadPictures / djpeg -scale 1/8 = %.2f (goal: at most 1.5)\n", load / djpeg);
    std::printf("full-size decoding / LoadPictures = %.2f (goal: at least 5)\n", full / load);
    return 0;
}
