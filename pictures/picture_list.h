#pragma once

#include "pictures/picture_checks.h"

#include <QImage>
#include <QLabel>
#include <QString>
#include <functional>

class QFrame;
class QPushButton;
class QScrollBar;

namespace pictures {

struct PictureNode;

// A thumbnail: the photograph stretched to 160 x 120 on a 164 x 140 tile, with the file name and
// "Entry: " and the entry number underneath. The tile belongs to the pictures panel; deleting
// the tile deletes the thumbnail and its labels.
class MyImage : public QLabel {
    Q_OBJECT
  public:
    MyImage(QWidget* panel, const QImage& thumbnail);

    QFrame* BackPanel;
    PictureNode* Node = nullptr;
    QLabel* NameLabel;
    QLabel* EntryLabel;
    QLabel* NumberLabel;

    // Paints the tile in the selection colour or the plain one.
    void setHighlighted(bool on);
    bool highlighted() const { return highlighted_; }
    // Shows the name and the number, aligned at the tile's right edge.
    void setLabels(const QString& shortName, quint32 entryNumber);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool highlighted_ = false;
};

struct PictureNode {
    PictureNode* Next = nullptr;
    PictureNode* Prev = nullptr;
    QString FileName;
    MyImage* Image = nullptr;
    quint32 EntryNumber = 0;
};

// The thumbnails of the Pictures page in grid order, kept in step with the working inventory.
class PictureDList {
  public:
    struct Controls {
        QFrame* panel;
        QScrollBar* scroll;
        QPushButton* viewButton;
        QPushButton* goToButton;
    };
    PictureDList(Controls controls, std::function<void(MyImage*)> onClick);
    ~PictureDList();
    PictureDList(const PictureDList&) = delete;
    PictureDList& operator=(const PictureDList&) = delete;

    PictureNode* First = nullptr;
    PictureNode* Last = nullptr;
    PictureNode* Selected = nullptr;
    // Set while the grid is rebuilt: refusals are counted, not reported one by one.
    bool Loading = false;

    // 0: appended, or no path (nothing appended); otherwise the PhotoCheck of the refusal,
    // reported in a message unless Loading.
    int AddPicture(const QString& path, quint32 entryNumber);
    // The same with the thumbnail decoded beforehand (a null image: it could not be decoded).
    int AddDecoded(const QString& path, quint32 entryNumber, PhotoCheck check,
                   const QImage& thumbnail);
    void RemovePicture(quint32 entryNumber);
    void RemoveAllPictures();
    PictureNode* FindPicture(quint32 entryNumber) const;
    void NumberUp(quint32 n);
    void NumberDown(quint32 n);
    void ClearSelection();
    void SelectPicture(quint32 entryNumber);
    void PlaceRows(int position);
    // A click on a thumbnail: selects it, or deselects it when it was the selected one.
    void Click(MyImage* image);

    int count() const;

  private:
    void removeNode(PictureNode* node);
    void setButtons(bool enabled);
    void renumber(PictureNode* node, quint32 number);

    Controls c_;
    std::function<void(MyImage*)> onClick_;
};

// The list of the Pictures page, or nullptr while there is none.
PictureDList* Pictures();
void SetPictures(PictureDList* list);

// AddPicture on the program's list; without one, the checks alone (with their messages).
int AddPicture(const QString& path, quint32 entryNumber);

// Rebuilds the grid from the working inventory, after RemoveAllPictures. Photographs that
// cannot be listed are reported once, at the end.
void LoadPictures();

} // namespace pictures
