#include "about/AboutUnit.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace testsupport;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kGreen = RGB(0, 128, 0), kRed = RGB(255, 0, 0),
                   kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255);
using Pixels = std::set<std::pair<int, int>>;

// Records what reaches the shell while it lives, marking calls made under
// the app-starting pointer.
class ShellLog {
public:
    explicit ShellLog(std::vector<std::string>& log) {
        SetShellExecute([&log](HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
            log.push_back(file + std::string(tk::Screen::Cursor() == tk::crAppStart ? " starting" : ""));
            return reinterpret_cast<HINSTANCE>(31);  // as when no program can open it
        });
    }
    ~ShellLog() { SetShellExecute(nullptr); }
};

// The pixels for which test(x, y, colour) holds where a control paints over
// a background colour, read back from a 32-bit picture that reaches a margin
// past its right edge.
Pixels Painted(tk::GraphicControl& c, COLORREF under, int margin, const std::function<bool(int, int, COLORREF)>& test) {
    int width = c.Width() + margin, height = c.Height();
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    tk::MemDc dc(CreateCompatibleDC(nullptr));
    tk::BitmapHandle bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    tk::SelectObj sel(dc.get(), bmp.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, tk::BrushHandle(CreateSolidBrush(under)).get());
    c.Paint(dc.get());
    Pixels out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (test(x, y, GetPixel(dc.get(), x, y))) out.insert({x, y});
    return out;
}
Pixels Painted(tk::GraphicControl& c, COLORREF under, COLORREF colour) {
    return Painted(c, under, 0, [colour](int, int, COLORREF v) { return v == colour; });
}

// A label on a form of its own: "Wg" in blue on white.
class LabelPainting : public testing::Test {
protected:
    void SetUp() override {
        label = tk::Make<TvgLabel>(&form, &form, "Label", {10, 10, 40, 20}, "Wg");
        label->SetAutoSize(false);
        label->GetFont()->SetColor(kBlue);
        label->SetColor(kWhite);
        form.AfterConstruction();
    }
    Pixels Text() { return Painted(*label, kWhite, kBlue); }
    // The pixels that are not what want(x, y) says, over a background.
    Pixels Wrong(COLORREF under, int margin, const std::function<COLORREF(int, int)>& want) {
        return Painted(*label, under, margin, [&](int x, int y, COLORREF v) { return v != want(x, y); });
    }
    tk::Form form{tk::App};
    TvgLabel* label = nullptr;
};

class AboutWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateWindows()); }
    void TearDown() override { DestroyWindows(); }
    // Down on a control, up where given (beside its left edge by default).
    static void Press(tk::Control* c, UINT down, int x = 3) {
        const HWND w = AboutForm->Handle();
        SendMessageA(w, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, MAKELPARAM(c->Left() + 3, c->Top() + 3));
        SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(c->Left() + x, c->Top() + 3));
        SendMessageA(w, down + 1, 0, MAKELPARAM(c->Left() + x, c->Top() + 3));
    }
    std::vector<std::string> opened;
    ShellLog shell{opened};
};

}  // namespace

// A shadow, and the highlight under a disabled label, are copies of the text
// one pixel right and down, beneath the text.
TEST_F(LabelPainting, ShadowAndLoweredLookLieOnePixelRightAndDown) {
    const Pixels text = Text();
    ASSERT_FALSE(text.empty());
    struct Row {
        const char* what;
        std::function<void()> setUp;
        COLORREF top, under, background;
    } rows[] = {
        {"shadow", [&] { label->Effects()->SetShadowColor(kRed), label->Effects()->SetShadowDepth(1); }, kBlue, kRed, kWhite},
        {"disabled", [&] { label->Effects()->SetShadowDepth(0), label->SetColor(kGreen), label->SetEnabled(false); },
         tk::ColorToRGB(tk::clBtnShadow), tk::ColorToRGB(tk::clBtnHighlight), kGreen},
    };
    for (const Row& r : rows) {
        r.setUp();
        EXPECT_TRUE(Wrong(kWhite, 0, [&](int x, int y) {
            return text.count({x, y}) ? r.top : text.count({x - 1, y - 1}) ? r.under : r.background;
        }).empty()) << r.what;
    }
}

TEST_F(LabelPainting, TransparentLeavesTheBackgroundAndALongCaptionStaysInside) {
    label->SetCaption("Wg Wg Wg Wg Wg Wg Wg Wg");
    const Pixels text = Text();
    for (bool transparent : {true, false}) {
        label->SetTransparent(transparent);
        EXPECT_TRUE(Wrong(kMagenta, 20, [&](int x, int y) {
            return text.count({x, y}) ? kBlue : transparent || x >= label->Width() ? kMagenta : kWhite;
        }).empty()) << transparent;
    }
}

TEST_F(LabelPainting, OnlyTrueTypeFontsTurn) {
    label->SetBounds(10, 10, 60, 60);
    label->SetCaption("WWWW");
    label->Effects()->SetAngle(90);
    // Taller than wide once turned.
    auto turned = [&](const char* face) {
        label->GetFont()->SetName(face);
        int x0 = 99, x1 = 0, y0 = 99, y1 = 0;
        for (auto [x, y] : Text()) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        return y1 - y0 > x1 - x0;
    };
    EXPECT_TRUE(turned("Arial"));
    // Wine maps the old bitmap faces to TrueType ones; the URW fonts, where
    // installed, are outline fonts of another kind.
    bool other = turned("Nimbus Sans");
    tk::MemDc dc(CreateCompatibleDC(nullptr));
    tk::SelectObj sel(dc.get(), label->GetFont()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    if (tm.tmPitchAndFamily & TMPF_TRUETYPE) GTEST_SKIP() << "every font here is TrueType";
    EXPECT_FALSE(other);
}

// Only a left press on an enabled link hands its file to the shell, before
// the click; the mail link turns purple and stays so across showings.
TEST_F(AboutWindow, LinksHandTheirFileToTheShellAndTheMailLinkStaysPurple) {
    AboutForm->Show();
    TvgLabel* url = AboutForm->URL;
    url->OnClick = [this] { opened.push_back("click"); };
    url->OnMouseDown = [this](tk::MouseButton, tk::ShiftState, int, int) { opened.push_back("down"); };
    const std::string page = "https://quenmoor.example.org/en/ starting", mail = "mailto:quenmoor@example.org starting";
    Press(url, WM_LBUTTONDOWN);
    Press(url, WM_LBUTTONDOWN, -100);  // released elsewhere: no click
    Press(url, WM_RBUTTONDOWN);
    Press(AboutForm->mailto, WM_LBUTTONDOWN);
    EXPECT_EQ(opened, (std::vector<std::string>{"down", page, "click", "down", page, "down", mail}));
    EXPECT_EQ(tk::Screen::Cursor(), tk::crDefault);
    EXPECT_EQ(url->GetFont()->Color(), tk::clBlue);
    opened.clear();
    url->ExecParams()->FileName.clear();
    Press(url, WM_LBUTTONDOWN);
    url->ExecParams()->FileName = "mailto:quenmoor@example.org";
    url->SetEnabled(false);
    Press(url, WM_LBUTTONDOWN);
    AboutForm->Hide();
    AboutForm->Show();
    Press(AboutForm->mailto, WM_LBUTTONDOWN);
    EXPECT_EQ(opened, (std::vector<std::string>{"down", "click", mail}));
    EXPECT_FALSE(Painted(*AboutForm->mailto, kWhite, tk::clPurple).empty());
    EXPECT_TRUE(Painted(*AboutForm->mailto, kWhite, kBlue).empty());
}

// Impact and Georgia may be missing: whatever the system puts in their
// place, the logo, and every link, fits its frame and the window.
TEST_F(AboutWindow, LogoAndLinksFitTheirFramesAndOnlyOkTakesTheFocus) {
    AboutForm->HandleNeeded();  // as when shown: the links fit themselves then
    for (TvgLabel* l : {AboutForm->Logo1, AboutForm->Logo2, AboutForm->URL, AboutForm->vgLabel1, AboutForm->mailto}) {
        SIZE text = tk::LabelTextSize(l->EffectiveFontObject()->Handle(), l->Caption(), 0, false);
        EXPECT_LE(text.cx, l->Width()) << l->Name();
        EXPECT_LE(text.cy, l->Height()) << l->Name();
        EXPECT_LE(l->Left() + l->Width(), AboutForm->ClientWidth()) << l->Name();
    }
    EXPECT_EQ(AboutForm->TabList(), std::vector<tk::Control*>{AboutForm->CloseButton});
}
