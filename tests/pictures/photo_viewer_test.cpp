// The photo viewer: where the picture and its scroll bars go, and what it shows for an entry.
#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "inventory/inventory_page.h"
#include "pictures/pictures_page.h"
#include "pictures/photo_view_window.h"
#include "pictures/picture_list.h"
#include "pictures/viewer_layout.h"
#include "tests/pictures/photos.h"
#include "tests/support/app_session.h"

#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

using namespace testing_support;
using pictures::LayOutPicture;
using pictures::ViewerLayout;

namespace {

// The initial window: client 635 x 450, corner square at 617, 400 after the first resize.
const QRect kCorner(617, 400, 18, 17);
const QRect kHBar(0, 400, 616, 16);
const QRect kVBar(616, 25, 17, 376);

} // namespace

TEST(ViewerLayout, FrameFollowsTheClientArea) {
    const auto f = pictures::LayOutFrame(635, 450, QRect(560, 424, 75, 25), QRect(472, 424, 83, 25),
                                         QRect(392, 424, 75, 25), QRect(616, 400, 18, 17));
    EXPECT_EQ(f.close, QRect(556, 421, 75, 25));
    EXPECT_EQ(f.rename, QRect(382, 421, 75, 25));
    EXPECT_EQ(f.corner, kCorner);
}

TEST(ViewerLayout, FourCases) {
    ViewerLayout l = LayOutPicture(kCorner, kHBar, kVBar, 400, 300);
    EXPECT_EQ(l.kind, ViewerLayout::Fits);
    EXPECT_EQ(l.panel, QRect(1, 25, 400, 300));
    EXPECT_EQ(l.bevel, QRect(0, 24, 402, 302));
    EXPECT_FALSE(l.hVisible || l.vVisible || l.cornerVisible);
    EXPECT_EQ(l.hMax + l.vMax, 0);
    EXPECT_EQ(LayOutPicture(kCorner, kHBar, kVBar, 633, 390).kind, ViewerLayout::Fits);

    l = LayOutPicture(kCorner, kHBar, kVBar, 2000, 300);
    EXPECT_EQ(l.kind, ViewerLayout::HorizontalBar);
    EXPECT_TRUE(l.hVisible);
    EXPECT_FALSE(l.vVisible || l.cornerVisible);
    EXPECT_EQ(l.panel.size(), QSize(633, 300));
    EXPECT_EQ(l.hBar, QRect(0, 302 + 24, 634, 16));
    EXPECT_EQ(l.hMax, 2000 - 633);
    EXPECT_EQ(l.hPage, 633);

    l = LayOutPicture(kCorner, kHBar, kVBar, 500, 2000);
    EXPECT_EQ(l.kind, ViewerLayout::VerticalBar);
    EXPECT_TRUE(l.vVisible);
    EXPECT_FALSE(l.hVisible || l.cornerVisible);
    EXPECT_EQ(l.panel.size(), QSize(500, 392));
    EXPECT_EQ(l.vBar, QRect(501, 25, 17, 392)); // just right of the frame
    EXPECT_EQ(l.vMax, 2000 - 392);
    EXPECT_EQ(l.vPage, 392);

    l = LayOutPicture(kCorner, kHBar, kVBar, 2000, 2000);
    EXPECT_EQ(l.kind, ViewerLayout::BothBars);
    EXPECT_TRUE(l.hVisible && l.vVisible && l.cornerVisible);
    EXPECT_EQ(l.panel.size(), QSize(618, 376));
    EXPECT_EQ(l.hBar, QRect(0, 400, 618, 16));
    EXPECT_EQ(l.vBar, QRect(617, 25, 17, 376));
    EXPECT_EQ(l.hMax, 2000 - 618);
    EXPECT_EQ(l.hPage, 618);
    EXPECT_EQ(l.vMax, 2000 - 376);
    EXPECT_EQ(l.vPage, 376);
    // A picture as tall as the area is not scrolled.
    EXPECT_EQ(LayOutPicture(kCorner, kHBar, kVBar, 500, 392).vMax, 0);
}

namespace {

struct Viewer : AppSession {
    TfrmPhotoView& view() { return *ui::Win().frmPhotoView; }
    // Shows entry n and runs `check` while the viewer is up.
    // Returns what the viewer hands back: the entry Go To Item chose, or 0.
    quint32 show(quint32 n, const std::function<void(TfrmPhotoView&)>& check) {
        modal.onNextDialog([&](QDialog& d) {
            auto& w = static_cast<TfrmPhotoView&>(d);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !w.PhotoPending(); }, 10000));
            check(w);
            return int(QDialog::Accepted);
        });
        return view().Execute(n);
    }
};

} // namespace

TEST(PhotoViewer, ShowsThePhotoAndScrollsAndEnlargingHidesTheBars) {
    Viewer v;
    photos::AddEntry(1, photos::Make(v.folder.file(QStringLiteral("wide.jpg")), 2000, 300));
    v.show(1, [](TfrmPhotoView& w) {
        w.show(); // resizing a shown window runs its layout at once
        EXPECT_EQ(w.lblID->text(), QStringLiteral("1"));
        EXPECT_EQ(w.lblName->text(), QStringLiteral("wide.jpg"));
        EXPECT_EQ(w.PhotoFolder.size() + w.PhotoName.size(), w.PhotoFile.size());
        EXPECT_EQ(w.Image1->size(), QSize(2000, 300));
        EXPECT_FALSE(w.ScrollBar1->isHidden());
        EXPECT_TRUE(w.ScrollBar2->isHidden());
        EXPECT_EQ(w.ScrollBar1->maximum(), 2000 - 633);
        EXPECT_EQ(w.ScrollBar1->pageStep(), 633);
        w.ScrollBar1->setValue(700);
        EXPECT_EQ(w.Image1->x(), -700);
        w.resize(2100, 600); // now it fits: bars hidden, picture back at the origin
        EXPECT_TRUE(w.ScrollBar1->isHidden());
        EXPECT_EQ(w.ScrollBar1->maximum(), 0);
        EXPECT_EQ(w.Image1->pos(), QPoint(0, 0));
        EXPECT_EQ(w.Bevel1->size(), QSize(2002, 302));
        w.resize(635, 450);
        w.hide();
    });
}

TEST(PhotoViewer, DecodesAwayFromTheWindowAndShowsOnlyTheLatestPhoto) {
    Viewer v;
    photos::AddEntry(1, photos::Make(v.folder.file(QStringLiteral("big.jpg")), 1600, 1200));
    photos::AddEntry(2, photos::Make(v.folder.file(QStringLiteral("small.jpg")), 200, 100));
    v.modal.onNextDialog([&](QDialog& d) {
        auto& w = static_cast<TfrmPhotoView&>(d);
        // The window is up before the picture: the decoding runs elsewhere.
        EXPECT_TRUE(w.PhotoPending());
        EXPECT_TRUE(w.Image1->isHidden());
        EXPECT_EQ(w.lblName->text(), QStringLiteral("big.jpg"));
        // Another photograph asked for meanwhile wins, whichever decoding ends first.
        w.EntryNumber = 2;
        w.FormActivate();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !w.PhotoPending(); }, 10000));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_EQ(w.lblName->text(), QStringLiteral("small.jpg"));
        EXPECT_EQ(w.Image1->size(), QSize(200, 100));
        EXPECT_FALSE(w.Image1->isHidden());
        return int(QDialog::Accepted);
    });
    v.view().Execute(1);
}

TEST(PhotoViewer, NoPictureMissingFileAndGoToState) {
    Viewer v;
    photos::AddEntry(1, QString());
    photos::AddEntry(2, v.folder.file(QStringLiteral("vanished.jpg")));
    v.show(0, [](TfrmPhotoView& w) {
        EXPECT_EQ(w.lblName->text(), QString());
        EXPECT_TRUE(w.Image1->isHidden());
        EXPECT_FALSE(w.Button3->isEnabled());
    });
    v.show(1, [](TfrmPhotoView& w) {
        EXPECT_EQ(w.lblName->text(), QStringLiteral("No Picture"));
        EXPECT_FALSE(w.Button3->isEnabled());
    });
    v.show(99,
           [](TfrmPhotoView& w) { EXPECT_EQ(w.lblName->text(), QStringLiteral("No Picture")); });
    // The file went away since it was added: the viewer says so and stays usable.
    v.show(2, [](TfrmPhotoView& w) {
        EXPECT_TRUE(w.lblName->text().startsWith(QStringLiteral("vanished.jpg")));
        EXPECT_TRUE(w.Image1->isHidden());
        EXPECT_TRUE(w.Button3->isEnabled());
        EXPECT_FALSE(w.Button2->isEnabled()); // nothing selected on the Pictures page
        w.Button1->click();
    });
    EXPECT_TRUE(v.modal.messages.empty());
}

TEST(PhotoViewer, GoToItemJumpsToTheSelectedEntry) {
    Viewer v;
    photos::AddEntry(1, photos::Make(v.folder.file(QStringLiteral("a.jpg")), 100, 80));
    photos::AddEntry(2, photos::Make(v.folder.file(QStringLiteral("b.jpg")), 100, 80));
    app::State().IDCounter = 2;
    app::State().Changes.announcePicturesChanged();
    pictures::Pictures()->SelectPicture(2);
    // Closed with OK, the viewer goes nowhere.
    EXPECT_EQ(v.show(2, [](TfrmPhotoView& w) { w.Button1->click(); }), 0u);

    // Opened from the Pictures page, Go To Item shows the entry's line on the Inventory page.
    TfrmMain& main = *ui::Win().frmMain;
    main.tabMain->setCurrentWidget(main.tabPictures);
    v.modal.onNextDialog([](QDialog& d) {
        auto& w = static_cast<TfrmPhotoView&>(d);
        EXPECT_TRUE(w.Button2->isEnabled());
        w.Button2->click();
        return d.result();
    });
    main.tabPictures->btnViewPic->click();
    EXPECT_EQ(v.modal.dialogsShown.last(), QStringLiteral("frmPhotoView"));
    EXPECT_EQ(main.tabMain->currentWidget(), main.tabInventory);
    EXPECT_EQ(main.tabInventory->SelectedEntryId(), 2);
}
