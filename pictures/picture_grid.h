#pragma once

#include <QPoint>
#include <optional>

// The arithmetic of the thumbnail grid: four tiles to a row, scrolled a whole row at a time, as
// far as it takes to bring the last row wholly into view.
namespace pictures {

inline constexpr int kTileWidth = 164;
inline constexpr int kTileHeight = 140;
inline constexpr int kFirstLeft = 8;
inline constexpr int kFirstTop = 8;
inline constexpr int kColumnStep = 168;
inline constexpr int kLastColumnLeft = kFirstLeft + 3 * kColumnStep; // 512
inline constexpr int kRowStep = 144;
inline constexpr int kPageStep = 3 * kRowStep;

// The rows whose tiles fit wholly into a panel whose visible part ends at this height (at least
// one): 2 for the Pictures page, whose third row is cut by the panel's lower edge.
int RowsInView(int visibleHeight);

struct TilePlace {
    QPoint topLeft;
    bool growsRange = false; // the scroll range must grow by one row
};

// Where the tile after `last` goes; the first tile when there is no `last`. A new row below the
// `rowsInView` rows that show whole grows the range.
TilePlace NextTilePlace(std::optional<QPoint> last, int rowsInView);
// A tile's place after the tile before it was removed: one slot back.
QPoint SlotBack(QPoint tile);

// The scroll range and position after a removal; `relayout` when the rows must be placed again.
struct AfterRemoval {
    int max;
    int position;
    bool relayout;
};
AfterRemoval RangeAfterRemoval(bool listEmpty, int lastLeft, int max, int position);

enum class ScrollCode {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbPosition,
    ThumbTrack,
    Top,
    Bottom,
    EndScroll
};
// The position a scroll action leads to, from the current position and the one proposed.
int ScrollTarget(ScrollCode code, int position, int proposed, int max);

// The three labels under a thumbnail: "Entry: " and the number right-aligned at the tile's
// right edge, the name from the left, cut 16 pixels before "Entry: " when it is too long.
struct LabelLayout {
    int numberLeft;
    int entryLeft;
    int nameWidth;
    bool nameClipped;
};
LabelLayout LayOutLabels(int nameLeft, int nameWidth, int entryWidth, int numberWidth);

} // namespace pictures
