// The bevel: a sunken or raised frame or line, drawn by its parent.
#pragma once

#include "toolkit/Controls.h"

namespace tk {

enum class BevelShape { Box, TopLine, BottomLine };

class Bevel : public GraphicControl {
public:
    explicit Bevel(Component* owner) : GraphicControl(owner) {}
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    BevelShape Shape = BevelShape::Box;
    BevelCut Style = BevelCut::Lowered;
    void Paint(HDC dc) override;
};

}  // namespace tk
