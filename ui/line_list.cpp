#include "ui/line_list.h"

#include <QFontMetricsF>
#include <QStyle>

namespace ui {

namespace {

class StringLines final : public LineSource {
  public:
    explicit StringLines(QStringList lines) : lines_(std::move(lines)) {}
    int count() const override { return static_cast<int>(lines_.size()); }
    QString line(int row) const override { return lines_.at(row); }

  private:
    QStringList lines_;
};

} // namespace

int LineListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && index.isValid() && index.row() < count())
        return source_->line(index.row());
    return {};
}

void LineListModel::setSource(std::shared_ptr<const LineSource> source) {
    beginResetModel();
    source_ = std::move(source);
    endResetModel();
}

LineList::LineList(QWidget* parent) : QListView(parent), model_(new LineListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // keeps huge listings fast to lay out
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QListView::clicked, this,
            [this](const QModelIndex& i) { emit rowClicked(i.row()); });
}

void LineList::setLines(QStringList lines) {
    setSource(std::make_shared<StringLines>(std::move(lines)));
}

void LineList::setSource(std::shared_ptr<const LineSource> source) {
    model_->setSource(std::move(source));
}

QStringList LineList::lines() const {
    QStringList all;
    all.reserve(count());
    for (int row = 0; row < count(); ++row)
        all << model_->source()->line(row);
    return all;
}

int LineList::currentRow() const {
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    return sel.isEmpty() ? -1 : sel.first().row();
}

void LineList::setCurrentRow(int row) {
    if (row < 0 || row >= count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex i = model_->index(row);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}

int LineList::columnLeft(int column) const {
    // A line's text starts inside the frame, after the margin the item views leave for the
    // focus frame, and goes on at the font's own advance (not a whole number of pixels).
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QFontMetricsF metrics(font());
    return x() + frameWidth() + margin +
           qRound(metrics.horizontalAdvance(QString(column, QLatin1Char('0'))));
}

QString LineList::line(int row) const {
    return row >= 0 && row < count() ? model_->source()->line(row) : QString();
}

} // namespace ui
