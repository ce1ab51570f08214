// The speed button: a windowless button that shows a picture.
#pragma once

#include "toolkit/Controls.h"

namespace tk {

class SpeedButton : public GraphicControl {
public:
    explicit SpeedButton(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    // The picture, centred; the colour of its bottom-left pixel is left out.
    Bitmap* Glyph() const { return glyph_.get(); }
    // A flat button shows its frame only under the mouse or while pressed.
    bool Flat = false;
    void Paint(HDC dc) override;

protected:
    void MouseDown(MouseButton b, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton b, ShiftState shift, int x, int y) override;
    void MouseEnter() override { Invalidate(); }
    void MouseLeave() override { Invalidate(); }

private:
    void SetPressed(bool v);
    std::unique_ptr<Bitmap> glyph_;
    bool held_ = false;     // the left button went down on it
    bool pressed_ = false;  // ... and the pointer is still over it
};

}  // namespace tk
