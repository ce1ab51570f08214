// The folder edit field's pure parts: its shortcut encoding, where its
// button goes, and the ellipsis picture.
#include "controls/ToolEdit.h"

#include <gtest/gtest.h>

// Alt+Down opens the dialog whether or not a mouse button is held.
TEST(ClickKey, KeyInTheLowByteShiftKeysInTheHighBitsMouseStateLeftOut) {
    EXPECT_EQ(ShortCut('A', tk::ssShift | tk::ssCtrl), 0x6041);
    EXPECT_EQ(ShortCut(VK_DOWN, tk::ssAlt | tk::ssLeft | tk::ssDouble), 0x8028);
}

TEST(ButtonHolder, LiesInsideTheRightEdgeForEachLook) {
    struct {
        bool newStyle, ctl3D, border;
        std::vector<int> bounds;
    } cases[] = {
        {true, true, true, {376, 0, 21, 17}},   // sunken border of two pixels
        {true, false, true, {378, 2, 21, 17}},  // flat border of one
        {true, true, false, {380, 0, 21, 21}},
        {false, true, true, {380, 0, 21, 21}},
    };
    for (const auto& c : cases) {
        tk::Bounds b = ButtonHolderBounds(c.newStyle, c.ctl3D, c.border, 401, 21, 21);
        EXPECT_EQ((std::vector<int>{b.Left, b.Top, b.Width, b.Height}), c.bounds) << c.newStyle << c.ctl3D << c.border;
    }
}

TEST(EllipsisGlyph, ThreeDotsCentredAndCutAtTheEdges) {
    struct {
        int buttonWidth;
        std::string dots;  // rows 1 and 2; rows 0 and 3 stay white
    } cases[] = {
        {21, ".##...##...##.."},
        {12, "#.##.#"},  // too narrow: the outer dots are cut
        {40, "...........##...##...##..........."},
        {3, "#"},
    };
    for (const auto& c : cases) {
        tk::BitmapHandle bmp = MakeEllipsisGlyph(c.buttonWidth);
        SIZE size = tk::BitmapSize(bmp.get());
        ASSERT_EQ(size.cx, static_cast<LONG>(c.dots.size())) << c.buttonWidth;
        EXPECT_EQ(size.cy, 4);
        tk::MemDc dc(CreateCompatibleDC(nullptr));
        tk::SelectObj sel(dc.get(), bmp.get());
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int x = 0; x < size.cx; ++x) row += GetPixel(dc.get(), x, y) == 0 ? '#' : '.';
            EXPECT_EQ(row, y == 1 || y == 2 ? c.dots : std::string(c.dots.size(), '.')) << c.buttonWidth << " row " << y;
        }
    }
}
