// Fonts and pictures.
#pragma once

#include "toolkit/Classes.h"
#include "toolkit/Handles.h"

namespace tk {

// Colour values as form descriptions give them; the high bit names a system
// colour (ColorToRGB resolves it).
constexpr COLORREF clBlack = 0x000000, clBlue = 0xFF0000, clSilver = 0xC0C0C0, clPurple = 0x800080,
                   clWhite = 0xFFFFFF;
constexpr COLORREF clBtnFace = 0x80000000 | COLOR_BTNFACE, clBtnShadow = 0x80000000 | COLOR_BTNSHADOW,
                   clBtnHighlight = 0x80000000 | COLOR_BTNHIGHLIGHT, clWindowText = 0x80000000 | COLOR_WINDOWTEXT,
                   clWindow = 0x80000000 | COLOR_WINDOW, clHighlight = 0x80000000 | COLOR_HIGHLIGHT,
                   clHighlightText = 0x80000000 | COLOR_HIGHLIGHTTEXT,
                   clActiveCaption = 0x80000000 | COLOR_ACTIVECAPTION;

// A font description with a lazily made GDI font. Its Name is a published
// text property, so a language file can change it.
class Font : public Persistent {
public:
    Font();
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    std::string Name() const { return name_; }
    void SetName(const std::string& v);
    int Height() const { return height_; }  // negative: character height in pixels
    void SetHeight(int v);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF v);
    bool Bold() const { return bold_; }
    void SetBold(bool v);
    bool Underline() const { return underline_; }
    void SetUnderline(bool v);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE v);
    void Assign(const Font& other);

    HFONT Handle();
    // Character height (tmHeight) of this font.
    int TextHeight();

    std::function<void()> OnChange;

private:
    void Changed();
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    COLORREF color_ = clWindowText;
    bool bold_ = false;
    bool underline_ = false;
    BYTE charset_ = DEFAULT_CHARSET;
    FontHandle handle_;
};

// A pen description; each user makes its own GDI pen from it.
class Pen : public Persistent {
public:
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF v);
    int Width() const { return width_; }
    void SetWidth(int v);
    int Style() const { return style_; }  // PS_SOLID, PS_DASH...
    void SetStyle(int v);
    // A GDI pen of this description in the given colour.
    PenHandle Make(COLORREF color) const;

    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }
    COLORREF color_ = clBlack;
    int width_ = 1;
    int style_ = PS_SOLID;
};

// A picture that owns its bitmap and says when it changes.
class Bitmap : public Persistent {
public:
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    bool Empty() const { return !handle_; }
    HBITMAP Handle() const { return handle_.get(); }
    // Takes the bitmap over; null empties the picture.
    void SetHandle(HBITMAP bmp);
    SIZE Size() const;

    std::function<void()> OnChange;

private:
    BitmapHandle handle_;
};

// A colour value that names a system colour when its high bit is set.
COLORREF ColorToRGB(COLORREF c);

// Loads a bitmap resource of the program by name; empty when missing.
BitmapHandle LoadResBitmap(const char* name);
SIZE BitmapSize(HBITMAP bmp);
// Draws a bitmap with the colour of its bottom-left pixel left out.
void DrawTransparent(HDC dc, int x, int y, HBITMAP bmp);

// Icons of a program, library or icon file. The count is 0 for a file that
// is missing or holds none; a missing icon is an empty handle.
int IconCount(const std::string& file);
IconHandle ExtractIconFrom(const std::string& file, int index);
SIZE IconSize(HICON icon);

// Text in the process code page, drawn and measured through the wide calls:
// GDI's "A" text calls read bytes in the font's code page, not the process's.
int PaintText(HDC dc, const std::string& text, RECT* rect, UINT format);  // DrawText
bool WriteText(HDC dc, int x, int y, const std::string& text, UINT options = 0, const RECT* clip = nullptr);
SIZE TextExtent(HDC dc, const std::string& text);

}  // namespace tk
