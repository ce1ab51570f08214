#include "toolkit/StdCtrls.h"

#include <algorithm>

namespace tk {

namespace {
// Colours for a static-like child drawn on the button face.
LRESULT FaceColors(HDC dc, Font* font) {
    SetTextColor(dc, ColorToRGB(font->Color()));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}
}  // namespace

SIZE LabelTextSize(HFONT font, const std::string& text, int wrapWidth, bool showAccelChar) {
    WindowDc dc(nullptr);
    SelectObj sel(dc.get(), font);
    RECT r{0, 0, wrapWidth, 0};
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | (wrapWidth ? DT_WORDBREAK : 0) | (showAccelChar ? 0 : DT_NOPREFIX);
    PaintText(dc.get(), text.empty() ? " " : text, &r, flags);
    // Wine draws some glyphs a pixel past their measured advance, which cut
    // the last character off; one pixel of slack costs nothing on Windows.
    return {r.right + 1, r.bottom};
}

// ---- Label ----

const ClassInfo& Label::StaticClass() {
    static const ClassInfo info{"TLabel", &Control::StaticClass(),
                                {TextProp("Caption", &Label::Caption, &Label::SetCaption)}, {}};
    return info;
}

Label::Label(Component* owner) : Control(owner) {}

void Label::CreateParamsFor(CreateParams& p) {
    p.ClassName = "STATIC";
    p.Style |= (WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP) | (ShowAccelChar ? 0 : SS_NOPREFIX);
}

void Label::SetText(const std::string& v) {
    Control::SetText(v);
    AdjustBounds();
}

void Label::FontChanged() {
    Control::FontChanged();
    AdjustBounds();
}

void Label::AdjustBounds() {
    if (!AutoSize || !HandleAllocated()) return;
    SIZE size = LabelTextSize(EffectiveFont(), GetText(), WordWrap ? Width() : 0, ShowAccelChar);
    SetBounds(Left(), Top(), WordWrap ? Width() : static_cast<int>(size.cx), static_cast<int>(size.cy));
}

bool Label::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    result = FaceColors(reinterpret_cast<HDC>(wp), EffectiveFontObject());
    return true;
}

// ---- GraphicLabel ----

const ClassInfo& GraphicLabel::StaticClass() {
    static const ClassInfo info{"TCustomLabel", &GraphicControl::StaticClass(),
                                {TextProp("Caption", &GraphicLabel::Caption, &GraphicLabel::SetCaption)}, {}};
    return info;
}

GraphicLabel::GraphicLabel(Component* owner) : GraphicControl(owner) {}

void GraphicLabel::SetText(const std::string& v) {
    GraphicControl::SetText(v);
    AdjustBounds();
}

void GraphicLabel::Loaded() {
    GraphicControl::Loaded();
    AdjustBounds();
}

void GraphicLabel::FontChanged() { Changed(); }

void GraphicLabel::Changed() {
    AdjustBounds();
    Invalidate();
}

void GraphicLabel::AdjustBounds() {
    // Fitted once the form stands, as a loaded form description is.
    if (!autoSize_ || !Parent() || !Parent()->HandleAllocated()) return;
    SIZE size = LabelTextSize(EffectiveFont(), Caption(), wordWrap_ ? Width() : 0, showAccelChar_);
    int w = wordWrap_ ? Width() : static_cast<int>(size.cx);
    int left = Left();
    if (alignment_ == TextAlignment::Right) left += Width() - w;
    else if (alignment_ == TextAlignment::Center) left += (Width() - w) / 2;
    SetBounds(left, Top(), w, static_cast<int>(size.cy));
}

void GraphicLabel::Paint(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (!transparent_) {
        BrushHandle brush(CreateSolidBrush(ColorToRGB(color_)));
        FillRect(dc, &r, brush.get());
    }
    SelectObj sel(dc, EffectiveFont());
    SetBkMode(dc, TRANSPARENT);
    std::string text = Caption();
    UINT flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | (showAccelChar_ ? 0 : DT_NOPREFIX) |
                 (alignment_ == TextAlignment::Right ? DT_RIGHT : alignment_ == TextAlignment::Center ? DT_CENTER : DT_LEFT);
    if (layout_ != TextLayout::Top) {
        RECT m = r;
        PaintText(dc, text, &m, flags | DT_CALCRECT);
        int spare = Height() - (m.bottom - m.top);
        OffsetRect(&r, 0, layout_ == TextLayout::Center ? spare / 2 : spare);
    }
    auto draw = [&](COLORREF color, int offset) {
        RECT at = r;
        OffsetRect(&at, offset, offset);
        SetTextColor(dc, ColorToRGB(color));
        PaintText(dc, text, &at, flags);
    };
    if (Enabled()) {
        draw(EffectiveFontObject()->Color(), 0);
    } else {
        draw(clBtnHighlight, 1);
        draw(clBtnShadow, 0);
    }
}

// ---- Image ----

const ClassInfo& Image::StaticClass() {
    static const ClassInfo info{"TImage", &GraphicControl::StaticClass(), {}, {ObjectProp("Picture", &Image::Picture)}};
    return info;
}

Image::Image(Component* owner) : GraphicControl(owner), picture_(std::make_unique<Bitmap>()) {
    picture_->OnChange = [this] { Invalidate(); };
}

void Image::Paint(HDC dc) {
    if (picture_->Empty()) return;
    if (Transparent) {
        DrawTransparent(dc, 0, 0, picture_->Handle());
        return;
    }
    SIZE size = picture_->Size();
    MemDc mem(CreateCompatibleDC(dc));
    SelectObj sel(mem.get(), picture_->Handle());
    BitBlt(dc, 0, 0, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
}

// ---- Button ----

const ClassInfo& Button::StaticClass() {
    static const ClassInfo info{"TButton", &Control::StaticClass(),
                                {TextProp("Caption", &Button::Caption, &Button::SetCaption)}, {}};
    return info;
}

Button::Button(Component* owner) : Control(owner) { TabStop = true; }

void Button::CreateParamsFor(CreateParams& p) {
    p.ClassName = "BUTTON";
    p.Style |= WS_TABSTOP | (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void Button::Click() {
    if (Form* f = ParentForm(); f && ModalResult != mrNone) f->ModalResult = ModalResult;
    DoClick();
}

bool Button::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORBTN) {
        result = FaceColors(reinterpret_cast<HDC>(wp), EffectiveFontObject());
        return true;
    }
    return false;
}

// ---- SpeedButton ----

namespace {
// Draws image i of a picture strip with its key colour left out; a disabled
// image is embossed from the picture's shape.
void DrawGlyph(HDC dc, int x, int y, HBITMAP strip, int count, int index, bool disabled) {
    SIZE sz = BitmapSize(strip);
    int w = sz.cx / count, h = sz.cy;
    if (w <= 0 || h <= 0) return;
    MemDc src(CreateCompatibleDC(dc));
    SelectObj selSrc(src.get(), strip);
    MemDc mask(CreateCompatibleDC(dc));
    BitmapHandle maskBmp(CreateBitmap(w, h, 1, 1, nullptr));
    SelectObj selMask(mask.get(), maskBmp.get());
    // Mask: white where the key colour is, black where the picture is.
    SetBkColor(src.get(), GetPixel(src.get(), 0, h - 1));
    BitBlt(mask.get(), 0, 0, w, h, src.get(), index * w, 0, SRCCOPY);
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0)), oldBk = SetBkColor(dc, RGB(255, 255, 255));
    if (disabled) {
        // Destination where the mask is white, the brush where it is black.
        const DWORD kBrushThroughMask = 0x00B8074A;
        for (auto [dx, colour] : {std::pair{1, COLOR_BTNHIGHLIGHT}, std::pair{0, COLOR_BTNSHADOW}}) {
            SelectObj brush(dc, GetSysColorBrush(colour));
            BitBlt(dc, x + dx, y + dx, w, h, mask.get(), 0, 0, kBrushThroughMask);
        }
    } else {
        BitBlt(dc, x, y, w, h, src.get(), index * w, 0, SRCINVERT);
        BitBlt(dc, x, y, w, h, mask.get(), 0, 0, SRCAND);
        BitBlt(dc, x, y, w, h, src.get(), index * w, 0, SRCINVERT);
    }
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
}
}  // namespace

const ClassInfo& SpeedButton::StaticClass() {
    static const ClassInfo info{"TSpeedButton", &GraphicControl::StaticClass(), {}, {}};
    return info;
}

SpeedButton::SpeedButton(Component* owner) : GraphicControl(owner) {}

void SpeedButton::SetGlyph(BitmapHandle bmp) {
    glyph_ = std::move(bmp);
    Invalidate();
}

void SpeedButton::SetNumGlyphs(int n) {
    numGlyphs_ = std::clamp(n, 1, 4);
    Invalidate();
}

void SpeedButton::SetPressed(bool v) {
    if (v == pressed_) return;
    pressed_ = v;
    Invalidate();
}

void SpeedButton::PaintFace(HDC dc) {
    RECT r{0, 0, Width(), Height()};
    if (!Flat) DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
    else if (pressed_) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (MouseInControl() && Enabled()) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

void SpeedButton::Paint(HDC dc) {
    PaintFace(dc);
    if (!glyph_) return;
    SIZE sz = BitmapSize(glyph_.get());
    int count = std::max(1, std::min(numGlyphs_, static_cast<int>(sz.cx)));
    int index = !Enabled() ? (count > 1 ? 1 : 0) : (pressed_ && count > 2 ? 2 : 0);
    int shift = pressed_ ? 1 : 0;
    DrawGlyph(dc, (Width() - sz.cx / count) / 2 + shift, (Height() - sz.cy) / 2 + shift, glyph_.get(), count, index,
              !Enabled() && count == 1);
}

void SpeedButton::MouseDown(MouseButton b, ShiftState shift, int x, int y) {
    GraphicControl::MouseDown(b, shift, x, y);
    if (b != MouseButton::Left) return;
    held_ = true;
    SetPressed(true);
}

void SpeedButton::MouseMove(ShiftState shift, int x, int y) {
    GraphicControl::MouseMove(shift, x, y);
    if (held_) SetPressed(x >= 0 && y >= 0 && x < Width() && y < Height());
}

void SpeedButton::MouseCaptureLost() {
    held_ = false;
    SetPressed(false);
}

void SpeedButton::MouseUp(MouseButton b, ShiftState shift, int x, int y) {
    if (b == MouseButton::Left) {
        held_ = false;
        SetPressed(false);
    }
    GraphicControl::MouseUp(b, shift, x, y);
}

// ---- CheckBox ----

const ClassInfo& CheckBox::StaticClass() {
    static const ClassInfo info{"TCheckBox", &Control::StaticClass(),
                                {TextProp("Caption", &CheckBox::Caption, &CheckBox::SetCaption)}, {}};
    return info;
}

CheckBox::CheckBox(Component* owner) : Control(owner) { TabStop = true; }

void CheckBox::CreateParamsFor(CreateParams& p) {
    p.ClassName = "BUTTON";
    p.Style |= WS_TABSTOP | BS_AUTOCHECKBOX;
}

void CheckBox::InitWnd() { SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

bool CheckBox::Checked() const {
    if (!const_cast<CheckBox*>(this)->HandleAllocated()) return checked_;
    return SendMessageA(const_cast<CheckBox*>(this)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool v) {
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        checked_ = Checked();
        DoClick();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        result = FaceColors(reinterpret_cast<HDC>(wp), EffectiveFontObject());
        return true;
    }
    return false;
}

// ---- Edit ----

const ClassInfo& Edit::StaticClass() {
    static const ClassInfo info{"TEdit", &Control::StaticClass(), {TextProp("Text", &Edit::Text, &Edit::SetText)}, {}};
    return info;
}

Edit::Edit(Component* owner) : Control(owner) { TabStop = true; }

void Edit::CreateParamsFor(CreateParams& p) {
    p.ClassName = "EDIT";
    p.Style |= WS_TABSTOP | ES_AUTOHSCROLL | (ReadOnly ? ES_READONLY : 0);
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void Edit::SelectAll() {
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

bool Edit::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
        if (OnChange) OnChange();
        result = 0;
        return true;
    }
    return false;
}

LRESULT Edit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR && wp == VK_RETURN) {
        // A one-line edit has no use for Enter: offer it to OnKeyPress, then
        // swallow it so the system does not beep.
        if (OnKeyPress) {
            char key = '\r';
            OnKeyPress(key);
        }
        return 0;
    }
    return Control::WndProc(msg, wp, lp);
}

// ---- GroupBox ----

const ClassInfo& GroupBox::StaticClass() {
    static const ClassInfo info{"TGroupBox", &Control::StaticClass(),
                                {TextProp("Caption", &GroupBox::Caption, &GroupBox::SetCaption)}, {}};
    return info;
}

GroupBox::GroupBox(Component* owner) : Control(owner) {}

void GroupBox::CreateParamsFor(CreateParams& p) {
    p.ClassName = "BUTTON";
    p.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

LRESULT GroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        // The system group box leaves its inside unpainted.
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // A child control answers for itself; the box's own caption is drawn on the face.
        if (Control* c = FromHandle(reinterpret_cast<HWND>(lp)); c && c != this) return Control::WndProc(msg, wp, lp);
        return FaceColors(reinterpret_cast<HDC>(wp), EffectiveFontObject());
    }
    default:
        return Control::WndProc(msg, wp, lp);
    }
}

// ---- ControlItems ----

void ControlItems::Mirror() {
    if (!owner_.HandleAllocated()) return;
    HWND h = owner_.Handle();
    SendMessageA(h, Msg(LB_RESETCONTENT, CB_RESETCONTENT), 0, 0);
    if (!combo_) SendMessageA(h, LB_INITSTORAGE, items_.size(), items_.size() * 32);
    for (const Item& it : items_) {
        LRESULT i = SendMessageA(h, Msg(LB_ADDSTRING, CB_ADDSTRING), 0, reinterpret_cast<LPARAM>(it.text.c_str()));
        SendMessageA(h, Msg(LB_SETITEMDATA, CB_SETITEMDATA), static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(it.obj));
    }
}

void ControlItems::Replace(std::vector<std::pair<std::string, void*>> items) {
    items_.clear();
    items_.reserve(items.size());
    for (auto& [text, obj] : items) items_.push_back(Item{std::move(text), obj});
    BeginUpdate();
    Mirror();
    EndUpdate();
}

void ControlItems::Put(int i, const std::string& s) {
    void* obj = ObjectAt(i);
    Delete(i);
    Insert(i, s, obj);
}

void ControlItems::Insert(int i, const std::string& s, void* obj) {
    if (i < 0 || i > Count()) throw Exception(Format("List index out of bounds (%d)", i));
    items_.insert(items_.begin() + i, Item{s, obj});
    if (owner_.HandleAllocated()) {
        HWND h = owner_.Handle();
        SendMessageA(h, Msg(LB_INSERTSTRING, CB_INSERTSTRING), static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.c_str()));
        SendMessageA(h, Msg(LB_SETITEMDATA, CB_SETITEMDATA), static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(obj));
    }
}

int ControlItems::Add(const std::string& s, void* obj) {
    int i = Count();
    if (Sorted) {
        auto it = std::upper_bound(items_.begin(), items_.end(), s,
                                   [](const std::string& a, const Item& b) { return CompareText(a, b.text) < 0; });
        i = static_cast<int>(it - items_.begin());
    }
    Insert(i, s, obj);
    return i;
}

void ControlItems::Delete(int i) {
    if (i < 0 || i >= Count()) throw Exception(Format("List index out of bounds (%d)", i));
    items_.erase(items_.begin() + i);
    if (owner_.HandleAllocated()) SendMessageA(owner_.Handle(), Msg(LB_DELETESTRING, CB_DELETESTRING), static_cast<WPARAM>(i), 0);
}

void ControlItems::Clear() {
    items_.clear();
    if (owner_.HandleAllocated()) SendMessageA(owner_.Handle(), Msg(LB_RESETCONTENT, CB_RESETCONTENT), 0, 0);
}

void ControlItems::SetUpdateState(bool updating) {
    if (!owner_.HandleAllocated()) return;
    SendMessageA(owner_.Handle(), WM_SETREDRAW, updating ? FALSE : TRUE, 0);
    if (!updating) InvalidateRect(owner_.Handle(), nullptr, TRUE);
}

// ---- ListBox ----

const ClassInfo& ListBox::StaticClass() {
    static const ClassInfo info{"TListBox", &Control::StaticClass(), {}, {ObjectProp("Items", &ListBox::Items)}};
    return info;
}

ListBox::ListBox(Component* owner) : Control(owner), items_(std::make_unique<ControlItems>(*this, false)) {
    TabStop = true;
}

void ListBox::CreateParamsFor(CreateParams& p) {
    p.ClassName = "LISTBOX";
    p.Style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    if (MultiSelect) p.Style |= LBS_EXTENDEDSEL;
    if (Style == ListStyle::OwnerDrawFixed) p.Style |= LBS_OWNERDRAWFIXED;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void ListBox::InitWnd() {
    if (Style != ListStyle::Standard) SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, itemHeight_);
    items_->Mirror();
    if (MultiSelect)
        for (int i : savedSelection_) SendMessageA(Handle(), LB_SETSEL, TRUE, i);
    savedSelection_.clear();
    SetItemIndex(itemIndex_);
}

void ListBox::SaveWndState() {
    itemIndex_ = ItemIndex();
    savedSelection_.clear();
    if (!MultiSelect) return;
    int n = static_cast<int>(SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0));
    if (n <= 0) return;
    savedSelection_.resize(static_cast<size_t>(n));
    SendMessageA(Handle(), LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(savedSelection_.data()));
}

int ListBox::ItemIndex() {
    if (!HandleAllocated()) return itemIndex_;
    if (MultiSelect) {
        if (items_->Count() == 0) return -1;
        return static_cast<int>(SendMessageA(Handle(), LB_GETCARETINDEX, 0, 0));
    }
    return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void ListBox::SetItemIndex(int i) {
    itemIndex_ = i;
    if (!HandleAllocated()) return;
    if (MultiSelect) SendMessageA(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(i), FALSE);
    else SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

bool ListBox::Selected(int i) {
    if (!HandleAllocated()) return false;
    if (!MultiSelect) return ItemIndex() == i;
    return SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
}

void ListBox::SetSelected(int i, bool v) {
    Handle();
    if (MultiSelect) SendMessageA(Handle(), LB_SETSEL, v, i);
    else SetItemIndex(v ? i : -1);
}

void ListBox::SetItemHeight(int h) {
    itemHeight_ = h;
    if (HandleAllocated() && Style != ListStyle::Standard) {
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, h);
        Invalidate();
    }
}

void ListBox::DrawItem(int index, RECT rect, UINT state, HDC dc) {
    if (OnDrawItem) {
        OnDrawItem(index, rect, state, dc);
        return;
    }
    FillRect(dc, &rect, GetSysColorBrush((state & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (index >= 0 && index < items_->Count()) {
        std::string s = items_->Get(index);
        WriteText(dc, rect.left + 2, rect.top, s);
    }
}

bool ListBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == LBN_SELCHANGE) DoClick();
        else if (HIWORD(wp) == LBN_DBLCLK && OnDblClick) OnDblClick();
        result = 0;
        return true;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(itemHeight_);
        result = TRUE;
        return true;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        HDC dc = dis->hDC;
        bool selected = dis->itemState & ODS_SELECTED;
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        HBRUSH brush = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldFont = SelectObject(dc, EffectiveFont());
        DrawItem(static_cast<int>(dis->itemID), dis->rcItem, dis->itemState, dc);
        if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &dis->rcItem);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBrush);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

// ---- ComboBox ----

const ClassInfo& ComboBox::StaticClass() {
    static const ClassInfo info{"TComboBox", &Control::StaticClass(),
                                {TextProp("Text", &ComboBox::GetText, &ComboBox::SetText)},
                                {ObjectProp("Items", &ComboBox::Items)}};
    return info;
}

ComboBox::ComboBox(Component* owner) : Control(owner), items_(std::make_unique<ControlItems>(*this, true)) {
    TabStop = true;
}

void ComboBox::CreateParamsFor(CreateParams& p) {
    p.ClassName = "COMBOBOX";
    p.Style |= WS_TABSTOP | WS_VSCROLL | CBS_HASSTRINGS;
    switch (Style) {
    case ComboStyle::DropDown: p.Style |= CBS_DROPDOWN | CBS_AUTOHSCROLL; break;
    case ComboStyle::Simple: p.Style |= CBS_SIMPLE | CBS_AUTOHSCROLL; break;
    case ComboStyle::DropDownList: p.Style |= CBS_DROPDOWNLIST; break;
    case ComboStyle::OwnerDrawFixed: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    }
}

void ComboBox::InitWnd() {
    // The window's height covers the drop-down part as well; a simple combo
    // box shows its list within its own height.
    if (Style != ComboStyle::Simple) {
        int dropHeight = Height() + DropDownCount * std::max(itemHeight_, 13) + 2;
        SetWindowPos(Handle(), nullptr, 0, 0, Width(), dropHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    items_->Mirror();
    if (itemIndex_ >= 0) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    else if (Style == ComboStyle::DropDown || Style == ComboStyle::Simple) SetWindowTextA(Handle(), text_.c_str());
}

void ComboBox::SaveWndState() {
    itemIndex_ = ItemIndex();
    text_ = GetText();
}

int ComboBox::ItemIndex() {
    if (!HandleAllocated()) return itemIndex_;
    return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int i) {
    itemIndex_ = i;
    if (HandleAllocated()) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

std::string ComboBox::GetText() const {
    auto* self = const_cast<ComboBox*>(this);
    if (!self->HandleAllocated()) {
        if (Style == ComboStyle::DropDownList || Style == ComboStyle::OwnerDrawFixed)
            return itemIndex_ >= 0 && itemIndex_ < items_->Count() ? items_->Get(itemIndex_) : std::string();
        return text_;
    }
    return Control::GetText();
}

void ComboBox::SetText(const std::string& v) {
    text_ = v;
    if (Style == ComboStyle::DropDownList || Style == ComboStyle::OwnerDrawFixed) {
        int found = -1;
        for (int i = 0; i < items_->Count() && found < 0; ++i)
            if (items_->Get(i) == v) found = i;
        SetItemIndex(found);
        return;
    }
    if (HandleAllocated()) SetWindowTextA(Handle(), v.c_str());
}

void ComboBox::SetItemHeight(int h) {
    itemHeight_ = h;
    if (HandleAllocated()) RecreateWnd();
}

void ComboBox::DrawItem(int index, RECT rect, UINT state, HDC dc) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    if (index >= 0 && index < items_->Count()) {
        std::string s = items_->Get(index);
        WriteText(dc, rect.left + 2, rect.top, s);
    }
}

bool ComboBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        switch (HIWORD(wp)) {
        case CBN_SELCHANGE:
            itemIndex_ = ItemIndex();
            Select();
            break;
        case CBN_EDITCHANGE:
            Change();
            break;
        default:
            break;
        }
        result = 0;
        return true;
    case WM_MEASUREITEM: {
        UINT h = 0;
        MeasureItem(h);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = h;
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        HDC dc = dis->hDC;
        bool selected = dis->itemState & ODS_SELECTED;
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SelectObj brush(dc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SelectObj font(dc, EffectiveFont());
        DrawItem(static_cast<int>(dis->itemID), dis->rcItem, dis->itemState, dc);
        if ((dis->itemState & ODS_FOCUS) && !(dis->itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &dis->rcItem);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace tk
