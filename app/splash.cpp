#include "app/splash.h"

#include "ui/guard.h"

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

TfrmSplash::TfrmSplash(const QString& programFolder, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(609, 420);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Quivera"));
    Image1->setGeometry(0, 0, 609, 420);
    Image1->setScaledContents(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    ui::Guarded([&] {
        const QString path = programFolder + QStringLiteral("Content/QIVsplash.bmp");
        QPixmap pic;
        if (!QFile::exists(path) || !pic.load(path))
            throw std::runtime_error(
                QStringLiteral("Cannot open file \"%1\".").arg(path).toStdString());
        Image1->setPixmap(pic);
        // White pixels are transparent: the mask keeps every pixel that is not white.
        setMask(pic.scaled(size()).createMaskFromColor(Qt::white, Qt::MaskInColor));
    });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Timer1->start();
}

void TfrmSplash::Timer1Timer() {
    Timer1->stop();
    close();
}
