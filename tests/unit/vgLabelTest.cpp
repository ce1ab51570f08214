#include "about/vgLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using tk::TextAlignment;
using tk::TextLayout;

namespace {

const char* Name(TextAlignment a) {
    return a == TextAlignment::Left ? "left" : a == TextAlignment::Right ? "right" : "centre";
}
const char* Name(TextLayout l) { return l == TextLayout::Top ? "top" : l == TextLayout::Bottom ? "bottom" : "centre"; }

}  // namespace

// Whatever the angle, the turned block of lines touches the edge that its
// alignment and layout name (or sits in the middle), and a shorter line sits
// within the block as the alignment says. Checked against the geometry of the
// turned block, to a pixel of rounding.
TEST(LabelPlacement, TurnedBlockMeetsTheNamedEdgesAndLinesAlignWithinIt) {
    const int W = 201, H = 150, MaxW = 80, LineH = 13, TotalH = 3 * LineH, Short = MaxW - 20;
    for (int angle : {0, 90, 180, 270, 30}) {
        double a = angle * std::numbers::pi / 180, S = std::sin(a), C = std::cos(a);
        for (TextAlignment align : {TextAlignment::Left, TextAlignment::Right, TextAlignment::Center}) {
            for (TextLayout layout : {TextLayout::Top, TextLayout::Center, TextLayout::Bottom}) {
                SCOPED_TRACE(testing::Message() << angle << " degrees, " << Name(align) << ", " << Name(layout));
                TTextPlacement p{angle, W, H, MaxW, TotalH, LineH, align, layout};
                POINT origin = LinePosition(p, 0, MaxW);
                // Corners of the block: along the text (C, -S), down the lines (S, C).
                double xs[] = {0, MaxW * C, TotalH * S, MaxW * C + TotalH * S};
                double ys[] = {0, -MaxW * S, TotalH * C, TotalH * C - MaxW * S};
                double left = origin.x + *std::min_element(xs, xs + 4), right = origin.x + *std::max_element(xs, xs + 4);
                double top = origin.y + *std::min_element(ys, ys + 4), bottom = origin.y + *std::max_element(ys, ys + 4);
                switch (align) {
                case TextAlignment::Left: EXPECT_NEAR(left, 0, 1); break;
                case TextAlignment::Right: EXPECT_NEAR(right, W, 1); break;
                case TextAlignment::Center: EXPECT_NEAR((left + right) / 2, W / 2.0, 1); break;
                }
                switch (layout) {
                case TextLayout::Top: EXPECT_NEAR(top, 0, 1); break;
                case TextLayout::Bottom: EXPECT_NEAR(bottom, H, 1); break;
                case TextLayout::Center: EXPECT_NEAR((top + bottom) / 2, H / 2.0, 1); break;
                }
                double along = align == TextAlignment::Left ? 0 : align == TextAlignment::Right ? MaxW - Short : (MaxW - Short) / 2.0;
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
    struct Row {
        TextAlignment align;
        TextLayout layout;
        POINT line1;
    } rows[] = {
        {TextAlignment::Left, TextLayout::Top, {0, 13}},
        {TextAlignment::Right, TextLayout::Top, {W - LW, 13}},
        {TextAlignment::Center, TextLayout::Top, {(W - MaxW) / 2 + 10, 13}},
        {TextAlignment::Left, TextLayout::Center, {0, (H - TotalH) / 2 + 13}},
        {TextAlignment::Center, TextLayout::Center, {(W - MaxW) / 2 + 10, (H - TotalH) / 2 + 13}},
        {TextAlignment::Right, TextLayout::Bottom, {W - LW, H - TotalH + 13}},
    };
    for (const Row& r : rows) {
        POINT at = LinePosition({0, W, H, MaxW, TotalH, LineH, r.align, r.layout}, 1, LW);
        EXPECT_EQ(at.x, r.line1.x) << Name(r.align) << " " << Name(r.layout);
        EXPECT_EQ(at.y, r.line1.y) << Name(r.align) << " " << Name(r.layout);
    }
}

TEST(LabelEffects, AnglesAreReducedAndEveryChangeSwitchesAutoSizeOff) {
    TvgLabel label(nullptr);
    TLabelEffects& fx = *label.Effects();
    EXPECT_EQ(fx.ShadowAngle(), 315);
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
    struct Row {
        int angle, depth;
        POINT offset;
    } rows[] = {{315, 1, {1, 1}}, {0, 2, {2, 0}}, {90, 3, {0, -3}}, {180, 1, {-1, 0}}, {225, 2, {-1, 1}}, {315, 0, {0, 0}}};
    for (const Row& r : rows) {
        POINT at = ShadowOffset(r.angle, r.depth);
        EXPECT_EQ(at.x, r.offset.x) << r.angle << "/" << r.depth;
        EXPECT_EQ(at.y, r.offset.y) << r.angle << "/" << r.depth;
    }
    for (auto [v, even] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {-0.5, 0}, {2.4999, 2}, {-2.6, -3}})
        EXPECT_EQ(RoundEven(v), even) << v;
}

TEST(ShellExecParams, CopyTakesAllSixAndEmptyTextsReachTheShellAsEmptyTexts) {
    TShellExecParams from, to;
    from.hWnd = reinterpret_cast<HWND>(0x1234);
    from.Directory = "C:\\work";
    from.FileName = "mailto:someone@example.org";
    from.Operation = "open";
    from.Parameters = "-x";
    from.ShowComand = soRestore;
    to.Assign(from);
    std::vector<std::string> seen;
    SetShellExecute([&](HWND wnd, LPCSTR op, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
        for (LPCSTR s : {op, file, params, dir}) seen.push_back(s ? s : "<null>");
        seen.push_back(std::to_string(show) + (wnd == from.hWnd ? " owner" : " other"));
        return reinterpret_cast<HINSTANCE>(42);
    });
    EXPECT_EQ(reinterpret_cast<INT_PTR>(to.Execute()), 42);
    TShellExecParams defaults;
    defaults.Execute();
    SetShellExecute(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"open", "mailto:someone@example.org", "-x", "C:\\work", "9 owner",
                                              "", "", "", "", "5 other"}));
}
