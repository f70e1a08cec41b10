// Shows the windows a user sees most and saves a picture of each, as the screen shows it:
//   quivera-screenshots OUT_DIR
// Run under an X server (scripts/screenshots.sh starts one with xvfb-run); it works in a fresh
// temporary program folder with a few entries and thirteen photographs of its own.
#include "exchange/dialogs/export_dialog.h"
#include "report/report_dialog.h"
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/splash.h"
#include "backup/backup_dialog.h"
#include "backup/restore_dialog.h"
#include "help/index_window.h"
#include "inventory/inventory_page.h"
#include "inventory/print_dialog.h"
#include "pictures/pictures_page.h"
#include "store/stored_text.h"
#include "tests/support/app_session.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

namespace {

QString outDir;
int failures = 0;

// What the screen shows in the window's rectangle, with a margin around it: masks and anything
// drawn outside the widget's own painting show as they would to a user.
void shoot(QWidget* w, const QString& name, int margin = 0) {
    QApplication::processEvents();
    QTest::qWait(400);
    const QRect r = w->frameGeometry().adjusted(-margin, -margin, margin, margin);
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const QString path = outDir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void show(QWidget* w) {
    w->show();
    w->raise();
    if (!QTest::qWaitForWindowExposed(w)) {
        std::fprintf(stderr, "%s was not shown\n", qPrintable(w->objectName()));
        ++failures;
    }
}

QString photo(const QString& folder, int n) {
    const QString path = folder + QStringLiteral("photo %1 of the hall cupboard.jpg").arg(n);
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((n * 27) % 360, 140, 220));
    QPainter p(&image);
    p.setPen(Qt::black);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(200);
    p.setFont(f);
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(n));
    p.end();
    image.save(path, "JPG", 85);
    return path;
}

void addEntries(const QString& folder, int count) {
    auto& q = app::State().ADOQuery2;
    const char* items[] = {"Frying Pan", "Oil Painting", "Cordless Drill", "Armchair"};
    const char* subs[] = {"Kitchen", "Art", "Tools", "Furniture"};
    const char* categories[] = {"Cookware", "Paintings", "Power Tools", "Living Room"};
    for (int id = 1; id <= count; ++id) {
        const int k = (id - 1) % 4;
        q.execute({QStringLiteral("INSERT INTO Inventory VALUES (%1, '%2', 1, '%3', 1, '%4', 1, "
                                  "%5, 12.5, %6, 'Good', '%7')")
                       .arg(id)
                       .arg(QString::fromLatin1(subs[k]), QString::fromLatin1(categories[k]),
                            store::ToStoredText(QString::fromLatin1(items[k])))
                       .arg(1 + id % 3)
                       .arg(12.5 * (1 + id % 3))
                       .arg(store::ToStoredText(photo(folder, id)))});
    }
    app::State().IDCounter = count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quivera-screenshots OUT_DIR\n");
        return 2;
    }
    QApplication application(argc, argv);
    outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(outDir);
    testing_support::AppSession run;
    TfrmMain& main = run.main();
    main.move(10, 10);
    show(&main);

    // The splash over the main window's corner and the empty screen.
    QWidget* splash = ui::Win().frmSplash;
    show(splash);
    shoot(splash, QStringLiteral("splash"), 24);
    splash->hide();

    addEntries(run.folder.path(), 13);
    app::State().Changes.announceReloaded();

    // The Inventory tab, sorted by item and then by ID, so one indicator shows each state.
    main.tabMain->setCurrentWidget(main.tabInventory);
    main.tabInventory->btnInventoryItem->click();
    show(&main);
    shoot(&main, QStringLiteral("inventory_tab"));

    TdlgQIVPrint* print = ui::Win().dlgQIVPrint;
    print->FormShow();
    print->move(main.pos() + QPoint(220, 200));
    show(print);
    shoot(print, QStringLiteral("print_dialog"), 8);
    print->hide();

    main.tabMain->setCurrentWidget(main.tabPictures);
    main.tabPictures->sclPictureScroll->triggerAction(QAbstractSlider::SliderToMaximum);
    shoot(&main, QStringLiteral("pictures_tab_end"));

    TfrmIndex* index = ui::Win().frmIndex;
    index->move(main.pos() + QPoint(8, 8));
    show(index);
    shoot(index, QStringLiteral("item_index"));
    index->hide();

    // The backup and restore dialogs as File menu opens them (drive list and folder tree filled).
    TdlgBackup* backup = ui::Win().dlgBackup;
    backup->FormShow();
    backup->move(main.pos() + QPoint(120, 80));
    show(backup);
    shoot(backup, QStringLiteral("backup_dialog"), 8);
    backup->hide();
    TdlgRestore* restore = ui::Win().dlgRestore;
    restore->move(main.pos() + QPoint(120, 80));
    show(restore);
    shoot(restore, QStringLiteral("restore_dialog"), 8);
    restore->hide();

    // The insurance report and export dialogs, as new as the File menu makes them.
    TdlgInsuranceReport report(&main);
    report.move(main.pos() + QPoint(120, 80));
    show(&report);
    shoot(&report, QStringLiteral("report_dialog"), 8);
    report.hide();
    exchange::TdlgExport exportDialog(&main);
    exportDialog.move(main.pos() + QPoint(120, 80));
    show(&exportDialog);
    shoot(&exportDialog, QStringLiteral("export_dialog"), 8);
    exportDialog.hide();
    return failures == 0 ? 0 : 1;
}
