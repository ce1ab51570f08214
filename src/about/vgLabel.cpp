#include "about/vgLabel.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Static initialisation runs on the program's main thread.
const DWORD g_mainThread = GetCurrentThreadId();

TShellExecute& ShellCall() {
    static TShellExecute call;
    return call;
}

// The caption's lines as a string list splits them: at CR, LF or CR LF, with
// no empty line after a final break; no line at all becomes one blank.
std::vector<std::string> CaptionLines(const std::string& s) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find_first_of("\r\n", start);
        if (end == std::string::npos) end = s.size();
        lines.push_back(s.substr(start, end - start));
        start = end + ((end + 1 < s.size() && s[end] == '\r' && s[end + 1] == '\n') ? 2 : 1);
    }
    if (lines.empty()) lines.emplace_back(" ");
    return lines;
}

template <std::string TShellExecParams::*Field>
tk::TextProperty ParamText(const char* name) {
    return {name, [](const tk::Persistent& p) { return static_cast<const TShellExecParams&>(p).*Field; },
            [](tk::Persistent& p, const std::string& v) { static_cast<TShellExecParams&>(p).*Field = v; }};
}

}  // namespace

int ReduceAngle(int degrees) {
    degrees %= 360;
    return degrees < 0 ? degrees + 360 : degrees;
}

int RoundEven(double v) {
    double whole = std::floor(v), fraction = v - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    return static_cast<int>(whole);
}

POINT ShadowOffset(int shadowAngle, int shadowDepth) {
    double a = shadowAngle * std::numbers::pi / 180;
    return {RoundEven(std::cos(a) * shadowDepth), -RoundEven(std::sin(a) * shadowDepth)};
}

POINT LinePosition(const TTextPlacement& p, int i, int LW) {
    using tk::TextAlignment, tk::TextLayout;
    double a = p.Angle * std::numbers::pi / 180, S = std::sin(a), C = std::cos(a);
    int RotW = RoundEven(p.MaxW * C + p.TotalH * S);
    int RotH = RoundEven(p.MaxW * S - p.TotalH * C);
    double D = static_cast<double>(p.LineHeight) * i;
    int spare = p.MaxW - LW;
    int dx = RoundEven(D * S), dy = RoundEven(D * C);
    switch (p.Alignment) {
    case TextAlignment::Left:
        if (C < 0) dx -= RoundEven(p.MaxW * C);
        if (S < 0) dx -= RoundEven(p.TotalH * S);
        break;
    case TextAlignment::Right:
        dx += (p.Width - RotW) + RoundEven(spare * C);
        if (C < 0) dx += RoundEven(p.MaxW * C);
        if (S < 0) dx += RoundEven(p.TotalH * S);
        dy -= RoundEven(spare * S);
        break;
    case TextAlignment::Center:
        dx += (p.Width - RotW) / 2 + RoundEven(spare * C / 2);
        dy -= p.Layout == TextLayout::Center ? RoundEven(spare * S / 2) : RoundEven(spare * S) / 2;
        break;
    }
    switch (p.Layout) {
    case TextLayout::Top:
        if (S > 0) dy += RoundEven(p.MaxW * S);
        if (C < 0) dy -= RoundEven(p.TotalH * C);
        break;
    case TextLayout::Center:
        dy += (p.Height + RotH) / 2;
        break;
    case TextLayout::Bottom:
        dy += p.Height + RotH;
        if (S > 0) dy -= RoundEven(p.MaxW * S);
        if (C < 0) dy += RoundEven(p.TotalH * C);
        break;
    }
    return {dx, dy};
}

// ---- TLabelEffects ----

const tk::ClassInfo& TLabelEffects::StaticClass() {
    static const tk::ClassInfo info{"TLabelEffects", &tk::Persistent::StaticClass(), {},
                                    {tk::ObjectProp("Glyph", &TLabelEffects::Glyph),
                                     tk::ObjectProp("Pen", &TLabelEffects::Pen)}};
    return info;
}

TLabelEffects::TLabelEffects(TvgCustomLabel& label)
    : label_(label), glyph_(std::make_unique<tk::Bitmap>()), pen_(std::make_unique<tk::Pen>()) {
    glyph_->OnChange = [this] { Changed(); };
    pen_->OnChange = [this] { Changed(); };
}

void TLabelEffects::Changed() {
    label_.SetAutoSize(false);
    if (!label_.Loading()) label_.Invalidate();
}

// ---- TShellExecParams ----

const tk::ClassInfo& TShellExecParams::StaticClass() {
    static const tk::ClassInfo info{"TShellExecParams", &tk::Persistent::StaticClass(),
                                    {ParamText<&TShellExecParams::Directory>("Directory"),
                                     ParamText<&TShellExecParams::FileName>("FileName"),
                                     ParamText<&TShellExecParams::Operation>("Operation"),
                                     ParamText<&TShellExecParams::Parameters>("Parameters")},
                                    {}};
    return info;
}

HINSTANCE TShellExecParams::Execute() const {
    // Empty texts go to the shell as empty texts, not as null pointers.
    if (const TShellExecute& call = ShellCall())
        return call(hWnd, Operation.c_str(), FileName.c_str(), Parameters.c_str(), Directory.c_str(), ShowComand);
    return ShellExecuteA(hWnd, Operation.c_str(), FileName.c_str(), Parameters.c_str(), Directory.c_str(), ShowComand);
}

void TShellExecParams::Assign(const TShellExecParams& other) {
    hWnd = other.hWnd;
    Directory = other.Directory;
    FileName = other.FileName;
    Operation = other.Operation;
    Parameters = other.Parameters;
    ShowComand = other.ShowComand;
}

void SetShellExecute(TShellExecute call) { ShellCall() = std::move(call); }

// ---- TvgCustomLabel ----

const tk::ClassInfo& TvgCustomLabel::StaticClass() {
    static const tk::ClassInfo info{"TvgCustomLabel", &tk::GraphicLabel::StaticClass(), {}, {}};
    return info;
}

TvgCustomLabel::TvgCustomLabel(tk::Component* owner)
    : tk::GraphicLabel(owner), effects_(std::make_unique<TLabelEffects>(*this)),
      execParams_(std::make_unique<TShellExecParams>()) {}

void TvgCustomLabel::MouseDown(tk::MouseButton b, tk::ShiftState shift, int x, int y) {
    tk::GraphicLabel::MouseDown(b, shift, x, y);
    if (b == tk::MouseButton::Left && Enabled() && !execParams_->FileName.empty()) RunExecParams();
}

void TvgCustomLabel::RunExecParams() {
    if (GetCurrentThreadId() != g_mainThread) {
        execParams_->Execute();
        return;
    }
    tk::ScreenCursor starting(tk::crAppStart);
    execParams_->Execute();
}

void TvgCustomLabel::Resize() {
    Invalidate();
    tk::GraphicLabel::Resize();
}

void TvgCustomLabel::Paint(HDC target) {
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0) return;
    const TLabelEffects& fx = *effects_;
    tk::Font* font = EffectiveFontObject();
    tk::MemDc mem(CreateCompatibleDC(target));
    tk::BitmapHandle bmp(CreateCompatibleBitmap(target, W, H));
    HDC dc = mem.get();
    tk::SelectObj selBmp(dc, bmp.get());

    std::vector<std::string> lines = CaptionLines(Caption());
    std::vector<int> widths;
    TTextPlacement place{0, W, H, 0, 0, 0, Alignment(), Layout()};
    {
        tk::SelectObj selFont(dc, font->Handle());
        place.LineHeight = tk::TextExtent(dc, "Wg").cy;
        for (const std::string& line : lines) {
            widths.push_back(tk::TextExtent(dc, line).cx);
            place.MaxW = std::max(place.MaxW, widths.back());
        }
        place.TotalH = static_cast<int>(lines.size()) * place.LineHeight;
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        // Only outline fonts turn.
        if (tm.tmPitchAndFamily & TMPF_TRUETYPE) place.Angle = fx.Angle();
    }

    RECT all{0, 0, W, H};
    tk::BrushHandle back(CreateSolidBrush(tk::ColorToRGB(Color())));
    FillRect(dc, &all, back.get());
    SetBkMode(dc, TRANSPARENT);
    LOGFONTA lf{};
    GetObjectA(font->Handle(), sizeof lf, &lf);
    lf.lfEscapement = lf.lfOrientation = place.Angle * 10;
    tk::FontHandle turned(CreateFontIndirectA(&lf));
    tk::SelectObj selFont(dc, turned.get());

    auto textOut = [&](int x, int y) {
        for (size_t i = 0; i < lines.size(); ++i) {
            POINT at = LinePosition(place, static_cast<int>(i), widths[i]);
            tk::WriteText(dc, x + at.x, y + at.y, lines[i]);
        }
    };
    auto textPath = [&](int x, int y) {
        BeginPath(dc);
        textOut(x, y);
        EndPath(dc);
    };
    auto drawText = [&](int x, int y, COLORREF color, COLORREF penColor) {
        if (fx.Outline()) {
            textPath(x, y);
            tk::PenHandle pen = fx.Pen()->Make(penColor);
            tk::SelectObj selPen(dc, pen.get());
            StrokePath(dc);
        } else {
            SetTextColor(dc, tk::ColorToRGB(color));
            textOut(x, y);
        }
    };

    POINT shadow = ShadowOffset(fx.ShadowAngle(), fx.ShadowDepth());
    if (shadow.x || shadow.y) drawText(shadow.x, shadow.y, fx.ShadowColor(), fx.ShadowColor());

    switch (Enabled() ? fx.Style() : lsLowered) {
    case lsRaised: drawText(-1, -1, tk::clBtnHighlight, fx.Pen()->Color()); break;
    case lsLowered: drawText(1, 1, tk::clBtnHighlight, fx.Pen()->Color()); break;
    case lsNormal: break;
    }

    COLORREF textColor = Enabled() ? font->Color() : tk::clBtnShadow;
    if (fx.Glyph()->Empty()) {
        drawText(0, 0, textColor, fx.Pen()->Color());
    } else {
        textPath(0, 0);
        SelectClipPath(dc, RGN_COPY);
        SIZE tile = fx.Glyph()->Size();
        tk::MemDc glyphDc(CreateCompatibleDC(dc));
        tk::SelectObj selGlyph(glyphDc.get(), fx.Glyph()->Handle());
        for (int x = 0; tile.cx > 0 && x < W; x += tile.cx)
            for (int y = 0; tile.cy > 0 && y < H; y += tile.cy)
                BitBlt(dc, x, y, tile.cx, tile.cy, glyphDc.get(), 0, 0, SRCCOPY);
        SelectClipRgn(dc, nullptr);
    }

    if (Transparent())
        TransparentBlt(target, 0, 0, W, H, dc, 0, 0, W, H, tk::ColorToRGB(Color()));
    else
        BitBlt(target, 0, 0, W, H, dc, 0, 0, SRCCOPY);
}

// ---- TvgLabel ----

const tk::ClassInfo& TvgLabel::StaticClass() {
    static const tk::ClassInfo info{"TvgLabel", &TvgCustomLabel::StaticClass(), {},
                                    {tk::ObjectProp("Effects", &TvgLabel::Effects),
                                     tk::ObjectProp("ExecParams", &TvgLabel::ExecParams)}};
    return info;
}
