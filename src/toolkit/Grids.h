// The draw grid: equal cells that the program draws, one of them current.
#pragma once

#include "toolkit/Controls.h"

namespace tk {

enum GridDrawState : unsigned { gdSelected = 1, gdFocused = 2 };

// Cells of one size in rows and columns, drawn by OnDrawCell; a click or the
// arrow keys choose the current cell. Columns that do not fit scroll
// sideways with a scroll bar.
class DrawGrid : public Control {
public:
    explicit DrawGrid(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    int ColCount() const { return colCount_; }
    void SetColCount(int v);  // at least one
    int RowCount() const { return rowCount_; }
    void SetRowCount(int v);
    void SetCellSize(int width, int height);
    int Col() const { return col_; }
    void SetCol(int v);
    int Row() const { return row_; }
    void SetRow(int v);
    // The first column shown.
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int v);
    // Columns that fit wholly.
    int VisibleColCount();
    // The view follows the scroll box while it is dragged.
    bool ThumbTracking = false;
    int GridLineWidth = 1;
    COLORREF Color = clWindow;
    RECT CellRect(int col, int row);

    std::function<void(HDC dc, int col, int row, RECT rect, unsigned state)> OnDrawCell;

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override { UpdateScrollBar(); }
    void MouseDown(MouseButton b, ShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, ShiftState shift) override;
    void Resize() override;

private:
    void Paint(HDC dc);
    void Scroll(int code);
    void UpdateScrollBar();
    int colCount_ = 5, rowCount_ = 5;
    int colWidth_ = 64, rowHeight_ = 24;
    int col_ = 0, row_ = 0, leftCol_ = 0;
};

}  // namespace tk
