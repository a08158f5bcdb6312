#include <afx.h>

#include <gtest/gtest.h>

TEST(CRectTest, GeometryFollowsWindowsRectangles) {
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(100, r.Width());
    EXPECT_EQ(50, r.Height());
    EXPECT_EQ(CPoint(60, 45), r.CenterPoint());
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(110, 20)));  // right edge is exclusive

    CRect moved = r;
    moved.OffsetRect(5, -5);
    EXPECT_EQ(CRect(15, 15, 115, 65), moved);
    moved.MoveToXY(0, 0);
    EXPECT_EQ(CRect(0, 0, 100, 50), moved);
    moved.DeflateRect(10, 5);
    EXPECT_EQ(CRect(10, 5, 90, 45), moved);

    EXPECT_EQ(CRect(15, 20, 110, 65), r & CRect(15, 15, 200, 65));
    EXPECT_TRUE((r & CRect(200, 200, 300, 300)).IsRectEmpty());
    EXPECT_EQ(CRect(0, 0, 110, 70), r | CRect(0, 0, 5, 5));

    CRect flipped(10, 10, 0, 0);
    EXPECT_TRUE(flipped.IsRectEmpty());
    flipped.NormalizeRect();
    EXPECT_EQ(CRect(0, 0, 10, 10), flipped);
    EXPECT_TRUE(CRect().IsRectNull());

    r.TopLeft() = CPoint(0, 0);
    EXPECT_EQ(CSize(110, 70), r.Size());
}
