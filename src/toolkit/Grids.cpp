#include "toolkit/Grids.h"

#include <algorithm>

namespace tk {

const ClassInfo& DrawGrid::StaticClass() {
    static const ClassInfo info{"TDrawGrid", &Control::StaticClass(), {}, {}};
    return info;
}

DrawGrid::DrawGrid(Component* owner) : Control(owner) { TabStop = true; }

void DrawGrid::CreateParamsFor(CreateParams& p) {
    p.ClassName = PlainWindowClass();
    p.OwnClass = true;
    p.Style |= WS_TABSTOP | WS_HSCROLL;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void DrawGrid::SetColCount(int v) {
    colCount_ = std::max(1, v);
    col_ = std::min(col_, colCount_ - 1);
    leftCol_ = std::clamp(leftCol_, 0, std::max(0, colCount_ - VisibleColCount()));
    UpdateScrollBar();
    Invalidate();
}

void DrawGrid::SetRowCount(int v) {
    rowCount_ = std::max(1, v);
    row_ = std::min(row_, rowCount_ - 1);
    Invalidate();
}

void DrawGrid::SetCellSize(int width, int height) {
    colWidth_ = width;
    rowHeight_ = height;
    UpdateScrollBar();
    Invalidate();
}

int DrawGrid::VisibleColCount() {
    const RECT r = ClientRect();
    return std::max(1, static_cast<int>(r.right) / (colWidth_ + GridLineWidth));
}

void DrawGrid::SetCol(int v) {
    col_ = std::clamp(v, 0, colCount_ - 1);
    // The current column stays in view.
    if (col_ < leftCol_) SetLeftCol(col_);
    else if (col_ >= leftCol_ + VisibleColCount()) SetLeftCol(col_ - VisibleColCount() + 1);
    Invalidate();
}

void DrawGrid::SetRow(int v) {
    row_ = std::clamp(v, 0, rowCount_ - 1);
    Invalidate();
}

void DrawGrid::SetLeftCol(int v) {
    leftCol_ = std::clamp(v, 0, std::max(0, colCount_ - VisibleColCount()));
    UpdateScrollBar();
    Invalidate();
}

RECT DrawGrid::CellRect(int col, int row) {
    const int x = (col - leftCol_) * (colWidth_ + GridLineWidth), y = row * (rowHeight_ + GridLineWidth);
    return {x, y, x + colWidth_, y + rowHeight_};
}

void DrawGrid::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, colCount_ - 1,
                  static_cast<UINT>(VisibleColCount()), leftCol_, 0};
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
}

void DrawGrid::Scroll(int code) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(Handle(), SB_HORZ, &si);
    switch (code) {
    case SB_LINELEFT: SetLeftCol(leftCol_ - 1); break;
    case SB_LINERIGHT: SetLeftCol(leftCol_ + 1); break;
    case SB_PAGELEFT: SetLeftCol(leftCol_ - VisibleColCount()); break;
    case SB_PAGERIGHT: SetLeftCol(leftCol_ + VisibleColCount()); break;
    case SB_LEFT: SetLeftCol(0); break;
    case SB_RIGHT: SetLeftCol(colCount_); break;
    case SB_THUMBTRACK:
        if (ThumbTracking) SetLeftCol(si.nTrackPos);
        break;
    case SB_THUMBPOSITION: SetLeftCol(si.nTrackPos); break;
    default: break;
    }
}

void DrawGrid::Paint(HDC dc) {
    RECT client = ClientRect();
    BrushHandle face(CreateSolidBrush(ColorToRGB(Color)));
    FillRect(dc, &client, face.get());
    const bool focused = Focused();
    for (int row = 0; row < rowCount_; ++row) {
        for (int col = leftCol_; col < colCount_; ++col) {
            RECT r = CellRect(col, row);
            if (r.left >= client.right) break;
            // The lines right of and below the cell.
            RECT line{r.right, r.top, r.right + GridLineWidth, r.bottom + GridLineWidth};
            FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
            line = {r.left, r.bottom, r.right, r.bottom + GridLineWidth};
            FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
            unsigned state = 0;
            if (col == col_ && row == row_) {
                state = gdSelected | (focused ? unsigned{gdFocused} : 0u);
                FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
            if (OnDrawCell) OnDrawCell(dc, col, row, r, state);
            RestoreDC(dc, saved);
            if (state & gdFocused) DrawFocusRect(dc, &r);
        }
    }
}

void DrawGrid::MouseDown(MouseButton b, ShiftState shift, int x, int y) {
    if (CanFocus()) SetFocus();
    const int col = leftCol_ + x / (colWidth_ + GridLineWidth), row = y / (rowHeight_ + GridLineWidth);
    if (b == MouseButton::Left && col < colCount_ && row < rowCount_) {
        SetRow(row);
        SetCol(col);
    }
    Control::MouseDown(b, shift, x, y);
}

void DrawGrid::KeyDown(WORD& key, ShiftState shift) {
    Control::KeyDown(key, shift);
    switch (key) {
    case VK_LEFT: SetCol(col_ - 1); break;
    case VK_RIGHT: SetCol(col_ + 1); break;
    case VK_UP: SetRow(row_ - 1); break;
    case VK_DOWN: SetRow(row_ + 1); break;
    case VK_HOME: SetCol(0); break;
    case VK_END: SetCol(colCount_ - 1); break;
    default: return;
    }
    key = 0;
}

void DrawGrid::Resize() {
    Control::Resize();
    SetLeftCol(leftCol_);
}

LRESULT DrawGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_HSCROLL:
        Scroll(LOWORD(wp));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    return Control::WndProc(msg, wp, lp);
}

}  // namespace tk
