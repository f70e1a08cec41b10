#include "pictures/picture_grid.h"

#include <algorithm>

namespace pictures {

int RowsInView(int visibleHeight) {
    const int spare = visibleHeight - kFirstTop - kTileHeight;
    return spare < 0 ? 1 : spare / kRowStep + 1;
}

TilePlace NextTilePlace(std::optional<QPoint> last, int rowsInView) {
    if (!last) return {QPoint(kFirstLeft, kFirstTop), false};
    if (last->x() == kLastColumnLeft) {
        // The scroll position never exceeds the range, so the last row's top is never above
        // the lowest row in view; a new row below that needs one more step of range.
        const int top = last->y() + kRowStep;
        return {QPoint(kFirstLeft, top), top >= kFirstTop + rowsInView * kRowStep};
    }
    return {QPoint(last->x() + kColumnStep, last->y()), false};
}

QPoint SlotBack(QPoint tile) {
    if (tile.x() == kFirstLeft) return QPoint(kLastColumnLeft, tile.y() - kRowStep);
    return QPoint(tile.x() - kColumnStep, tile.y());
}

AfterRemoval RangeAfterRemoval(bool listEmpty, int lastLeft, int max, int position) {
    if (listEmpty || lastLeft != kLastColumnLeft) return {max, position, false};
    if (max > 0) max -= kRowStep;
    while (position > max)
        position -= kRowStep;
    return {max, position, true};
}

int ScrollTarget(ScrollCode code, int position, int proposed, int max) {
    switch (code) {
    case ScrollCode::LineUp:
        return position > 0 ? position - kRowStep : position;
    case ScrollCode::LineDown:
        return position < max ? position + kRowStep : position;
    case ScrollCode::PageUp:
        return std::max(position - kPageStep, 0);
    case ScrollCode::PageDown:
        return std::min(position + kPageStep, max);
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
        return std::max(proposed, 0) / kRowStep * kRowStep;
    case ScrollCode::Top:
        return 0;
    case ScrollCode::Bottom:
        return max;
    case ScrollCode::EndScroll:
        break;
    }
    return position;
}

LabelLayout LayOutLabels(int nameLeft, int nameWidth, int entryWidth, int numberWidth) {
    LabelLayout l;
    l.numberLeft = 162 - numberWidth;
    l.entryLeft = l.numberLeft - entryWidth;
    l.nameClipped = nameLeft + nameWidth + 16 > l.entryLeft;
    l.nameWidth = l.nameClipped ? l.entryLeft - 16 - nameLeft : nameWidth;
    return l;
}

} // namespace pictures
