#pragma once

#include <QWidget>
#include <memory>

class QFrame;
class QPushButton;
class QScrollBar;

namespace pictures {

class MyImage;
class PictureDList;

// The Inventory Pictures page: thumbnails four to a row in a scrollable panel.
class PicturesPage : public QWidget {
    Q_OBJECT
  public:
    explicit PicturesPage(QWidget* parent = nullptr);
    ~PicturesPage() override;

    QFrame* pnlPictures;
    QScrollBar* sclPictureScroll;
    QPushButton* btnViewPic;
    QPushButton* btnGoTo;

    PictureDList& PictureList() { return *list_; }

    void MyImageClick(MyImage* sender);
    // A scroll action (QAbstractSlider::SliderAction) on the scroll bar.
    void sclPictureScrollScroll(int action);
    void btnViewPicClick();
    void btnGoToClick();

  signals:
    // Go To Item, here or in the photo viewer: show entry n on the Inventory page.
    void goToEntry(int n);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void listenForChanges();

    std::unique_ptr<PictureDList> list_;
};

} // namespace pictures
