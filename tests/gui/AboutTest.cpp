#include "about/AboutUnit.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

#include <set>

using namespace testsupport;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kGreen = RGB(0, 128, 0), kRed = RGB(255, 0, 0),
                   kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255);

// What a label paints into a 32-bit picture as wide as the label plus a
// margin on the right, laid over the colour under.
struct Picture {
    int width, height;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height ? CLR_INVALID : pixels[static_cast<size_t>(y * width + x)];
    }
    std::set<std::pair<int, int>> Where(COLORREF c) const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) == c) out.insert({x, y});
        return out;
    }
};

Picture Render(tk::GraphicControl& label, COLORREF under, int margin = 0) {
    Picture p{label.Width() + margin, label.Height(), {}};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    tk::MemDc dc(CreateCompatibleDC(nullptr));
    tk::BitmapHandle bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    tk::SelectObj sel(dc.get(), bmp.get());
    RECT all{0, 0, p.width, p.height};
    tk::BrushHandle brush(CreateSolidBrush(under));
    FillRect(dc.get(), &all, brush.get());
    label.Paint(dc.get());
    GdiFlush();
    for (int i = 0; i < p.width * p.height; ++i) {
        DWORD v = static_cast<DWORD*>(bits)[i];
        p.pixels.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    }
    return p;
}

// A label on a form of its own: "Wg" in blue on white, in the form's font.
class LabelPainting : public testing::Test {
protected:
    void SetUp() override {
        form.SetClientSize(200, 100);
        label = tk::Make<TvgLabel>(&form, &form, "Label", {10, 10, 40, 20}, "Wg");
        label->SetAutoSize(false);
        label->GetFont()->SetColor(kBlue);
        label->SetColor(kWhite);
        form.AfterConstruction();
    }
    // Pixels of the plain text.
    std::set<std::pair<int, int>> TextMask() { return Render(*label, kWhite).Where(kBlue); }

    tk::Form form{tk::App};
    TvgLabel* label = nullptr;
};

// Each pixel is the text's when the text covers it, else the under colour
// when the text covers the pixel one up and left, else the background.
void ExpectOffsetCopy(const Picture& p, const std::set<std::pair<int, int>>& text, COLORREF top, COLORREF under,
                      COLORREF background) {
    ASSERT_FALSE(text.empty());
    int wrong = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            COLORREF want = text.count({x, y}) ? top : text.count({x - 1, y - 1}) ? under : background;
            wrong += p.At(x, y) != want;
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST_F(LabelPainting, ShadowLiesOnePixelRightAndDown) {
    auto text = TextMask();
    label->Effects()->SetShadowColor(kRed);
    label->Effects()->SetShadowDepth(1);
    ExpectOffsetCopy(Render(*label, kWhite), text, kBlue, kRed, kWhite);
}

TEST_F(LabelPainting, DisabledLabelIsDrawnLowered) {
    auto text = TextMask();
    label->SetColor(kGreen);
    label->SetEnabled(false);
    ExpectOffsetCopy(Render(*label, kWhite), text, tk::ColorToRGB(tk::clBtnShadow), tk::ColorToRGB(tk::clBtnHighlight),
                     kGreen);
}

TEST_F(LabelPainting, TransparentLeavesTheBackgroundAndNothingIsDrawnOutside) {
    label->SetCaption("Wg Wg Wg Wg Wg Wg Wg Wg");  // longer than the label
    auto text = TextMask();
    label->SetTransparent(true);
    Picture see = Render(*label, kMagenta, 20);
    label->SetTransparent(false);
    Picture opaque = Render(*label, kMagenta, 20);
    for (int y = 0; y < see.height; ++y)
        for (int x = 0; x < see.width; ++x) {
            bool inText = text.count({x, y}) > 0, outside = x >= label->Width();
            ASSERT_EQ(see.At(x, y), inText ? kBlue : kMagenta) << x << "," << y;
            ASSERT_EQ(opaque.At(x, y), inText ? kBlue : outside ? kMagenta : kWhite) << x << "," << y;
        }
}

TEST_F(LabelPainting, OnlyTrueTypeFontsTurn) {
    label->SetBounds(10, 10, 60, 60);
    label->SetCaption("WWWW");
    label->Effects()->SetAngle(90);
    auto extent = [&](const char* face) {
        label->GetFont()->SetName(face);
        int x0 = 99, x1 = 0, y0 = 99, y1 = 0;
        for (auto [x, y] : Render(*label, kWhite).Where(kBlue))
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        return SIZE{x1 - x0, y1 - y0};
    };
    SIZE trueType = extent("Arial");
    EXPECT_LT(trueType.cx, trueType.cy);
    // Wine here maps the old bitmap faces to TrueType ones; the URW fonts,
    // where installed, are outline fonts of another kind.
    SIZE other = extent("Nimbus Sans");
    tk::MemDc dc(CreateCompatibleDC(nullptr));
    tk::SelectObj sel(dc.get(), label->GetFont()->Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    if (tm.tmPitchAndFamily & TMPF_TRUETYPE) GTEST_SKIP() << "no font here that is not TrueType";
    EXPECT_GT(other.cx, other.cy);
}

namespace {

// A label that opens an address when pressed, and a record of what reached
// the shell and when.
class LabelPress : public testing::Test {
protected:
    void SetUp() override {
        form.SetClientSize(200, 100);
        label = tk::Make<TvgLabel>(&form, &form, "Link", {10, 10, 100, 13}, "the page");
        label->ExecParams()->FileName = "https://quenmoor.example.org/en/";
        label->OnClick = [this] { log.push_back("click"); };
        label->OnMouseDown = [this](tk::MouseButton, tk::ShiftState, int, int) { log.push_back("down"); };
        form.AfterConstruction();
        SetShellExecute([this](HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
            log.push_back(file);
            cursors.push_back(tk::Screen::Cursor());
            return reinterpret_cast<HINSTANCE>(2);  // as when nothing can open it
        });
    }
    void TearDown() override { SetShellExecute(nullptr); }
    void Send(UINT msg, int x, int y, WPARAM keys = 0) {
        SendMessageA(form.Handle(), msg, keys, MAKELPARAM(x, y));
    }

    tk::Form form{tk::App};
    TvgLabel* label = nullptr;
    std::vector<std::string> log;
    std::vector<tk::TCursor> cursors;
};

}  // namespace

TEST_F(LabelPress, LeftPressHandsTheFileToTheShellBeforeTheClickEveryTime) {
    for (int press = 0; press < 2; ++press) {
        Send(WM_LBUTTONDOWN, 20, 15, MK_LBUTTON);
        Send(WM_LBUTTONUP, 20, 15);
    }
    const std::string page = "https://quenmoor.example.org/en/";
    EXPECT_EQ(log, (std::vector<std::string>{"down", page, "click", "down", page, "click"}));
    EXPECT_EQ(cursors, (std::vector<tk::TCursor>{tk::crAppStart, tk::crAppStart}));
    EXPECT_EQ(tk::Screen::Cursor(), tk::crDefault);

    // Released elsewhere: the shell has it, the click never comes.
    log.clear();
    Send(WM_LBUTTONDOWN, 20, 15, MK_LBUTTON);
    Send(WM_MOUSEMOVE, 150, 80, MK_LBUTTON);
    Send(WM_LBUTTONUP, 150, 80);
    EXPECT_EQ(log, (std::vector<std::string>{"down", page}));
}

TEST_F(LabelPress, RightPressEmptyFileNameAndDisabledLabelExecuteNothing) {
    Send(WM_RBUTTONDOWN, 20, 15, MK_RBUTTON);
    Send(WM_RBUTTONUP, 20, 15);
    EXPECT_EQ(log, std::vector<std::string>{"down"});
    log.clear();
    label->ExecParams()->FileName.clear();
    Send(WM_LBUTTONDOWN, 20, 15, MK_LBUTTON);
    Send(WM_LBUTTONUP, 20, 15);
    EXPECT_EQ(log, (std::vector<std::string>{"down", "click"}));
    log.clear();
    label->ExecParams()->FileName = "mailto:quenmoor@example.org";
    label->SetEnabled(false);
    Send(WM_LBUTTONDOWN, 20, 15, MK_LBUTTON);
    Send(WM_LBUTTONUP, 20, 15);
    EXPECT_TRUE(log.empty());
}

namespace {

class AboutWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateWindows());
        SetShellExecute([this](HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
            opened.push_back(file);
            return reinterpret_cast<HINSTANCE>(31);  // no program for it
        });
    }
    void TearDown() override {
        SetShellExecute(nullptr);
        DestroyWindows();
    }
    void ClickOn(tk::Control* c) {
        LPARAM at = MAKELPARAM(c->Left() + 3, c->Top() + 3);
        SendMessageA(AboutForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(AboutForm->Handle(), WM_LBUTTONUP, 0, at);
    }
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(AboutWindow, MailLinkOpensANewMessageAndStaysPurpleAcrossShowings) {
    AboutForm->Show();
    ClickOn(AboutForm->URL);
    ClickOn(AboutForm->mailto);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://quenmoor.example.org/en/", "mailto:quenmoor@example.org"}));
    EXPECT_EQ(AboutForm->URL->GetFont()->Color(), tk::clBlue);
    SendMessageA(AboutForm->CloseButton->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(AboutForm->Handle()));

    AboutForm->Show();
    ClickOn(AboutForm->mailto);
    EXPECT_EQ(opened.size(), 3u);
    Picture link = Render(*AboutForm->mailto, kWhite);
    EXPECT_FALSE(link.Where(tk::clPurple).empty());
    EXPECT_TRUE(link.Where(kBlue).empty());
    AboutForm->Hide();
}

// Impact and Georgia may be missing: whatever the system puts in their
// place, the logo, and every link, fits its frame and the window.
TEST_F(AboutWindow, LogoAndLinksFitTheirFramesAndOnlyOkTakesTheFocus) {
    for (TvgLabel* l : {AboutForm->Logo1, AboutForm->Logo2, AboutForm->URL, AboutForm->vgLabel1, AboutForm->mailto}) {
        SIZE text = tk::LabelTextSize(l->EffectiveFontObject()->Handle(), l->Caption(), 0, false);
        EXPECT_LE(text.cx, l->Width()) << l->Name();
        EXPECT_LE(text.cy, l->Height()) << l->Name();
        EXPECT_LE(l->Left() + l->Width(), AboutForm->ClientWidth()) << l->Name();
    }
    EXPECT_EQ(AboutForm->TabList(), std::vector<tk::Control*>{AboutForm->CloseButton});
}
