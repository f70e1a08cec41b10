#pragma once

#include <QDialog>

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

    // Shows the viewer modally for the entry numbered `entryNumber`.
    void Execute(quint32 entryNumber);

    // Looks the entry's photograph up again and shows it.
    void FormActivate();
    void FormResize();
    void ScrollBar1Change();
    void ScrollBar2Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // Loads a photograph into the picture area and lays it out; false when it cannot be read.
    bool LoadPhoto(const QString& path);

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
    void layOutPicture();
};
