// The standard controls: label, button, edit, check box, group box, list box
// and combo box; and the windowless label, picture and speed button.
#pragma once

#include "toolkit/Controls.h"

namespace tk {

class Label : public Control {
public:
    explicit Label(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    bool ShowAccelChar = true;  // "&" marks the mnemonic
    // Fits the label to its text, so a font or translation never cuts it.
    bool AutoSize = true;
    bool WordWrap = false;
    // Alt and the caption's marked letter focus this control.
    Control* FocusControl = nullptr;
    void SetText(const std::string& v) override;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override { AdjustBounds(); }
    void FontChanged() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void AdjustBounds();
};

// Size of a label's text; wrapWidth 0 keeps each line whole.
SIZE LabelTextSize(HFONT font, const std::string& text, int wrapWidth, bool showAccelChar);

enum class TextAlignment { Left, Right, Center };
enum class TextLayout { Top, Center, Bottom };

// A label without a window: painted by its parent, so it can lie over other
// windowless controls and let the background show through.
class GraphicLabel : public GraphicControl {
public:
    explicit GraphicLabel(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    TextAlignment Alignment() const { return alignment_; }
    void SetAlignment(TextAlignment v) { if (tk::Store(alignment_, v)) Changed(); }
    TextLayout Layout() const { return layout_; }
    void SetLayout(TextLayout v) { if (tk::Store(layout_, v)) Changed(); }
    // Fits the label to its text, keeping the edge its alignment names.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v) { if (tk::Store(autoSize_, v)) Changed(); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v) { if (tk::Store(transparent_, v)) Changed(); }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v) { if (tk::Store(wordWrap_, v)) Changed(); }
    bool ShowAccelChar() const { return showAccelChar_; }  // "&" marks the mnemonic
    void SetShowAccelChar(bool v) { if (tk::Store(showAccelChar_, v)) Changed(); }
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF v) { if (tk::Store(color_, v)) Changed(); }

    void SetText(const std::string& v) override;
    void Loaded() override;
    void Paint(HDC dc) override;

protected:
    // The parent's window is made: a form made late fits its labels then.
    void CreateWnd() override { AdjustBounds(); }
    void FontChanged() override;
    // Refits and repaints after a change of how the label looks.
    void Changed();

private:
    void AdjustBounds();
    TextAlignment alignment_ = TextAlignment::Left;
    TextLayout layout_ = TextLayout::Top;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    COLORREF color_ = clBtnFace;
};

// A picture drawn at the top left of its frame, without a window.
class Image : public GraphicControl {
public:
    explicit Image(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    Bitmap* Picture() const { return picture_.get(); }
    // Leaves out the colour of the picture's bottom-left pixel.
    bool Transparent = false;
    void Paint(HDC dc) override;

private:
    std::unique_ptr<Bitmap> picture_;
};

class Button : public Control {
public:
    explicit Button(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    bool Default = false;  // Enter presses it
    bool Cancel = false;   // Escape presses it
    int ModalResult = mrNone;
    // Presses the button: sets the modal result of its modal form, then OnClick.
    void Click();

protected:
    void CreateParamsFor(CreateParams& p) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A push button without a window of its own that shows a picture: NumGlyphs
// images side by side (up, disabled, down), the colour of the bottom-left
// pixel transparent. With a single image the disabled look is made from it.
class SpeedButton : public GraphicControl {
public:
    explicit SpeedButton(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    HBITMAP Glyph() const { return glyph_.get(); }
    void SetGlyph(BitmapHandle bmp);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    // The pressed look: the left button is held and the pointer is over it.
    bool Pressed() const { return pressed_; }
    // A flat button shows its frame only under the mouse or while pressed.
    bool Flat = false;
    void Paint(HDC dc) override;

protected:
    // The button face, before the picture goes on it.
    virtual void PaintFace(HDC dc);
    void MouseDown(MouseButton b, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton b, ShiftState shift, int x, int y) override;
    void MouseEnter() override { if (Flat) Invalidate(); }
    void MouseLeave() override { if (Flat) Invalidate(); }
    void MouseCaptureLost() override;

private:
    void SetPressed(bool v);
    BitmapHandle glyph_;
    int numGlyphs_ = 1;
    bool held_ = false;
    bool pressed_ = false;
};

class CheckBox : public Control {
public:
    explicit CheckBox(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    bool Checked() const;
    void SetChecked(bool v);

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override;
    void SaveWndState() override { checked_ = Checked(); }
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool checked_ = false;
};

class Edit : public Control {
public:
    explicit Edit(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    std::string Text() const { return GetText(); }
    void SelectAll();
    bool ReadOnly = false;
    std::function<void()> OnChange;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void SaveWndState() override { text_ = GetText(); }
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class GroupBox : public Control {
public:
    explicit GroupBox(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

protected:
    void CreateParamsFor(CreateParams& p) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// Items of a list or combo box: kept in the object and mirrored into the
// window, so the window can be re-created and read back without loss.
class ControlItems : public Strings {
public:
    ControlItems(Control& owner, bool combo) : owner_(owner), combo_(combo) {}
    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int i) const override { return items_.at(static_cast<size_t>(i)).text; }
    void* ObjectAt(int i) const override { return items_.at(static_cast<size_t>(i)).obj; }
    void Put(int i, const std::string& s) override;
    void SetObjectAt(int i, void* obj) override { items_.at(static_cast<size_t>(i)).obj = obj; }
    void Insert(int i, const std::string& s, void* obj = nullptr) override;
    void Delete(int i) override;
    void Clear() override;
    int Add(const std::string& s, void* obj = nullptr) override;
    bool Sorted = false;
    // Fills the window from the items.
    void Mirror();
    // Replaces every item at once, as given (no sorted insert), with one
    // redraw: for lists of thousands of entries.
    void Replace(std::vector<std::pair<std::string, void*>> items);

protected:
    void SetUpdateState(bool updating) override;

private:
    UINT Msg(UINT listMsg, UINT comboMsg) const { return combo_ ? comboMsg : listMsg; }
    Control& owner_;
    bool combo_;
    struct Item {
        std::string text;
        void* obj;
    };
    std::vector<Item> items_;
};

enum class ListStyle { Standard, OwnerDrawFixed };

class ListBox : public Control {
public:
    explicit ListBox(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    ControlItems* Items() const { return items_.get(); }
    int ItemIndex();
    void SetItemIndex(int i);
    bool Selected(int i);
    void SetSelected(int i, bool v);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    void SetSorted(bool v) { items_->Sorted = v; }
    bool MultiSelect = false;
    ListStyle Style = ListStyle::Standard;

    std::function<void(int index, RECT rect, UINT state, HDC dc)> OnDrawItem;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override;
    void SaveWndState() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    virtual void DrawItem(int index, RECT rect, UINT state, HDC dc);
    int itemHeight_ = 13;

private:
    std::unique_ptr<ControlItems> items_;
    int itemIndex_ = -1;
    std::vector<int> savedSelection_;  // of a multi-select list while it has no window
};

enum class ComboStyle { DropDown, Simple, DropDownList, OwnerDrawFixed };

class ComboBox : public Control {
public:
    explicit ComboBox(Component* owner);
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    ControlItems* Items() const { return items_.get(); }
    int ItemIndex();
    void SetItemIndex(int i);
    std::string GetText() const override;
    void SetText(const std::string& v) override;
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int h);
    void SetSorted(bool v) { items_->Sorted = v; }
    ComboStyle Style = ComboStyle::DropDown;
    int DropDownCount = 8;
    std::function<void()> OnChange;

protected:
    void CreateParamsFor(CreateParams& p) override;
    void InitWnd() override;
    void SaveWndState() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    virtual void DrawItem(int index, RECT rect, UINT state, HDC dc);
    virtual void MeasureItem(UINT& height) { height = static_cast<UINT>(itemHeight_); }
    virtual void Change() { if (OnChange) OnChange(); }
    // The user picked an entry.
    virtual void Select() { DoClick(); Change(); }
    int itemHeight_ = 16;

private:
    std::unique_ptr<ControlItems> items_;
    int itemIndex_ = -1;
};

}  // namespace tk
