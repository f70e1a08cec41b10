#include "pictures/photo_view_window.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "pictures/jpeg_decode.h"
#include "pictures/picture_list.h"
#include "pictures/rename_photo_dialog.h"
#include "pictures/viewer_layout.h"
#include "store/stored_text.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPromise>
#include <QPushButton>
#include <QScrollBar>
#include <QThreadPool>
#include <memory>

namespace {

template <typename W, typename... Args> W* make(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* l = make<QLabel>(parent, name, text);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(16);
    l->setFont(f);
    l->move(x, y);
    l->resize(l->sizeHint().width() + 200, 18);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* b = make<QPushButton>(parent, name, caption);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(16);
    b->setFont(f);
    b->setGeometry(geometry);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return b;
}

} // namespace

TfrmPhotoView::TfrmPhotoView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPhotoView"));
    setWindowTitle(QStringLiteral(""));
    setMinimumSize(265, 200);
    resize(635, 450);

    lblEntry = label(this, "lblEntry", QStringLiteral("Entry:"), 4, 0);
    lblID = label(this, "lblID", QString(), 44, 0);
    lblID->resize(60, 18);
    lblPhoto = label(this, "lblPhoto", QStringLiteral("Photo:"), 108, 0);
    lblName = label(this, "lblName", QString(), 156, 0);
    lblName->resize(470, 18);

    Bevel1 = make<QFrame>(this, "Bevel1");
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(0, 24, 617, 377);
    Panel1 = make<QWidget>(this, "Panel1");
    Panel1->setGeometry(1, 25, 576, 346);
    Image1 = make<QLabel>(Panel1, "Image1");
    Image1->setAccessibleName(QStringLiteral("Photo"));
    Image1->move(0, 0);
    ScrollBar1 = make<QScrollBar>(this, "ScrollBar1", Qt::Horizontal);
    ScrollBar1->setGeometry(0, 400, 616, 16);
    ScrollBar1->setAccessibleName(QStringLiteral("Scroll sideways"));
    ScrollBar2 = make<QScrollBar>(this, "ScrollBar2", Qt::Vertical);
    ScrollBar2->setGeometry(616, 25, 17, 376);
    ScrollBar2->setAccessibleName(QStringLiteral("Scroll up and down"));
    for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
        bar->setRange(0, 0);
        bar->setPageStep(1);
    }
    Panel2 = make<QFrame>(this, "Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setGeometry(616, 400, 18, 17);

    Button3 = button(this, "Button3", QStringLiteral("&Rename"), QRect(392, 424, 75, 25));
    Button2 = button(this, "Button2", QStringLiteral("&Go To Item"), QRect(472, 424, 83, 25));
    Button1 = button(this, "Button1", QStringLiteral("&Close"), QRect(560, 424, 75, 25));

    ui::ConnectGuarded(ScrollBar1, &QScrollBar::valueChanged, this, [this] { ScrollBar1Change(); });
    ui::ConnectGuarded(ScrollBar2, &QScrollBar::valueChanged, this, [this] { ScrollBar2Change(); });
    ui::ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ui::ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ui::ConnectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    decoding_ = new QFutureWatcher<DecodedPhoto>(this);
    ui::ConnectGuarded(decoding_, &QFutureWatcherBase::finished, this, [this] { photoDecoded(); });
    FormResize();
}

quint32 TfrmPhotoView::Execute(quint32 entryNumber) {
    EntryNumber = entryNumber;
    goTo_ = 0;
    FormResize();
    FormActivate();
    ui::Modal::exec(*this);
    // A picture still on its way when the viewer closes is not wanted any more.
    dropPendingPhoto();
    return goTo_;
}

void TfrmPhotoView::FormActivate() {
    PhotoFile.clear();
    const pictures::PictureDList* list = pictures::Pictures();
    Button2->setEnabled(list && list->Selected);
    if (EntryNumber == 0) {
        lblID->clear();
        lblName->clear();
    } else {
        lblID->setText(QString::number(EntryNumber));
        auto& q = app::State().ADOQuery2;
        q.open({QStringLiteral("SELECT ID_Number, Item_Photo_Name"),
                QStringLiteral("FROM Inventory"),
                QStringLiteral("WHERE ID_Number = ") + QString::number(EntryNumber)});
        do {
            PhotoFile = store::FromStoredText(q.text(1));
            q.next();
        } while (!q.eof());
        q.close();
        if (PhotoFile.isEmpty()) {
            PhotoName.clear();
            lblName->setText(QStringLiteral("No Picture"));
        } else {
            const qsizetype slash = PhotoFile.lastIndexOf(QLatin1Char('/'));
            PhotoName = PhotoFile.mid(slash + 1);
            PhotoFolder = PhotoFile.left(slash + 1);
            lblName->setText(PhotoName);
            // Renaming needs a file; without a photograph there is nothing to rename.
            Button3->setEnabled(true);
            LoadPhoto(PhotoFile);
            return;
        }
    }
    dropPendingPhoto();
    Button3->setEnabled(false);
    Image1->setPixmap(QPixmap(app::State().programFolder + QStringLiteral("Content/nthng.bmp")));
    Image1->hide();
}

void TfrmPhotoView::LoadPhoto(const QString& path) {
    // Until the new picture is ready the frame is empty, never showing the one before.
    Image1->setPixmap(QPixmap());
    Image1->resize(0, 0);
    Image1->hide();
    layOutPicture();

    // A large photograph takes a while to decode: the window stays responsive meanwhile.
    pending_ = ++requests_;
    auto promise = std::make_shared<QPromise<DecodedPhoto>>();
    decoding_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, path, request = pending_] {
        DecodedPhoto photo;
        photo.request = request;
        try {
            photo.image = pictures::DecodeJpeg(path).image;
        } catch (...) {
            photo.image = QImage(); // out of memory: shown as a photograph that cannot be shown
        }
        promise->addResult(std::move(photo));
        promise->finish();
    });
}

void TfrmPhotoView::photoDecoded() {
    QFuture<DecodedPhoto> future = decoding_->future();
    if (!future.isValid() || !future.isFinished() || future.resultCount() == 0) return;
    // Taken out of the future, so the decoded picture is not kept twice.
    const DecodedPhoto photo = future.takeResult();
    if (photo.request != pending_) return; // superseded or no longer wanted
    pending_ = 0;
    // A photograph that vanished or broke since it was added shows as an empty frame; the
    // viewer stays usable, and the file can still be renamed.
    if (photo.image.isNull()) {
        lblName->setText(PhotoName + QStringLiteral("  (this photograph cannot be shown)"));
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(photo.image));
    Image1->resize(photo.image.size());
    Image1->show();
    layOutPicture();
}

void TfrmPhotoView::dropPendingPhoto() {
    pending_ = 0;
}

void TfrmPhotoView::FormResize() {
    const QSize client = size();
    const pictures::ViewerFrame f =
        pictures::LayOutFrame(client.width(), client.height(), Button1->geometry(),
                              Button2->geometry(), Button3->geometry(), Panel2->geometry());
    Button1->setGeometry(f.close);
    Button2->setGeometry(f.goTo);
    Button3->setGeometry(f.rename);
    Panel2->setGeometry(f.corner);
    layOutPicture();
}

void TfrmPhotoView::layOutPicture() {
    const QSize picture = Image1->isHidden() ? QSize(0, 0) : Image1->size();
    const pictures::ViewerLayout l =
        pictures::LayOutPicture(Panel2->geometry(), ScrollBar1->geometry(), ScrollBar2->geometry(),
                                picture.width(), picture.height());
    Panel1->setGeometry(l.panel);
    Bevel1->setGeometry(l.bevel);
    ScrollBar1->setGeometry(l.hBar);
    ScrollBar2->setGeometry(l.vBar);
    ScrollBar1->setVisible(l.hVisible);
    ScrollBar2->setVisible(l.vVisible);
    Panel2->setVisible(l.cornerVisible);
    // Shrinking a range pulls the position, and with it the picture, back inside.
    ScrollBar1->setRange(0, l.hMax);
    ScrollBar1->setPageStep(l.hPage);
    ScrollBar2->setRange(0, l.vMax);
    ScrollBar2->setPageStep(l.vPage);
    ScrollBar1Change();
    ScrollBar2Change();
}

void TfrmPhotoView::ScrollBar1Change() {
    Image1->move(-ScrollBar1->value(), Image1->y());
}

void TfrmPhotoView::ScrollBar2Change() {
    Image1->move(Image1->x(), -ScrollBar2->value());
}

void TfrmPhotoView::Button1Click() {
    accept();
}

void TfrmPhotoView::Button2Click() {
    const pictures::PictureDList* list = pictures::Pictures();
    if (!list || !list->Selected) return;
    goTo_ = list->Selected->EntryNumber;
    accept();
}

void TfrmPhotoView::Button3Click() {
    if (auto* rename = ui::Win().dlgRenamePhoto.get()) rename->Execute();
    FormActivate();
}

void TfrmPhotoView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ui::Guarded([this] { FormResize(); });
}
