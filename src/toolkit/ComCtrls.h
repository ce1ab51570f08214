// Common controls: the toolbar with its buttons, the page scroller and the
// progress bar.
#pragma once

#include "toolkit/Controls.h"

#include <commctrl.h>

namespace tk {

class ToolBar;

enum class ToolButtonStyle { Button, Check };

// A button of a toolbar. It has no window: the toolbar's window shows it, and
// as a windowless control of the toolbar it has bounds, a hint, the mouse and
// can be dragged like any control.
class ToolButton : public GraphicControl {
public:
    explicit ToolButton(Component* owner);
    ~ToolButton() override;
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    ToolBar* GetToolBar() const;
    // Position on its toolbar, -1 when it is on none.
    int Index() const;
    ToolButtonStyle Style = ToolButtonStyle::Button;
    // A pressed check button of a group releases the others of the group.
    bool Grouped = false;
    bool Down() const;
    void SetDown(bool v);
    void SetText(const std::string& v) override;

private:
    friend class ToolBar;
    bool down_ = false;
};

// A toolbar whose buttons keep a fixed size and wrap into rows as its width
// allows, so a narrow one is a column.
class ToolBar : public Control {
public:
    explicit ToolBar(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    int ButtonWidth() const { return buttonWidth_; }
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonSize(int width, int height);
    bool Flat = true;
    // The height follows the rows of buttons.
    bool AutoSize = true;
    COLORREF Color = clBtnFace;

    // Puts a button at the end; the toolbar does not own it.
    void AddButton(ToolButton* button);
    // Takes a button off at once; destroying it is the owner's affair.
    void RemoveButton(ToolButton* button);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    ToolButton* Buttons(int i) const { return buttons_.at(static_cast<size_t>(i)); }
    ToolButton* ButtonAt(int x, int y);

    // Asked before a button is drawn; answering false leaves the drawing to
    // the button's own Paint.
    std::function<void(ToolButton* button, bool& defaultDraw)> OnCustomDrawButton;

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override;
    void SaveWndState() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void MouseDown(MouseButton b, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton b, ShiftState shift, int x, int y) override;
    void Resize() override;

private:
    friend class ToolButton;
    void InsertNative(ToolButton* button, int index);
    // Places the buttons in rows and gives each its bounds.
    void Arrange();
    LRESULT CustomDraw(NMTBCUSTOMDRAW& cd);
    std::vector<ToolButton*> buttons_;
    ToolButton* pressed_ = nullptr;  // the button under a held mouse button
    int buttonWidth_ = 23, buttonHeight_ = 22;
    int pictureHeight_ = 0;  // what makes the system's buttons as high as ours
    bool arranging_ = false;
};

// Scrolls a control that is longer than the scroller, with arrow buttons at
// its ends; the control is the scroller's child.
class PageScroller : public Control {
public:
    explicit PageScroller(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    bool Vertical = false;
    Control* GetControl() const { return control_; }
    void SetControl(Control* c);
    // Scrolls while the mouse rests on an arrow, without a click.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    COLORREF Color = clBtnFace;
    // Asks the control for its length again.
    void Recalc();

protected:
    void CreateParamsFor(CreateParams& p) override;
    void CreateWnd() override;
    void InitWnd() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Notification(Component* c, Operation op) override;
    void Resize() override;

private:
    Control* control_ = nullptr;
    bool autoScroll_ = false;
};

// The system's progress bar; the position counts from 0 to Max.
class ProgressBar : public Control {
public:
    explicit ProgressBar(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override;

private:
    int max_ = 100, position_ = 0;
};

}  // namespace tk
