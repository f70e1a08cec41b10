// The arithmetic of the thumbnail grid and its scroll bar.
#include "pictures/picture_grid.h"

#include <gtest/gtest.h>

using namespace pictures;

// Placement and removal are exercised on the real list (picture_list_test.cpp); the slot
// arithmetic at the row boundary is checked here.
TEST(PictureGrid, SlotsAcrossTheRowBoundary) {
    EXPECT_EQ(NextTilePlace(QPoint(512, 296), 2).topLeft, QPoint(8, 440));
    EXPECT_TRUE(NextTilePlace(QPoint(512, 296), 2).growsRange);
    // The third row is the first that cannot show whole without scrolling.
    EXPECT_TRUE(NextTilePlace(QPoint(512, 152), 2).growsRange);
    EXPECT_FALSE(NextTilePlace(QPoint(512, 8), 2).growsRange);
    EXPECT_FALSE(NextTilePlace(QPoint(512, 152), 3).growsRange);
    EXPECT_EQ(SlotBack(QPoint(8, 152)), QPoint(512, 8));
    EXPECT_FALSE(RangeAfterRemoval(false, 176, 288, 288).relayout); // the row still holds tiles
}

TEST(PictureGrid, RowsInViewAndRange) {
    // The Pictures panel: 417 high with a one-pixel frame, so its third row is cut.
    EXPECT_EQ(RowsInView(416), 2);
    EXPECT_EQ(RowsInView(8 + 2 * 144 + 140), 3);
    EXPECT_EQ(RowsInView(8 + 2 * 144 + 139), 2);
    EXPECT_EQ(RowsInView(100), 1);
}

TEST(PictureGrid, ScrollCodes) {
    const int max = 288;
    EXPECT_EQ(ScrollTarget(ScrollCode::LineUp, 144, 143, max), 0);
    EXPECT_EQ(ScrollTarget(ScrollCode::LineUp, 0, -1, max), 0);
    EXPECT_EQ(ScrollTarget(ScrollCode::LineDown, 144, 145, max), 288);
    EXPECT_EQ(ScrollTarget(ScrollCode::LineDown, 288, 288, max), 288);
    EXPECT_EQ(ScrollTarget(ScrollCode::PageUp, 288, 288, max), 0);
    EXPECT_EQ(ScrollTarget(ScrollCode::PageDown, 144, 144, max), 288);
    EXPECT_EQ(ScrollTarget(ScrollCode::PageDown, 0, 0, 1440), 432);
    EXPECT_EQ(ScrollTarget(ScrollCode::ThumbTrack, 0, 200, max), 144);
    EXPECT_EQ(ScrollTarget(ScrollCode::ThumbPosition, 0, 287, max), 144);
    EXPECT_EQ(ScrollTarget(ScrollCode::ThumbPosition, 0, 288, max), 288);
    EXPECT_EQ(ScrollTarget(ScrollCode::Top, 288, 288, max), 0);
    EXPECT_EQ(ScrollTarget(ScrollCode::Bottom, 0, 0, max), 288);
    EXPECT_EQ(ScrollTarget(ScrollCode::EndScroll, 144, 0, max), 144);
}

TEST(PictureGrid, LongNamesAreCutSixteenPixelsBeforeTheEntryLabel) {
    LabelLayout l = LayOutLabels(2, 60, 40, 8);
    EXPECT_EQ(l.numberLeft, 154);
    EXPECT_EQ(l.entryLeft, 114);
    EXPECT_FALSE(l.nameClipped);
    EXPECT_EQ(l.nameWidth, 60);
    l = LayOutLabels(2, 96, 40, 8); // ends exactly 16 before "Entry: "
    EXPECT_FALSE(l.nameClipped);
    l = LayOutLabels(2, 97, 40, 8);
    EXPECT_TRUE(l.nameClipped);
    EXPECT_EQ(l.nameWidth, 96);
    l = LayOutLabels(2, 300, 40, 40); // five-digit numbers leave less room
    EXPECT_EQ(l.nameWidth, 162 - 40 - 40 - 16 - 2);
}
