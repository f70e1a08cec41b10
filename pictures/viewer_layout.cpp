#include "pictures/viewer_layout.h"

namespace pictures {

namespace {
// The bar's range and page for a visible extent of a picture extent.
void range(int visible, int extent, int& max, int& page) {
    if (visible < extent) {
        max = extent - visible;
        page = visible;
    } else {
        max = 0;
        page = 1;
    }
}
} // namespace

ViewerLayout LayOutPicture(QRect corner, QRect hBar, QRect vBar, int w, int h) {
    ViewerLayout l{};
    const int right = corner.left() + corner.width();
    const int bottom = corner.top() + corner.height();
    l.hBar = hBar;
    l.vBar = vBar;
    l.hMax = l.vMax = 0;
    l.hPage = l.vPage = 1;
    QSize panel;
    if (w <= right - 2 && h <= bottom - 27) {
        l.kind = ViewerLayout::Fits;
        panel = QSize(w, h);
        l.vBar.moveLeft(corner.left());
        l.hBar.moveTop(corner.top());
    } else if (w <= corner.left() - 2) {
        l.kind = ViewerLayout::VerticalBar;
        l.vVisible = true;
        l.vBar.setHeight(bottom - 25);
        panel = QSize(w, l.vBar.height());
        l.vBar.moveLeft(panel.width() + 2 - 1);
        range(panel.height(), h, l.vMax, l.vPage);
    } else if (h <= corner.top() - 27) {
        l.kind = ViewerLayout::HorizontalBar;
        l.hVisible = true;
        l.hBar.setWidth(right - 1);
        panel = QSize(right - 2, h);
        l.hBar.moveTop(panel.height() + 2 + 24);
        range(panel.width(), w, l.hMax, l.hPage);
    } else {
        l.kind = ViewerLayout::BothBars;
        l.hVisible = l.vVisible = l.cornerVisible = true;
        l.vBar.setHeight(corner.top() - 24);
        l.hBar.setWidth(corner.left() + 1);
        panel = QSize(l.hBar.width(), l.vBar.height());
        l.vBar.moveLeft(corner.left());
        l.hBar.moveTop(corner.top());
        range(panel.width(), w, l.hMax, l.hPage);
        range(panel.height(), h, l.vMax, l.vPage);
    }
    l.panel = QRect(QPoint(1, 25), panel);
    l.bevel = QRect(QPoint(0, 24), panel + QSize(2, 2));
    return l;
}

ViewerFrame LayOutFrame(int clientWidth, int clientHeight, QRect close, QRect goTo, QRect rename,
                        QRect corner) {
    ViewerFrame f{close, goTo, rename, corner};
    f.close.moveTopLeft(QPoint(clientWidth - close.width() - 4, clientHeight - close.height() - 4));
    f.goTo.moveTopLeft(QPoint(f.close.left() - goTo.width() - 8, f.close.top()));
    f.rename.moveTopLeft(QPoint(f.goTo.left() - rename.width() - 8, f.close.top()));
    f.corner.moveTopLeft(QPoint(clientWidth - corner.width(), f.close.top() - corner.height() - 4));
    return f;
}

} // namespace pictures
