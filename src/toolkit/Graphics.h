// Fonts and pictures.
#pragma once

#include "toolkit/Classes.h"
#include "toolkit/Handles.h"

namespace tk {

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
    COLORREF color_ = 0x80000000 | COLOR_WINDOWTEXT;
    bool bold_ = false;
    bool underline_ = false;
    BYTE charset_ = DEFAULT_CHARSET;
    FontHandle handle_;
};

// A colour value that names a system colour when its high bit is set.
COLORREF ColorToRGB(COLORREF c);

// Loads a bitmap resource of the program by name; empty when missing.
BitmapHandle LoadResBitmap(const char* name);
SIZE BitmapSize(HBITMAP bmp);
// Draws a bitmap with the colour of its bottom-left pixel left out.
void DrawTransparent(HDC dc, int x, int y, HBITMAP bmp);

}  // namespace tk
