#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>
#include <memory>

namespace ui {

// What a line list shows: a count of lines and each line's text on request. A listing of tens of
// thousands of entries can keep its entries compact and format only the lines in view.
class LineSource {
  public:
    virtual ~LineSource() = default;
    virtual int count() const = 0;
    virtual QString line(int row) const = 0; // 0 <= row < count()
};

// Lines of text behind a list view: one model, never one widget item per line.
class LineListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void setSource(std::shared_ptr<const LineSource> source);
    const LineSource* source() const { return source_.get(); }
    int count() const { return source_ ? source_->count() : 0; }

  private:
    std::shared_ptr<const LineSource> source_;
};

// A single-selection list of fixed text lines.
class LineList : public QListView {
    Q_OBJECT
  public:
    explicit LineList(QWidget* parent = nullptr);
    void setLines(QStringList lines);
    void setSource(std::shared_ptr<const LineSource> source);
    void clear() { setSource(nullptr); }
    // Every line, formatted now: for callers that need the whole text at once.
    QStringList lines() const;
    int count() const { return model_->count(); }
    int currentRow() const; // -1 when nothing is selected
    void setCurrentRow(int row);
    QString line(int row) const; // empty outside 0 .. count() - 1
    // Where the lines' character column `column` (0 for the first) begins, in the coordinates of
    // the list's parent: headings placed there stand over their columns in the list's font.
    int columnLeft(int column) const;

  signals:
    void rowClicked(int row);

  private:
    LineListModel* model_;
};

} // namespace ui
