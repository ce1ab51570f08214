#include "toolkit/ExtCtrls.h"

namespace tk {

const ClassInfo& Bevel::StaticClass() {
    static const ClassInfo info{"TBevel", &GraphicControl::StaticClass(), {}, {}};
    return info;
}

void Bevel::Paint(HDC dc) {
    const bool lowered = Style != BevelCut::Raised;
    if (Shape == BevelShape::Box) {
        RECT r{0, 0, Width(), Height()};
        DrawEdge(dc, &r, lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        return;
    }
    // A lowered line is a shadow over a highlight, a raised one the reverse.
    const int y = Shape == BevelShape::TopLine ? 0 : Height() - 2;
    RECT upper{0, y, Width(), y + 1}, lower{0, y + 1, Width(), y + 2};
    FillRect(dc, &upper, GetSysColorBrush(lowered ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    FillRect(dc, &lower, GetSysColorBrush(lowered ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW));
}

}  // namespace tk
