#pragma once

#include <QRect>

namespace pictures {

// Where the photo viewer puts its picture area and scroll bars for a picture of W x H. The
// corner square marks the right and bottom limits of the picture area.
struct ViewerLayout {
    enum Case { Fits, VerticalBar, HorizontalBar, BothBars } kind;
    QRect panel; // the clipping area of the picture
    QRect bevel; // the frame around it
    QRect hBar;  // horizontal bar
    QRect vBar;  // vertical bar
    bool hVisible, vVisible, cornerVisible;
    int hMax, hPage, vMax, vPage;
};

// `hBar` and `vBar` are the bars' current places; what a case does not move stays.
ViewerLayout LayOutPicture(QRect corner, QRect hBar, QRect vBar, int width, int height);

// The places of the buttons and the corner square after the client area became w x h.
struct ViewerFrame {
    QRect close, goTo, rename, corner;
};
ViewerFrame LayOutFrame(int clientWidth, int clientHeight, QRect close, QRect goTo, QRect rename,
                        QRect corner);

} // namespace pictures
