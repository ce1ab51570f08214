#include "toolkit/ExtCtrls.h"

namespace tk {

const ClassInfo& Bevel::StaticClass() {
    static const ClassInfo info{"TBevel", &GraphicControl::StaticClass(), {}, {}};
    return info;
}

void Bevel::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    const bool lowered = Style != BevelCut::Raised;
    // A lowered line is a shadow over a highlight, a raised one the reverse.
    const UINT line = lowered ? EDGE_ETCHED : EDGE_BUMP;
    switch (Shape) {
    case BevelShape::Box:
        DrawEdge(dc, &r, lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        break;
    case BevelShape::TopLine:
        DrawEdge(dc, &r, line, BF_TOP);
        break;
    case BevelShape::BottomLine:
        r.top = r.bottom - 2;
        DrawEdge(dc, &r, line, BF_TOP);
        break;
    }
}

}  // namespace tk
