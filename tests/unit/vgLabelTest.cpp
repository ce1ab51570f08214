#include "about/vgLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

using tk::TextAlignment;
using tk::TextLayout;

// Whatever the angle, the turned block of lines touches the edge that its
// alignment and layout name (or sits in the middle), and a shorter line sits
// within the block as the alignment says. Checked against the geometry of the
// turned block, to a pixel of rounding.
TEST(LabelPlacement, TurnedBlockMeetsTheNamedEdgesAndLinesAlignWithinIt) {
    const int W = 201, H = 150, MaxW = 80, LineH = 13, TotalH = 3 * LineH, Short = MaxW - 20;
    // Where along the width (left, right, centre) and the height (top, centre, bottom).
    const double across[] = {0, 1, 0.5}, down[] = {0, 0.5, 1};
    for (int angle : {0, 90, 180, 270, 30}) {
        double a = angle * std::numbers::pi / 180, S = std::sin(a), C = std::cos(a);
        for (int h = 0; h < 3; ++h) {
            for (int v = 0; v < 3; ++v) {
                SCOPED_TRACE(testing::Message() << angle << " degrees, alignment " << h << ", layout " << v);
                TTextPlacement p{angle, W, H, MaxW, TotalH, LineH, TextAlignment(h), TextLayout(v)};
                POINT origin = LinePosition(p, 0, MaxW);
                // Corners of the block: along the text (C, -S), down the lines (S, C).
                double xs[] = {0, MaxW * C, TotalH * S, MaxW * C + TotalH * S};
                double ys[] = {0, -MaxW * S, TotalH * C, TotalH * C - MaxW * S};
                auto [x0, x1] = std::minmax_element(xs, xs + 4);
                auto [y0, y1] = std::minmax_element(ys, ys + 4);
                EXPECT_NEAR(origin.x + *x0 + across[h] * (*x1 - *x0), across[h] * W, 1);
                EXPECT_NEAR(origin.y + *y0 + down[v] * (*y1 - *y0), down[v] * H, 1);
                double along = across[h] * (MaxW - Short);
                POINT third = LinePosition(p, 2, Short);
                EXPECT_NEAR(third.x - origin.x, along * C + 2 * LineH * S, 1);
                EXPECT_NEAR(third.y - origin.y, -along * S + 2 * LineH * C, 1);
            }
        }
    }
}

// Unturned, the places are exact, halves rounding to the even neighbour.
TEST(LabelPlacement, UnturnedLinesSitExactly) {
    const int W = 201, H = 150, MaxW = 80, TotalH = 39, LineH = 13, LW = 59;  // (MaxW - LW) / 2 = 10.5
    for (auto [align, layout, x, y] : {std::tuple{TextAlignment::Left, TextLayout::Top, 0, 13},
                                       {TextAlignment::Center, TextLayout::Top, (W - MaxW) / 2 + 10, 13},
                                       {TextAlignment::Center, TextLayout::Center, (W - MaxW) / 2 + 10, (H - TotalH) / 2 + 13},
                                       {TextAlignment::Right, TextLayout::Bottom, W - LW, H - TotalH + 13}}) {
        POINT at = LinePosition({0, W, H, MaxW, TotalH, LineH, align, layout}, 1, LW);
        EXPECT_EQ((std::pair<LONG, LONG>{at.x, at.y}), (std::pair<LONG, LONG>{x, y})) << int(align) << "/" << int(layout);
    }
}

TEST(LabelEffects, AnglesAreReducedAndEveryChangeSwitchesAutoSizeOff) {
    TvgLabel label(nullptr);
    TLabelEffects& fx = *label.Effects();
    for (auto [given, kept] : {std::pair{360, 0}, {-90, 270}, {725, 5}, {-720, 0}, {359, 359}}) {
        fx.SetAngle(given);
        fx.SetShadowAngle(given);
        EXPECT_EQ(fx.Angle(), kept) << given;
        EXPECT_EQ(fx.ShadowAngle(), kept) << given;
    }
    // A change inside the pen counts as well.
    label.SetAutoSize(true);
    fx.Pen()->SetWidth(3);
    EXPECT_FALSE(label.AutoSize());
    label.SetAutoSize(true);
    fx.SetShadowDepth(1);
    EXPECT_FALSE(label.AutoSize());
}

TEST(LabelEffects, ShadowOffsetFollowsAngleAndDepthAndRoundsHalvesToEven) {
    for (auto [angle, depth, x, y] :
         {std::array{315, 1, 1, 1}, {0, 2, 2, 0}, {90, 3, 0, -3}, {180, 1, -1, 0}, {225, 2, -1, 1}, {315, 0, 0, 0}}) {
        POINT at = ShadowOffset(angle, depth);
        EXPECT_EQ((std::pair<LONG, LONG>{at.x, at.y}), (std::pair<LONG, LONG>{x, y})) << angle << "/" << depth;
    }
    for (auto [v, even] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-0.5, 0}, {2.4999, 2}, {-2.6, -3}})
        EXPECT_EQ(RoundEven(v), even) << v;
}
