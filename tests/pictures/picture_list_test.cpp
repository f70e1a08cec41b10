// The thumbnails of the Pictures page: adding, removing, scrolling, selecting, renumbering and
// rebuilding from the working inventory.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "inventory/inventory_page.h"
#include "pictures/photo_view_window.h"
#include "pictures/picture_grid.h"
#include "pictures/picture_list.h"
#include "pictures/rendition_cache.h"
#include "pictures/pictures_page.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace testing_support;
using pictures::PictureDList;
using pictures::PictureNode;

namespace {

const QString kNotJpeg = QStringLiteral("The photograph file you have requested is invalid.\n"
                                        "Only photographs of .jpg or .jpeg\n"
                                        "format may be loaded.");
const QString kCannotFind =
    QStringLiteral("Quivera!\u2122 cannot find the photograph you requested.\n"
                   "Make sure you have included the file's directory path\n"
                   "and that the name is spelled correctly.");
const QString kSummary =
    QStringLiteral("Errors occured while loading.  Not all pictures were loaded.");

// Where tile `index` stands at scroll `position`: four to a row, 8 from the panel's edges.
QPoint TileAt(int index, int position) {
    return QPoint(8 + (index % 4) * 168, 8 + (index / 4) * 144 - position);
}

struct Session : AppSession {
    pictures::PicturesPage& page() { return *ui::Win().frmMain->tabPictures; }
    PictureDList& list() { return page().PictureList(); }
    QScrollBar& bar() { return *page().sclPictureScroll; }
    QString photo(const QString& name = QStringLiteral("photo.jpg")) {
        const QString path = folder.file(name);
        if (!QFile::exists(path)) photos::Make(path, 320, 240);
        return path;
    }
    void addMany(int n) {
        const QString p = photo();
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(list().AddPicture(p, quint32(i)), 0);
    }
    std::vector<QPoint> tiles() {
        std::vector<QPoint> out;
        for (PictureNode* n = list().First; n; n = n->Next)
            out.push_back(n->Image->BackPanel->pos());
        return out;
    }
    QStringList numbers() {
        QStringList out;
        for (PictureNode* n = list().First; n; n = n->Next)
            out << n->Image->NumberLabel->text();
        return out;
    }
};

} // namespace

TEST(PictureList, AddPictureAcceptsRefusesAndReports) {
    Session s;
    EXPECT_EQ(s.list().AddPicture(QString(), 1), 0);
    EXPECT_TRUE(s.modal.messages.empty());
    EXPECT_EQ(s.list().AddPicture(s.folder.file(QStringLiteral("photo.gif")), 1), 2);
    EXPECT_EQ(s.list().AddPicture(QStringLiteral("jpg"), 1), 2);
    EXPECT_EQ(s.list().AddPicture(s.folder.file(QStringLiteral("photo.jpg.bak")), 1), 2);
    EXPECT_EQ(s.list().AddPicture(s.folder.file(QStringLiteral("gone.JPEG")), 1), 1);
    ASSERT_EQ(s.modal.messages.size(), 4u);
    EXPECT_EQ(s.modal.messages[0].text, kNotJpeg);
    EXPECT_EQ(s.modal.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(s.modal.messages[3].text, kCannotFind);

    // Named and readable like a photograph, but not one: refused, and no tile is left behind.
    QFile bad(s.folder.file(QStringLiteral("bad.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    EXPECT_EQ(s.list().AddPicture(bad.fileName(), 1), pictures::PhotoUndecodable);
    EXPECT_EQ(s.modal.messages.size(), 5u);
    EXPECT_EQ(s.modal.messages.back().caption, QStringLiteral("Error"));
    EXPECT_EQ(s.list().First, nullptr);
    EXPECT_TRUE(s.page().pnlPictures->findChildren<pictures::MyImage*>().isEmpty());
    // The free function the tabs call goes to the same list.
    EXPECT_EQ(pictures::AddPicture(bad.fileName(), 1), pictures::PhotoUndecodable);

    const QString good = s.photo(QStringLiteral("Good Photo.JPEG"));
    EXPECT_EQ(pictures::AddPicture(good, 7), 0);
    ASSERT_NE(s.list().First, nullptr);
    const pictures::MyImage* image = s.list().First->Image;
    EXPECT_EQ(s.list().First->FileName, good);
    EXPECT_EQ(image->NameLabel->text(), QStringLiteral("Good Photo.JPEG"));
    EXPECT_EQ(image->NumberLabel->text(), QStringLiteral("7"));
    EXPECT_EQ(image->NumberLabel->geometry().right() + 1, 162);
    EXPECT_EQ(image->EntryLabel->geometry().right() + 1, image->NumberLabel->x());
    EXPECT_EQ(image->pixmap().size(), QSize(160, 120));
}

TEST(PictureList, LongNameIsClippedWithTheWholeNameAsHint) {
    Session s;
    const QString name = QStringLiteral("a rather long name for a photograph of the hall.jpg");
    ASSERT_EQ(s.list().AddPicture(s.photo(name), 12345), 0);
    const pictures::MyImage* image = s.list().First->Image;
    EXPECT_EQ(image->NameLabel->geometry().right() + 1 + 16, image->EntryLabel->x());
    EXPECT_EQ(image->NameLabel->toolTip(), name);
}

TEST(PictureList, TheThirdRowOpensTheRangeAndAnyRemovalClosesIt) {
    Session s;
    s.addMany(8);
    EXPECT_EQ(s.bar().maximum(), 0);
    // The panel cuts the third row, so it is the first that needs the scroll bar.
    ASSERT_EQ(s.list().AddPicture(s.photo(), 9), 0);
    EXPECT_EQ(s.tiles().back(), QPoint(8, 296));
    EXPECT_EQ(s.bar().maximum(), 144);

    s.bar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.bar().value(), 144);
    EXPECT_EQ(s.tiles().front(), QPoint(8, -136));
    EXPECT_EQ(s.tiles().back(), QPoint(8, 152));

    s.list().RemovePicture(6);
    EXPECT_EQ(s.bar().maximum(), 0);
    EXPECT_EQ(s.bar().value(), 0);
    const auto tiles = s.tiles();
    ASSERT_EQ(tiles.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(tiles[i], TileAt(i, 0)) << i;
    EXPECT_EQ(s.numbers().mid(4, 3), (QStringList{"5", "7", "8"}));
}

TEST(PictureList, EveryTileCanBeScrolledWhollyIntoView) {
    for (int count : {9, 12, 13, 17}) {
        Session s;
        s.addMany(count);
        const QRect visible = s.page().pnlPictures->contentsRect();
        std::vector<bool> seenWhole(std::size_t(count), false);
        s.bar().triggerAction(QAbstractSlider::SliderToMinimum);
        for (;;) {
            const auto tiles = s.tiles();
            for (std::size_t i = 0; i < tiles.size(); ++i)
                if (visible.contains(QRect(tiles[i], QSize(164, 140)))) seenWhole[i] = true;
            if (s.bar().value() >= s.bar().maximum()) break;
            s.bar().triggerAction(QAbstractSlider::SliderSingleStepAdd);
        }
        EXPECT_EQ(std::count(seenWhole.begin(), seenWhole.end(), false), 0) << count;
        EXPECT_EQ(s.bar().value() % 144, 0);
        // At the end, the last row stands second from the top and shows whole.
        EXPECT_EQ(s.tiles().back().y(), 152) << count;
    }
}

TEST(PictureList, SeventeenScrolledToTheBottomShowTheirLastRow) {
    Session s;
    s.addMany(17);
    EXPECT_EQ(s.bar().maximum(), 432);
    s.bar().setSliderPosition(200); // dragging the thumb snaps to whole rows
    EXPECT_EQ(s.bar().value(), 144);
    s.bar().triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.bar().value(), 432);
    EXPECT_EQ(s.tiles().back(), QPoint(8, 8 + 4 * 144 - 432));

    s.list().RemovePicture(2);
    EXPECT_EQ(s.bar().maximum(), 288);
    EXPECT_EQ(s.bar().value(), 288);
    const auto tiles = s.tiles();
    ASSERT_EQ(tiles.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(tiles[i], TileAt(i, 288)) << i;

    s.list().RemoveAllPictures();
    EXPECT_EQ(s.list().First, nullptr);
    EXPECT_EQ(s.list().Last, nullptr);
    EXPECT_EQ(s.bar().maximum(), 0);
}

TEST(PictureList, ClickSelectsAClickAgainDeselectsRemovalDeselects) {
    Session s;
    s.addMany(3);
    PictureNode* second = s.list().First->Next;
    const QColor face = second->Image->BackPanel->palette().color(QPalette::Window);
    QTest::mouseClick(second->Image, Qt::LeftButton);
    EXPECT_EQ(s.list().Selected, second);
    EXPECT_TRUE(s.page().btnViewPic->isEnabled());
    EXPECT_TRUE(s.page().btnGoTo->isEnabled());
    EXPECT_NE(second->Image->BackPanel->palette().color(QPalette::Window), face);

    QTest::mouseClick(s.list().First->Image, Qt::LeftButton);
    EXPECT_EQ(s.list().Selected, s.list().First);
    EXPECT_EQ(second->Image->BackPanel->palette().color(QPalette::Window), face);
    QTest::mouseClick(s.list().First->Image, Qt::LeftButton);
    EXPECT_EQ(s.list().Selected, nullptr);
    EXPECT_FALSE(s.page().btnViewPic->isEnabled());
    EXPECT_FALSE(s.page().btnGoTo->isEnabled());

    // A double click is one click: the tile it lands on ends up selected.
    const QPointF at(5, 5);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                           QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, second->Image->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(second->Image, &e);
    }
    EXPECT_EQ(s.list().Selected, second);

    s.list().SelectPicture(3);
    EXPECT_EQ(s.list().Selected, s.list().Last);
    EXPECT_TRUE(s.page().btnGoTo->isEnabled());
    s.list().RemovePicture(3);
    EXPECT_EQ(s.list().Selected, nullptr);
    EXPECT_FALSE(s.page().btnViewPic->isEnabled());
    s.list().SelectPicture(1);
    s.list().SelectPicture(42); // no such entry: nothing selected
    EXPECT_EQ(s.list().Selected, nullptr);
    EXPECT_FALSE(s.page().btnGoTo->isEnabled());
    EXPECT_FALSE(s.list().First->Image->highlighted());
}

TEST(PictureList, MovesSwapTheNumbersShownButNotTheTiles) {
    Session s;
    s.addMany(6);
    const auto before = s.tiles();
    // The page follows the swaps the entry store announces.
    auto& changes = app::State().Changes;
    emit changes.entriesSwapped(5, 4);
    EXPECT_EQ(s.numbers(), (QStringList{"1", "2", "3", "5", "4", "6"}));
    emit changes.entriesSwapped(6, 7); // no entry 7: only the one number changes
    EXPECT_EQ(s.numbers(), (QStringList{"1", "2", "3", "5", "4", "7"}));
    emit changes.entriesSwapped(0, -1);
    emit changes.entriesSwapped(1, 0);
    EXPECT_EQ(s.numbers(), (QStringList{"0", "2", "3", "5", "4", "7"}));
    EXPECT_EQ(s.tiles(), before);
    // The number stays right-aligned when it gets wider.
    ASSERT_EQ(s.list().AddPicture(s.photo(), 9), 0);
    s.list().NumberDown(9);
    EXPECT_EQ(s.numbers().back(), QStringLiteral("10"));
    for (PictureNode* n = s.list().First; n; n = n->Next)
        EXPECT_EQ(n->Image->NumberLabel->geometry().right() + 1, 162);
}

TEST(PictureList, LoadPicturesRebuildsInOrderWithOneSummaryMessage) {
    Session s;
    const QString odd = s.folder.file(QStringLiteral("Bob's: shots/"));
    ASSERT_TRUE(QDir().mkpath(odd));
    photos::AddEntry(1, s.photo(QStringLiteral("one.jpg")));
    photos::AddEntry(2, s.folder.file(QStringLiteral("deleted.jpg")));
    photos::AddEntry(3, QString());
    photos::AddEntry(4, s.folder.file(QStringLiteral("picture.gif")));
    photos::AddEntry(5, photos::Make(odd + QStringLiteral("five.jpg"), 200, 150));
    QFile bad(s.folder.file(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("garbage");
    bad.close();
    photos::AddEntry(6, bad.fileName());
    photos::AddEntry(7, s.photo(QStringLiteral("seven.jpg")));
    EXPECT_NE(s.userValue(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE Item_Photo_Name "
                                         "LIKE '%Bob") +
                          QChar(0xF0D9) + QStringLiteral("s%'")),
              0);

    app::State().Changes.announcePicturesChanged();
    EXPECT_EQ(s.numbers(), (QStringList{"1", "5", "7"}));
    EXPECT_EQ(s.list().First->Next->FileName, odd + QStringLiteral("five.jpg"));
    ASSERT_EQ(s.modal.messages.size(), 1u);
    EXPECT_EQ(s.modal.messages[0].text, kSummary);
    EXPECT_EQ(s.modal.messages[0].caption, QStringLiteral("Error"));
    EXPECT_FALSE(s.list().Loading);
    // After the load, refusals are reported one by one again.
    EXPECT_EQ(s.list().AddPicture(QStringLiteral("x.gif"), 9), 2);
    EXPECT_EQ(s.modal.messages.size(), 2u);

    s.modal.messages.clear();
    app::State().ADOQuery2.execute(
        {QStringLiteral("DELETE FROM Inventory"), QStringLiteral("WHERE ID_Number IN (2, 4, 6)")});
    app::State().Changes.announcePicturesChanged();
    EXPECT_EQ(s.numbers(), (QStringList{"1", "5", "7"}));
    EXPECT_TRUE(s.modal.messages.empty());
}

TEST(PictureList, TilesShownWithoutARenditionHaveOneMadeInTheBackground) {
    Session s;
    const QString big = photos::Make(s.folder.file(QStringLiteral("big.jpg")), 1600, 1200);
    const QString small = s.photo(QStringLiteral("small.jpg"));
    photos::AddEntry(1, big);
    photos::AddEntry(2, small);
    photos::AddEntry(3, big);
    const pictures::RenditionCache cache(app::State().programFolder);
    const QDir folder(pictures::RenditionFolder(app::State().programFolder));
    // A rebuild (as after a restore, an import or an opened inventory) asks for them.
    app::State().Changes.announcePicturesChanged();
    EXPECT_EQ(s.numbers(), (QStringList{"1", "2", "3"}));
    pictures::WaitForRenditions();
    EXPECT_EQ(folder.entryList(QDir::Files),
              QStringList{QFileInfo(cache.renditionFile(big)).fileName()});
    EXPECT_TRUE(cache.tile(big).fromRendition);
    // So does a photograph set for an entry; a small one takes none.
    const QString other = photos::Make(s.folder.file(QStringLiteral("other.jpg")), 1200, 1600);
    ASSERT_EQ(s.list().AddPicture(other, 4), 0);
    pictures::WaitForRenditions();
    EXPECT_TRUE(QFileInfo::exists(cache.renditionFile(other)));
    EXPECT_EQ(folder.entryList(QDir::Files).size(), 2);
}

TEST(PictureList, ViewAndGoToActOnTheSelectedEntry) {
    Session s;
    photos::AddEntry(1, s.photo(QStringLiteral("one.jpg")));
    photos::AddEntry(2, s.photo(QStringLiteral("two.jpg")));
    app::State().IDCounter = 2;
    app::State().Changes.announcePicturesChanged();
    s.list().SelectPicture(2);
    QString shown;
    s.modal.onNextDialog([&](QDialog& d) {
        shown = static_cast<TfrmPhotoView&>(d).lblName->text();
        return int(QDialog::Accepted);
    });
    s.page().btnViewPic->click();
    EXPECT_EQ(s.modal.dialogsShown, QStringList{QStringLiteral("frmPhotoView")});
    EXPECT_EQ(shown, QStringLiteral("two.jpg"));
    s.main().tabMain->setCurrentWidget(&s.page());
    s.page().btnGoTo->click();
    EXPECT_EQ(s.main().tabMain->currentWidget(), s.main().tabInventory);
    EXPECT_EQ(s.main().tabInventory->SelectedEntryId(), 2);
}

// The page as a user sees it after an inventory with six photographs was opened and one of them
// clicked. With QUIVERA_SCREENSHOT set (and a real display, e.g. under xvfb-run) the window is
// saved there.
TEST(PicturesPage, SixPhotographsOneSelected) {
    Session s;
    const QRgb colours[] = {qRgb(200, 40, 40),  qRgb(40, 160, 60),  qRgb(40, 80, 200),
                            qRgb(220, 180, 40), qRgb(140, 60, 170), qRgb(40, 170, 170)};
    const char* names[] = {"living room sofa.jpg",
                           "kitchen.jpg",
                           "grandfather clock.jpg",
                           "bicycle.jpeg",
                           "a very long name of the dining table.jpg",
                           "tv.jpg"};
    for (int i = 0; i < 6; ++i)
        photos::AddEntry(i + 1, photos::Make(s.folder.file(QString::fromLatin1(names[i])), 640, 480,
                                             colours[i]));
    app::State().Changes.announcePicturesChanged();
    auto& main = s.main();
    main.tabMain->setCurrentWidget(&s.page());
    QTest::mouseClick(s.list().First->Next->Next->Image, Qt::LeftButton);
    EXPECT_EQ(s.list().count(), 6);
    EXPECT_EQ(s.list().Selected->EntryNumber, 3u);
    EXPECT_TRUE(s.page().btnViewPic->isEnabled());
    EXPECT_FALSE(s.list().First->Image->BackPanel->isHidden());
    const QByteArray shot = qgetenv("QUIVERA_SCREENSHOT");
    if (!shot.isEmpty()) {
        main.raise();
        QTest::qWait(300);
        EXPECT_TRUE(main.grab().save(QString::fromLocal8Bit(shot)));
    }
}
