// Draws the pictures of the Content folder, so the repository holds no binary artwork:
//   quivera-mkcontent OUT_DIR
#include "entries/tab_table.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

struct Theme {
    const char* key;
    const char* background; // file name of the watermark
    const char* buttonPrefix;
    QColor tint;
};

const Theme kThemes[] = {
    {"Art", "art.jpg", "Art", QColor(176, 96, 64)},
    {"Bathroom", "bath.jpg", "Bathroom", QColor(64, 144, 176)},
    {"Clothing", "clothes.jpg", "Clothing", QColor(160, 80, 144)},
    {"Electronics", "electronics.jpg", "Electronics", QColor(64, 96, 176)},
    {"Furniture", "furniture.jpg", "Furniture", QColor(144, 104, 56)},
    {"Hobbies", "hobby.jpg", "Hobby", QColor(96, 160, 80)},
    {"Office", "office.jpg", "Office", QColor(96, 112, 128)},
    {"Jewelry", "jewelry.jpg", "Jewelry", QColor(192, 160, 48)},
    {"Kitchen", "kitchen.jpg", "Kitchen", QColor(200, 96, 48)},
    {"Laundry", "laundry.jpg", "Laundry", QColor(80, 152, 192)},
    {"Libraries", "library.jpg", "Libraries", QColor(120, 72, 40)},
    {"Linens", "linens.jpg", "Linens", QColor(176, 144, 192)},
    {"Misc", "miscellaneous2.jpg", "Misc", QColor(128, 128, 96)},
    {"Music", "music.jpg", "Music", QColor(96, 64, 160)},
    {"Outdoors", "outdoors.jpg", "Outdoors", QColor(64, 144, 64)},
    {"Sports", "sports.jpg", "Sports", QColor(200, 64, 64)},
    {"Tools", "tools.jpg", "Tools", QColor(112, 112, 112)},
};

void save(const QImage& image, const QString& path) {
    if (!image.save(path)) throw std::runtime_error(("cannot write " + path).toStdString());
}

// A pale watermark: the tab's caption written large and faint across a soft gradient.
QImage background(const Theme& t, const QString& caption) {
    QImage img(769, 520, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 769, 520);
    g.setColorAt(0, QColor(250, 250, 248));
    g.setColorAt(1, t.tint.lighter(185));
    p.fillRect(img.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Liberation Sans"), 56, QFont::Bold);
    p.setFont(f);
    QColor c = t.tint;
    c.setAlpha(40);
    p.setPen(c);
    p.translate(384, 260);
    p.rotate(-18);
    p.drawText(QRect(-420, -60, 840, 120), Qt::AlignCenter, caption);
    return img;
}

// Button pictures: a small glyph per action in the tab's colour.
QImage buttonPicture(const QColor& tint, const QString& action) {
    QImage img(24, 24, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(tint.darker(130), 3, Qt::SolidLine, Qt::RoundCap));
    if (action == QLatin1String("Add")) {
        p.drawLine(12, 4, 12, 20);
        p.drawLine(4, 12, 20, 12);
    } else if (action == QLatin1String("Remove")) {
        p.drawLine(4, 12, 20, 12);
    } else if (action == QLatin1String("Edit")) {
        p.drawLine(5, 19, 18, 6);
        p.drawLine(4, 20, 8, 20);
    } else { // Browse: a folder
        p.setPen(QPen(tint.darker(130), 2));
        p.setBrush(tint.lighter(150));
        p.drawRect(3, 8, 18, 12);
        p.drawRect(3, 5, 8, 3);
    }
    return img;
}

// Sort indicators: an arrow with one to six dots telling the key's place.
QImage indicator(int place, bool up) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    QPainterPath arrow;
    if (up) {
        arrow.moveTo(8, 2);
        arrow.lineTo(14, 9);
        arrow.lineTo(2, 9);
    } else {
        arrow.moveTo(2, 2);
        arrow.lineTo(14, 2);
        arrow.lineTo(8, 9);
    }
    p.drawPath(arrow);
    for (int i = 0; i < place; ++i)
        p.drawRect(1 + i * 2 + (6 - place), 12, 1, 2);
    return img;
}

QImage splash() {
    QImage img(609, 420, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 420);
    g.setColorAt(0, QColor(36, 74, 120));
    g.setColorAt(1, QColor(84, 140, 190));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRect(10, 10, 589, 400), 28, 28);
    // Pure white is the see-through colour of the splash window: the lettering is a shade off.
    p.setPen(QColor(250, 250, 250));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 54, QFont::Bold));
    p.drawText(QRect(10, 90, 589, 110), Qt::AlignCenter, QStringLiteral("Quivera"));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 16));
    p.drawText(QRect(10, 200, 589, 40), Qt::AlignCenter,
               QStringLiteral("Your home inventory, room by room"));
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 11));
    p.drawText(QRect(10, 350, 589, 30), Qt::AlignCenter, QStringLiteral("v. 1.10"));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quivera-mkcontent OUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    try {
        QDir().mkpath(out);
        save(splash(), out + QStringLiteral("/QIVsplash.bmp"));
        QImage blank(24, 24, QImage::Format_RGB32);
        blank.fill(QColor(240, 240, 240));
        save(blank, out + QStringLiteral("/blnk.bmp"));
        QImage nothing(16, 16, QImage::Format_RGB32);
        nothing.fill(QColor(240, 240, 240));
        save(nothing, out + QStringLiteral("/nthng.bmp"));
        const char* places[] = {"pri", "snd", "thd", "frh", "ffh", "sxh"};
        for (int i = 0; i < 6; ++i) {
            save(indicator(i + 1, true), out + QStringLiteral("/%1up.bmp").arg(places[i]));
            save(indicator(i + 1, false), out + QStringLiteral("/%1dwn.bmp").arg(places[i]));
        }
        const auto& table = entries::TabTable();
        for (int i = 0; i < entries::kTabCount; ++i) {
            const Theme& t = kThemes[i];
            save(background(t, table[i].captionText()), out + QLatin1Char('/') + t.background);
            for (const char* action : {"Browse", "Add", "Remove", "Edit"})
                save(buttonPicture(t.tint, QString::fromLatin1(action)),
                     out + QLatin1Char('/') + t.buttonPrefix + action + ".bmp");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quivera-mkcontent: %s\n", e.what());
        return 1;
    }
    return 0;
}
