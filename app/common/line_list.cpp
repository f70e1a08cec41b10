#include "app/common/line_list.h"

namespace ui {

int LineListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && index.isValid() && index.row() < lines_.size())
        return lines_.at(index.row());
    return {};
}

void LineListModel::setLines(QStringList lines) {
    beginResetModel();
    lines_ = std::move(lines);
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
    model_->setLines(std::move(lines));
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

QString LineList::line(int row) const {
    return row >= 0 && row < count() ? model_->lines().at(row) : QString();
}

} // namespace ui
