#include "pictures/pictures_page.h"

#include "entries/inventory_changes.h"
#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/windows.h"
#include "pictures/photo_view_window.h"
#include "pictures/picture_grid.h"
#include "pictures/picture_list.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

namespace pictures {

namespace {

ScrollCode codeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollCode::LineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollCode::LineDown;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollCode::PageUp;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollCode::PageDown;
    case QAbstractSlider::SliderToMinimum:
        return ScrollCode::Top;
    case QAbstractSlider::SliderToMaximum:
        return ScrollCode::Bottom;
    case QAbstractSlider::SliderMove:
        return ScrollCode::ThumbTrack;
    default:
        return ScrollCode::EndScroll;
    }
}

} // namespace

PicturesPage::PicturesPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabPictures"));
    setAccessibleName(QStringLiteral("Inventory Pictures"));

    pnlPictures = new QFrame(this);
    pnlPictures->setObjectName(QStringLiteral("pnlPictures"));
    pnlPictures->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlPictures->setGeometry(0, 0, 761, 417);

    sclPictureScroll = new QScrollBar(Qt::Vertical, pnlPictures);
    sclPictureScroll->setObjectName(QStringLiteral("sclPictureScroll"));
    sclPictureScroll->setAccessibleName(QStringLiteral("Pictures"));
    sclPictureScroll->setGeometry(745, 0, 15, 417);
    sclPictureScroll->setRange(0, 0);
    sclPictureScroll->setPageStep(0);
    sclPictureScroll->setSingleStep(kRowStep);

    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(19);
    btnViewPic = new QPushButton(QStringLiteral("View Photo"), this);
    btnViewPic->setObjectName(QStringLiteral("btnViewPic"));
    btnViewPic->setAccessibleName(QStringLiteral("View Photo"));
    btnViewPic->setGeometry(528, 424, 107, 25);
    btnViewPic->setFont(f);
    btnViewPic->setEnabled(false);
    btnGoTo = new QPushButton(QStringLiteral("Go To Item"), this);
    btnGoTo->setObjectName(QStringLiteral("btnGoTo"));
    btnGoTo->setAccessibleName(QStringLiteral("Go To Item"));
    btnGoTo->setGeometry(640, 424, 107, 25);
    btnGoTo->setFont(f);
    btnGoTo->setEnabled(false);

    list_ = std::make_unique<PictureDList>(
        PictureDList::Controls{pnlPictures, sclPictureScroll, btnViewPic, btnGoTo},
        [this](MyImage* image) { ui::Guarded([&] { MyImageClick(image); }); });
    SetPictures(list_.get());

    ui::ConnectGuarded(sclPictureScroll, &QScrollBar::actionTriggered, this,
                       [this](int action) { sclPictureScrollScroll(action); });
    ui::ConnectGuarded(sclPictureScroll, &QScrollBar::sliderReleased, this, [this] {
        const int pos = ScrollTarget(ScrollCode::ThumbPosition, sclPictureScroll->value(),
                                     sclPictureScroll->value(), sclPictureScroll->maximum());
        sclPictureScroll->setValue(pos);
        list_->PlaceRows(pos);
    });
    ui::ConnectGuarded(btnViewPic, &QPushButton::clicked, this, [this] { btnViewPicClick(); });
    ui::ConnectGuarded(btnGoTo, &QPushButton::clicked, this, [this] { btnGoToClick(); });
    pnlPictures->installEventFilter(this);

    listenForChanges();
}

PicturesPage::~PicturesPage() {
    if (Pictures() == list_.get()) SetPictures(nullptr);
    list_.reset(); // the tiles go while the panel still exists
}

void PicturesPage::listenForChanges() {
    // A move swaps the numbers shown; anything else rebuilds the pictures from the database.
    const auto* changes = &app::State().Changes;
    using entries::InventoryChanges;
    const auto rebuild = [this] {
        list_->RemoveAllPictures();
        LoadPictures();
    };
    ui::ConnectGuarded(changes, &InventoryChanges::entriesSwapped, this, [this](int n, int other) {
        if (other < n)
            list_->NumberUp(quint32(n));
        else
            list_->NumberDown(quint32(n));
    });
    ui::ConnectGuarded(changes, &InventoryChanges::entryRemoved, this, rebuild);
    ui::ConnectGuarded(changes, &InventoryChanges::inventoryReloaded, this, rebuild);
    ui::ConnectGuarded(changes, &InventoryChanges::picturesChanged, this, rebuild);
}

void PicturesPage::MyImageClick(MyImage* sender) {
    list_->Click(sender);
}

void PicturesPage::sclPictureScrollScroll(int action) {
    const int pos = ScrollTarget(codeOf(action), sclPictureScroll->value(),
                                 sclPictureScroll->sliderPosition(), sclPictureScroll->maximum());
    sclPictureScroll->setSliderPosition(pos);
    list_->PlaceRows(pos);
}

bool PicturesPage::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over the thumbnails scrolls a row at a time, as the bar's arrows do.
    if (watched == pnlPictures && event->type() == QEvent::Wheel) {
        const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (dy != 0)
            ui::Guarded([&] {
                sclPictureScroll->triggerAction(dy > 0 ? QAbstractSlider::SliderSingleStepSub
                                                       : QAbstractSlider::SliderSingleStepAdd);
            });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PicturesPage::btnViewPicClick() {
    PictureNode* selected = list_->Selected;
    auto* viewer = ui::Win().frmPhotoView.get();
    if (!selected || !viewer) return;
    if (const quint32 chosen = viewer->Execute(selected->EntryNumber)) emit goToEntry(int(chosen));
}

void PicturesPage::btnGoToClick() {
    if (PictureNode* selected = list_->Selected) emit goToEntry(int(selected->EntryNumber));
}

} // namespace pictures
