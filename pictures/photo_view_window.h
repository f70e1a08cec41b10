#pragma once

#include <QDialog>
#include <QFutureWatcher>
#include <QImage>

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

// Shows one entry's photograph at its natural size, with scroll bars when it does not fit.
// Created once at start-up and reused for the whole run.
class TfrmPhotoView : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmPhotoView(QWidget* parent = nullptr);

    // Shows the viewer modally for the entry numbered `entryNumber`. Returns the entry to show on
    // the Inventory page when the user chose Go To Item, else 0.
    quint32 Execute(quint32 entryNumber);

    // Looks the entry's photograph up again and shows it.
    void FormActivate();
    void FormResize();
    void ScrollBar1Change();
    void ScrollBar2Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // Empties the picture area and starts decoding a photograph away from the user-interface
    // thread; the picture is shown and laid out when it is ready, or the name says that it
    // cannot be shown.
    void LoadPhoto(const QString& path);
    // True while a photograph is being decoded.
    bool PhotoPending() const { return pending_ != 0; }

    quint32 EntryNumber = 0;
    QString PhotoFile;   // full path of the photograph shown, empty when none
    QString PhotoName;   // its file name
    QString PhotoFolder; // its folder, ending in '/'

    QLabel* lblEntry;
    QLabel* lblID;
    QLabel* lblPhoto;
    QLabel* lblName;
    QFrame* Bevel1;
    QWidget* Panel1;
    QLabel* Image1;
    QScrollBar* ScrollBar1;
    QScrollBar* ScrollBar2;
    QFrame* Panel2;
    QPushButton* Button3;
    QPushButton* Button2;
    QPushButton* Button1;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    quint32 goTo_ = 0; // the entry Go To Item chose
    struct DecodedPhoto {
        quint64 request = 0;
        QImage image; // null when the file cannot be shown
    };
    void layOutPicture();
    void photoDecoded();
    void dropPendingPhoto();

    QFutureWatcher<DecodedPhoto>* decoding_;
    quint64 requests_ = 0;
    quint64 pending_ = 0; // the request whose picture is awaited, 0 for none
};
