#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace ui {

// Lines of text behind a list view: the listings can hold tens of thousands of entries, so they
// are one model, never one widget item per line.
class LineListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void setLines(QStringList lines);
    const QStringList& lines() const { return lines_; }

  private:
    QStringList lines_;
};

// A single-selection list of fixed text lines.
class LineList : public QListView {
    Q_OBJECT
  public:
    explicit LineList(QWidget* parent = nullptr);
    void setLines(QStringList lines);
    void clear() { setLines({}); }
    const QStringList& lines() const { return model_->lines(); }
    int count() const { return static_cast<int>(model_->lines().size()); }
    int currentRow() const; // -1 when nothing is selected
    void setCurrentRow(int row);
    QString line(int row) const;

  signals:
    void rowClicked(int row);

  private:
    LineListModel* model_;
};

} // namespace ui
