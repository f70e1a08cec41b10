#include "pictures/picture_list.h"

#include "ui/app_state.h"
#include "ui/modal.h"
#include "pictures/jpeg_decode.h"
#include "pictures/picture_grid.h"
#include "pictures/rendition_cache.h"
#include "store/stored_text.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace pictures {

namespace {

QString shortName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QLabel* tileLabel(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(10);
    l->setFont(f);
    l->setMargin(0);
    l->move(2, 122);
    return l;
}

int textWidth(const QLabel* label) {
    return label->fontMetrics().horizontalAdvance(label->text());
}

PictureDList*& current() {
    static PictureDList* list = nullptr;
    return list;
}

} // namespace

MyImage::MyImage(QWidget* panel, const QImage& thumbnail)
    : QLabel(nullptr), BackPanel(new QFrame(panel)) {
    BackPanel->setFrameStyle(QFrame::NoFrame);
    BackPanel->setAutoFillBackground(true);
    BackPanel->resize(kTileWidth, kTileHeight);
    setParent(BackPanel);
    setGeometry(2, 2, kThumbWidth, kThumbHeight);
    setScaledContents(true);
    setPixmap(QPixmap::fromImage(thumbnail));
    NameLabel = tileLabel(BackPanel, QString());
    EntryLabel = tileLabel(BackPanel, QStringLiteral("Entry: "));
    NumberLabel = tileLabel(BackPanel, QString());
    setHighlighted(false);
}

void MyImage::setHighlighted(bool on) {
    highlighted_ = on;
    // The selection colour must stand out from the panel, which is nearly white in most
    // desktop themes; the labels take the matching text colour.
    const QPalette system = QApplication::palette(BackPanel);
    QPalette p = BackPanel->palette();
    p.setColor(QPalette::Window, system.color(on ? QPalette::Highlight : QPalette::Button));
    p.setColor(QPalette::WindowText,
               system.color(on ? QPalette::HighlightedText : QPalette::WindowText));
    BackPanel->setPalette(p);
}

void MyImage::setLabels(const QString& name, quint32 entryNumber) {
    NumberLabel->setText(QString::number(entryNumber));
    NameLabel->setText(name);
    const LabelLayout l = LayOutLabels(NameLabel->x(), textWidth(NameLabel), textWidth(EntryLabel),
                                       textWidth(NumberLabel));
    const int h = NumberLabel->fontMetrics().height();
    NumberLabel->setGeometry(l.numberLeft, 122, textWidth(NumberLabel), h);
    EntryLabel->setGeometry(l.entryLeft, 122, textWidth(EntryLabel), h);
    NameLabel->setGeometry(NameLabel->x(), 122, std::max(l.nameWidth, 0), h);
    NameLabel->setToolTip(l.nameClipped ? name : QString());
}

void MyImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
}

// The second press of a double click arrives as this event; passed on as a press it would be a
// second click and take the selection straight back.
void MyImage::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

PictureDList::PictureDList(Controls controls, std::function<void(MyImage*)> onClick)
    : c_(controls), onClick_(std::move(onClick)) {}

PictureDList::~PictureDList() {
    RemoveAllPictures();
}

int PictureDList::AddPicture(const QString& path, quint32 entryNumber) {
    if (path.isEmpty()) return PhotoAccepted;
    const PhotoCheck check = CheckPhotograph(path);
    QImage thumbnail;
    if (check == PhotoAccepted) {
        const QString& folder = app::State().programFolder;
        RenditionLoad tile = RenditionCache(folder).tile(path);
        thumbnail = std::move(tile.picture.image);
        if (tile.renditionMissing) MakeRenditionsLater(folder, {path});
    }
    return AddDecoded(path, entryNumber, check, thumbnail);
}

int PictureDList::AddDecoded(const QString& path, quint32 entryNumber, PhotoCheck check,
                             const QImage& thumbnail) {
    if (path.isEmpty()) return PhotoAccepted;
    if (check == PhotoAccepted && thumbnail.isNull()) check = PhotoUndecodable;
    if (check != PhotoAccepted) {
        if (!Loading) ui::Modal::message(PhotoCheckMessage(check), QStringLiteral("Error"));
        return check;
    }
    auto* node = new PictureNode;
    node->FileName = path;
    node->EntryNumber = entryNumber;
    node->Image = new MyImage(c_.panel, thumbnail);
    node->Image->Node = node;
    QObject::connect(node->Image, &MyImage::clicked, node->Image,
                     [this, image = node->Image] { onClick_(image); });
    node->Image->setLabels(shortName(path), entryNumber);

    const TilePlace place =
        NextTilePlace(Last ? std::optional<QPoint>(Last->Image->BackPanel->pos()) : std::nullopt,
                      RowsInView(c_.panel->contentsRect().bottom() + 1));
    node->Image->BackPanel->move(place.topLeft);
    if (place.growsRange) c_.scroll->setMaximum(c_.scroll->maximum() + kRowStep);
    node->Image->BackPanel->show();
    c_.scroll->raise();

    node->Prev = Last;
    if (Last)
        Last->Next = node;
    else
        First = node;
    Last = node;
    return PhotoAccepted;
}

void PictureDList::removeNode(PictureNode* node) {
    PictureNode* following = node->Next;
    (node->Prev ? node->Prev->Next : First) = node->Next;
    (node->Next ? node->Next->Prev : Last) = node->Prev;
    if (Selected == node) {
        Selected = nullptr;
        setButtons(false);
    }
    delete node->Image->BackPanel;
    delete node;
    for (PictureNode* n = following; n; n = n->Next)
        n->Image->BackPanel->move(SlotBack(n->Image->BackPanel->pos()));
    const AfterRemoval r =
        RangeAfterRemoval(First == nullptr, Last ? Last->Image->BackPanel->x() : 0,
                          c_.scroll->maximum(), c_.scroll->value());
    if (r.relayout) {
        c_.scroll->setMaximum(r.max);
        c_.scroll->setValue(r.position);
        PlaceRows(r.position);
    }
}

void PictureDList::RemovePicture(quint32 entryNumber) {
    if (PictureNode* node = FindPicture(entryNumber)) removeNode(node);
}

void PictureDList::RemoveAllPictures() {
    while (First)
        removeNode(First);
}

PictureNode* PictureDList::FindPicture(quint32 entryNumber) const {
    for (PictureNode* n = First; n; n = n->Next)
        if (n->EntryNumber == entryNumber) return n;
    return nullptr;
}

void PictureDList::renumber(PictureNode* node, quint32 number) {
    node->EntryNumber = number;
    node->Image->setLabels(shortName(node->FileName), number);
}

void PictureDList::NumberUp(quint32 n) {
    if (n == 0) return;
    PictureNode* moved = FindPicture(n);
    PictureNode* other = FindPicture(n - 1);
    if (moved) renumber(moved, n - 1);
    if (other) renumber(other, n);
}

void PictureDList::NumberDown(quint32 n) {
    PictureNode* moved = FindPicture(n);
    PictureNode* other = FindPicture(n + 1);
    if (moved) renumber(moved, n + 1);
    if (other) renumber(other, n);
}

void PictureDList::setButtons(bool enabled) {
    c_.viewButton->setEnabled(enabled);
    c_.goToButton->setEnabled(enabled);
}

void PictureDList::ClearSelection() {
    if (Selected) Selected->Image->setHighlighted(false);
    Selected = nullptr;
}

void PictureDList::SelectPicture(quint32 entryNumber) {
    ClearSelection();
    Selected = FindPicture(entryNumber);
    if (Selected) Selected->Image->setHighlighted(true);
    setButtons(Selected != nullptr);
}

void PictureDList::Click(MyImage* image) {
    if (Selected) Selected->Image->setHighlighted(false);
    if (Selected && Selected->Image == image) {
        Selected = nullptr;
        setButtons(false);
        return;
    }
    image->setHighlighted(true);
    Selected = image->Node;
    setButtons(true);
}

void PictureDList::PlaceRows(int position) {
    int top = kFirstTop - position;
    for (PictureNode* n = First; n; n = n->Next) {
        QFrame* tile = n->Image->BackPanel;
        tile->move(tile->x(), top);
        if (tile->x() == kLastColumnLeft) top += kRowStep;
    }
}

int PictureDList::count() const {
    int n = 0;
    for (PictureNode* p = First; p; p = p->Next)
        ++n;
    return n;
}

PictureDList* Pictures() {
    return current();
}

void SetPictures(PictureDList* list) {
    current() = list;
}

int AddPicture(const QString& path, quint32 entryNumber) {
    if (PictureDList* list = Pictures()) return list->AddPicture(path, entryNumber);
    return AcceptPhotograph(path);
}

void LoadPictures() {
    PictureDList* list = Pictures();
    if (!list) return;
    struct Row {
        QString path;
        quint32 number;
        PhotoCheck check;
        QImage thumbnail;
        bool renditionMissing = false;
    };
    std::vector<Row> rows;
    auto& q = app::State().ADOQuery2;
    q.open({QStringLiteral("SELECT ID_Number, Item_Photo_Name"), QStringLiteral("FROM Inventory"),
            QStringLiteral("WHERE Item_Photo_Name IS NOT NULL"),
            QStringLiteral("ORDER BY ID_Number")});
    do {
        const QString path = store::FromStoredText(q.text(1));
        rows.push_back(
            {path, static_cast<quint32>(q.integer(0)), CheckPhotograph(path), {}, false});
        q.next();
    } while (!q.eof());
    q.close();

    // Decoding is the slow part and touches no widget: the workers take the rows in turn, and
    // the tiles are then made in order here. A photograph's rendition, when it has one, is read
    // instead of the photograph; one that is missing is made afterwards in the background.
    const QString folder = app::State().programFolder;
    const RenditionCache cache(folder);
    std::atomic<std::size_t> nextRow{0};
    const auto decode = [&] {
        for (std::size_t i; (i = nextRow++) < rows.size();) {
            Row& r = rows[i];
            if (r.path.isEmpty() || r.check != PhotoAccepted) continue;
            try {
                RenditionLoad tile = cache.tile(r.path);
                r.thumbnail = std::move(tile.picture.image);
                r.renditionMissing = tile.renditionMissing;
            } catch (...) {
                r.thumbnail = QImage(); // counted as a refusal below
            }
        }
    };
    const int workers = std::clamp(QThread::idealThreadCount(), 1, 4) - 1;
    std::vector<std::thread> pool;
    for (int i = 0; i < workers && std::size_t(i + 1) < rows.size(); ++i)
        pool.emplace_back(decode);
    decode();
    for (auto& t : pool)
        t.join();
    QStringList missing;
    for (const Row& r : rows)
        if (r.renditionMissing) missing << r.path; // one waiting is not queued twice
    MakeRenditionsLater(folder, missing);

    struct LoadingMark {
        PictureDList* list;
        explicit LoadingMark(PictureDList* l) : list(l) { list->Loading = true; }
        ~LoadingMark() { list->Loading = false; }
    } mark(list);
    bool failed = false;
    for (Row& r : rows) {
        if (list->AddDecoded(r.path, r.number, r.check, r.thumbnail) != PhotoAccepted)
            failed = true;
        r.thumbnail = QImage();
    }
    if (failed)
        ui::Modal::message(
            QStringLiteral("Errors occured while loading.  Not all pictures were loaded."),
            QStringLiteral("Error"));
}

} // namespace pictures
