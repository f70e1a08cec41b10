#pragma once

#include <QWidget>

class QFrame;
class QPushButton;
class QScrollBar;

namespace pictures {

// The Inventory Pictures page: thumbnails four to a row in a scrollable panel.
class PicturesPage : public QWidget {
    Q_OBJECT
  public:
    explicit PicturesPage(QWidget* parent = nullptr);

    QFrame* pnlPictures;
    QScrollBar* sclPictureScroll;
    QPushButton* btnViewPic;
    QPushButton* btnGoTo;
};

} // namespace pictures
