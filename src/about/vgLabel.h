// A windowless label that paints its caption with effects (shadow, raised
// or lowered look, rotation, outline, picture fill) and hands a file name or
// address to the shell when the left button goes down on it.
#pragma once

#include "toolkit/StdCtrls.h"

enum TLabelStyle { lsNormal, lsRaised, lsLowered };

// Show-window values 0 to 10, in their order.
enum TShowCommand {
    soHide, soShowNormal, soShowMinimized, soShowMaximized, soShowNoActivate, soShow,
    soMinimize, soShowMinNoActive, soShowNA, soRestore, soShowDefault
};

class TvgCustomLabel;

// Angles are kept within 0..359 degrees.
int ReduceAngle(int degrees);
// Where the shadow lies relative to the text: one pixel right and down for
// the default angle of 315 degrees and a depth of 1.
POINT ShadowOffset(int shadowAngle, int shadowDepth);

// Rounds to the nearest integer, halves to the even neighbour.
int RoundEven(double v);

// The caption's lines as a block of MaxW x TotalH pixels, turned Angle
// degrees counter-clockwise and placed in a label of Width x Height.
struct TTextPlacement {
    int Angle;
    int Width, Height;
    int MaxW, TotalH, LineHeight;
    tk::TextAlignment Alignment;
    tk::TextLayout Layout;
};
// Where line i (from 0), LW pixels wide, starts.
POINT LinePosition(const TTextPlacement& p, int i, int LW);

class TLabelEffects : public tk::Persistent {
public:
    explicit TLabelEffects(TvgCustomLabel& label);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    int Angle() const { return angle_; }
    void SetAngle(int v) { if (tk::Store(angle_, ReduceAngle(v))) Changed(); }
    // Fills the text, tiled, when not empty.
    tk::Bitmap* Glyph() const { return glyph_.get(); }
    bool Outline() const { return outline_; }
    void SetOutline(bool v) { if (tk::Store(outline_, v)) Changed(); }
    tk::Pen* Pen() const { return pen_.get(); }
    int ShadowAngle() const { return shadowAngle_; }
    void SetShadowAngle(int v) { if (tk::Store(shadowAngle_, ReduceAngle(v))) Changed(); }
    COLORREF ShadowColor() const { return shadowColor_; }
    void SetShadowColor(COLORREF v) { if (tk::Store(shadowColor_, v)) Changed(); }
    int ShadowDepth() const { return shadowDepth_; }  // 0: no shadow
    void SetShadowDepth(int v) { if (tk::Store(shadowDepth_, v)) Changed(); }
    TLabelStyle Style() const { return style_; }
    void SetStyle(TLabelStyle v) { if (tk::Store(style_, v)) Changed(); }

private:
    void Changed();
    TvgCustomLabel& label_;
    int angle_ = 0;
    std::unique_ptr<tk::Bitmap> glyph_;
    bool outline_ = false;
    std::unique_ptr<tk::Pen> pen_;
    int shadowAngle_ = 315;
    COLORREF shadowColor_ = tk::clBtnShadow;
    int shadowDepth_ = 0;
    TLabelStyle style_ = lsNormal;
};

class TShellExecParams : public tk::Persistent {
public:
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    HWND hWnd = nullptr;    // owner of whatever the shell shows
    std::string Directory;
    std::string FileName;   // empty: nothing to execute
    std::string Operation;  // empty: the default action
    std::string Parameters;
    TShowCommand ShowComand = soShow;

    // Hands the file name to the shell; returns the shell's result.
    HINSTANCE Execute() const;
    void Assign(const TShellExecParams& other);
};

// The shell call behind Execute, with ShellExecuteA's arguments. Tests put
// another in its place to see what would be opened; an empty one restores
// the system's.
using TShellExecute = std::function<HINSTANCE(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                              LPCSTR directory, INT show)>;
void SetShellExecute(TShellExecute call);

class TvgCustomLabel : public tk::GraphicLabel {
public:
    explicit TvgCustomLabel(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TLabelEffects* Effects() const { return effects_.get(); }
    TShellExecParams* ExecParams() const { return execParams_.get(); }

    void Paint(HDC dc) override;

protected:
    void MouseDown(tk::MouseButton b, tk::ShiftState shift, int x, int y) override;
    void Resize() override;
    void RunExecParams();

private:
    std::unique_ptr<TLabelEffects> effects_;
    std::unique_ptr<TShellExecParams> execParams_;
};

class TvgLabel : public TvgCustomLabel {
public:
    using TvgCustomLabel::TvgCustomLabel;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
};
