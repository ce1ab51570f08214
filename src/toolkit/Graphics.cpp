#include "toolkit/Graphics.h"

#include "fs/FileSystem.h"

namespace tk {

Font::Font() = default;

const ClassInfo& Font::StaticClass() {
    static const ClassInfo info{"TFont", &Persistent::StaticClass(), {TextProp("Name", &Font::Name, &Font::SetName)}, {}};
    return info;
}

void Font::Changed() {
    handle_.reset();
    if (OnChange) OnChange();
}

void Font::SetName(const std::string& v) { if (v != name_) { name_ = v; Changed(); } }
void Font::SetHeight(int v) { if (v != height_) { height_ = v; Changed(); } }
void Font::SetColor(COLORREF v) { if (v != color_) { color_ = v; if (OnChange) OnChange(); } }
void Font::SetBold(bool v) { if (v != bold_) { bold_ = v; Changed(); } }
void Font::SetUnderline(bool v) { if (v != underline_) { underline_ = v; Changed(); } }
void Font::SetCharset(BYTE v) { if (v != charset_) { charset_ = v; Changed(); } }

void Font::Assign(const Font& o) {
    name_ = o.name_;
    height_ = o.height_;
    color_ = o.color_;
    bold_ = o.bold_;
    underline_ = o.underline_;
    charset_ = o.charset_;
    Changed();
}

HFONT Font::Handle() {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
        lf.lfUnderline = underline_;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.reset(CreateFontIndirectA(&lf));
    }
    return handle_.get();
}

int Font::TextHeight() {
    WindowDc dc(nullptr);
    SelectObj sel(dc.get(), Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    return tm.tmHeight;
}

const ClassInfo& Pen::StaticClass() {
    static const ClassInfo info{"TPen", &Persistent::StaticClass(), {}, {}};
    return info;
}

void Pen::SetColor(COLORREF v) { if (Store(color_, v)) Changed(); }
void Pen::SetWidth(int v) { if (Store(width_, v)) Changed(); }
void Pen::SetStyle(int v) { if (Store(style_, v)) Changed(); }

PenHandle Pen::Make(COLORREF color) const { return PenHandle(CreatePen(style_, width_, ColorToRGB(color))); }

const ClassInfo& Bitmap::StaticClass() {
    static const ClassInfo info{"TBitmap", &Persistent::StaticClass(), {}, {}};
    return info;
}

void Bitmap::SetHandle(HBITMAP bmp) {
    handle_.reset(bmp);
    if (OnChange) OnChange();
}

SIZE Bitmap::Size() const { return BitmapSize(handle_.get()); }

COLORREF ColorToRGB(COLORREF c) {
    return (c & 0x80000000) ? GetSysColor(static_cast<int>(c & 0xFF)) : c;
}

BitmapHandle LoadResBitmap(const char* name) {
    return BitmapHandle(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

SIZE BitmapSize(HBITMAP bmp) {
    BITMAP bm{};
    if (bmp) GetObjectA(bmp, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

void DrawTransparent(HDC dc, int x, int y, HBITMAP bmp) {
    if (!bmp) return;
    SIZE sz = BitmapSize(bmp);
    MemDc mem(CreateCompatibleDC(dc));
    SelectObj sel(mem.get(), bmp);
    COLORREF key = GetPixel(mem.get(), 0, sz.cy - 1);
    TransparentBlt(dc, x, y, sz.cx, sz.cy, mem.get(), 0, 0, sz.cx, sz.cy, key);
}

int IconCount(const std::string& file) {
    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    // Wine answers a missing file with UINT_MAX.
    const auto n = static_cast<int>(ExtractIconExW(fs::Widen(file).c_str(), -1, nullptr, nullptr, 0));
    return n < 0 ? 0 : n;
}

IconHandle ExtractIconFrom(const std::string& file, int index) {
    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    HICON icon = ExtractIconW(GetModuleHandleA(nullptr), fs::Widen(file).c_str(), static_cast<UINT>(index));
    // 1 says "not a file with icons": no handle to destroy.
    if (icon == reinterpret_cast<HICON>(1)) icon = nullptr;
    return IconHandle(icon);
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return {0, 0};
    BitmapHandle color(info.hbmColor), mask(info.hbmMask);
    SIZE size = BitmapSize(info.hbmColor ? info.hbmColor : info.hbmMask);
    if (!info.hbmColor) size.cy /= 2;  // a monochrome icon: mask and image one above the other
    return size;
}

int PaintText(HDC dc, const std::string& text, RECT* rect, UINT format) {
    const std::wstring wide = fs::Widen(text);
    return DrawTextW(dc, wide.c_str(), -1, rect, format);
}

bool WriteText(HDC dc, int x, int y, const std::string& text, UINT options, const RECT* clip) {
    const std::wstring wide = fs::Widen(text);
    return ExtTextOutW(dc, x, y, options, clip, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

SIZE TextExtent(HDC dc, const std::string& text) {
    const std::wstring wide = fs::Widen(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

}  // namespace tk
