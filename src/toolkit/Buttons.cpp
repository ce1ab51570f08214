#include "toolkit/Buttons.h"

namespace tk {

const ClassInfo& SpeedButton::StaticClass() {
    static const ClassInfo info{"TSpeedButton", &GraphicControl::StaticClass(), {}, {ObjectProp("Glyph", &SpeedButton::Glyph)}};
    return info;
}

SpeedButton::SpeedButton(Component* owner) : GraphicControl(owner), glyph_(std::make_unique<Bitmap>()) {
    glyph_->OnChange = [this] { Invalidate(); };
}

void SpeedButton::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (pressed_) {
        DrawEdge(dc, &r, Flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    } else if (!Flat || (MouseInControl() && Enabled())) {
        DrawEdge(dc, &r, Flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    }
    if (glyph_->Empty()) return;
    const SIZE size = glyph_->Size();
    const int shift = pressed_ ? 1 : 0;
    DrawTransparent(dc, (Width() - size.cx) / 2 + shift, (Height() - size.cy) / 2 + shift, glyph_->Handle());
}

void SpeedButton::SetPressed(bool v) {
    if (Store(pressed_, v)) Invalidate();
}

void SpeedButton::MouseDown(MouseButton b, ShiftState shift, int x, int y) {
    if (b == MouseButton::Left && Enabled()) {
        held_ = true;
        SetPressed(true);
    }
    GraphicControl::MouseDown(b, shift, x, y);
}

void SpeedButton::MouseMove(ShiftState shift, int x, int y) {
    if (held_) SetPressed(x >= 0 && y >= 0 && x < Width() && y < Height());
    GraphicControl::MouseMove(shift, x, y);
}

void SpeedButton::MouseUp(MouseButton b, ShiftState shift, int x, int y) {
    if (b == MouseButton::Left) {
        held_ = false;
        SetPressed(false);
    }
    GraphicControl::MouseUp(b, shift, x, y);
}

}  // namespace tk
