#include "toolkit/ComCtrls.h"

#include <algorithm>

namespace tk {

// ---- ToolButton ----

const ClassInfo& ToolButton::StaticClass() {
    static const ClassInfo info{"TToolButton", &GraphicControl::StaticClass(),
                                {TextProp("Caption", &ToolButton::Caption, &ToolButton::SetCaption)}, {}};
    return info;
}

ToolButton::ToolButton(Component* owner) : GraphicControl(owner) {}

ToolButton::~ToolButton() {
    MarkDestroying();
    if (ToolBar* bar = GetToolBar()) bar->RemoveButton(this);
}

ToolBar* ToolButton::GetToolBar() const { return Index() >= 0 ? static_cast<ToolBar*>(Parent()) : nullptr; }

int ToolButton::Index() const {
    auto* bar = dynamic_cast<ToolBar*>(Parent());
    if (!bar) return -1;
    auto it = std::find(bar->buttons_.begin(), bar->buttons_.end(), this);
    return it == bar->buttons_.end() ? -1 : static_cast<int>(it - bar->buttons_.begin());
}

bool ToolButton::Down() const {
    ToolBar* bar = GetToolBar();
    if (!bar || !bar->HandleAllocated()) return down_;
    return SendMessageA(bar->Handle(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(Id()), 0) != 0;
}

void ToolButton::SetDown(bool v) {
    down_ = v;
    ToolBar* bar = GetToolBar();
    if (bar && bar->HandleAllocated()) {
        SendMessageA(bar->Handle(), TB_CHECKBUTTON, static_cast<WPARAM>(Id()), MAKELPARAM(v, 0));
        // A group's other button may have been released with it.
        for (ToolButton* b : bar->buttons_) b->down_ = b->Down();
        InvalidateRect(bar->Handle(), nullptr, TRUE);
    }
}

void ToolButton::SetText(const std::string& v) {
    GraphicControl::SetText(v);
    ToolBar* bar = GetToolBar();
    if (!bar || !bar->HandleAllocated()) return;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<char*>(text_.c_str());
    SendMessageA(bar->Handle(), TB_SETBUTTONINFOA, static_cast<WPARAM>(Id()), reinterpret_cast<LPARAM>(&info));
}

// ---- ToolBar ----

const ClassInfo& ToolBar::StaticClass() {
    static const ClassInfo info{"TToolBar", &Control::StaticClass(), {}, {}};
    return info;
}

ToolBar::ToolBar(Component* owner) : Control(owner) {}

void ToolBar::CreateParamsFor(CreateParams& p) {
    p.ClassName = TOOLBARCLASSNAMEA;
    p.Style |= CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN | TBSTYLE_WRAPABLE | (Flat ? TBSTYLE_FLAT : 0);
}

void ToolBar::InitWnd() {
    const HWND h = Handle();
    SendMessageA(h, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // No text of the toolbar's own: the size is the buttons'.
    SendMessageA(h, TB_SETMAXTEXTROWS, 0, 0);
    SendMessageA(h, TB_SETINDENT, 0, 0);
    SendMessageA(h, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, pictureHeight_));
    SetButtonSize(buttonWidth_, buttonHeight_);
    for (size_t i = 0; i < buttons_.size(); ++i) InsertNative(buttons_[i], static_cast<int>(i));
    Arrange();
}

void ToolBar::SaveWndState() {
    for (ToolButton* b : buttons_) b->down_ = b->Down();
}

void ToolBar::SetButtonSize(int width, int height) {
    buttonWidth_ = width;
    buttonHeight_ = height;
    if (!HandleAllocated()) return;
    const HWND h = Handle();
    SendMessageA(h, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    SendMessageA(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
    Arrange();
}

void ToolBar::InsertNative(ToolButton* button, int index) {
    TBBUTTON tb{};
    tb.iBitmap = I_IMAGENONE;
    tb.idCommand = button->Id();
    tb.fsState = static_cast<BYTE>((button->Enabled() ? TBSTATE_ENABLED : 0) | (button->down_ ? TBSTATE_CHECKED : 0));
    tb.fsStyle = static_cast<BYTE>(button->Style == ToolButtonStyle::Check ? BTNS_CHECK : BTNS_BUTTON);
    if (button->Grouped) tb.fsStyle |= BTNS_GROUP;
    tb.iString = reinterpret_cast<INT_PTR>(button->text_.c_str());
    SendMessageA(Handle(), TB_INSERTBUTTONA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tb));
}

void ToolBar::AddButton(ToolButton* button) {
    if (button->Index() >= 0) return;
    buttons_.push_back(button);
    button->SetParent(this);
    if (HandleAllocated()) {
        InsertNative(button, ButtonCount() - 1);
        Arrange();
    }
}

void ToolBar::RemoveButton(ToolButton* button) {
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    if (it == buttons_.end()) return;
    if (HandleAllocated()) {
        button->down_ = button->Down();
        SendMessageA(Handle(), TB_DELETEBUTTON, static_cast<WPARAM>(it - buttons_.begin()), 0);
    }
    buttons_.erase(it);
    if (pressed_ == button) pressed_ = nullptr;
    button->SetParent(nullptr);
    if (HandleAllocated()) Arrange();
}

ToolButton* ToolBar::ButtonAt(int x, int y) {
    for (ToolButton* b : buttons_)
        if (x >= b->Left() && y >= b->Top() && x < b->Left() + b->Width() && y < b->Top() + b->Height()) return b;
    return nullptr;
}

void ToolBar::Arrange() {
    if (!HandleAllocated() || arranging_) return;
    arranging_ = true;
    const HWND h = Handle();
    const int n = ButtonCount();
    // The toolbar wraps the buttons to its width.
    SendMessageA(h, TB_AUTOSIZE, 0, 0);
    if (n > 0) {
        // Some systems make a button no smaller than its picture and padding,
        // and no larger either: a picture size makes up the difference.
        const auto made = static_cast<DWORD>(SendMessageA(h, TB_GETBUTTONSIZE, 0, 0));
        if (HIWORD(made) != buttonHeight_) {
            pictureHeight_ = std::max(0, pictureHeight_ + buttonHeight_ - HIWORD(made));
            SendMessageA(h, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, pictureHeight_));
            SendMessageA(h, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth_, buttonHeight_));
            SendMessageA(h, TB_AUTOSIZE, 0, 0);
        }
    }
    int bottom = 0;
    for (int i = 0; i < n; ++i) {
        RECT r{};
        SendMessageA(h, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        buttons_[static_cast<size_t>(i)]->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        bottom = std::max(bottom, static_cast<int>(r.bottom));
    }
    if (AutoSize && bottom != Height()) SetBounds(Left(), Top(), Width(), bottom);
    InvalidateRect(h, nullptr, TRUE);
    arranging_ = false;
}

void ToolBar::Resize() {
    Control::Resize();
    Arrange();
}

LRESULT ToolBar::CustomDraw(NMTBCUSTOMDRAW& cd) {
    switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        ToolButton* button = nullptr;
        for (ToolButton* b : buttons_)
            if (static_cast<DWORD_PTR>(b->Id()) == cd.nmcd.dwItemSpec) button = b;
        bool defaultDraw = true;
        if (button && OnCustomDrawButton) OnCustomDrawButton(button, defaultDraw);
        if (defaultDraw) return CDRF_DODEFAULT;
        const HDC dc = cd.nmcd.hdc;
        const RECT& r = cd.nmcd.rc;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + r.left, origin.y + r.top, nullptr);
        button->Paint(dc);
        RestoreDC(dc, saved);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool ToolBar::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND) {
        for (ToolButton* b : std::vector<ToolButton*>(buttons_))
            if (b->Id() == LOWORD(wp)) {
                for (ToolButton* other : buttons_) other->down_ = other->Down();
                b->Click();
                break;
            }
        result = 0;
        return true;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        result = CustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(lp));
        return true;
    }
    return false;
}

LRESULT ToolBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(Handle(), &r);
        BrushHandle face(CreateSolidBrush(ColorToRGB(Color)));
        FillRect(reinterpret_cast<HDC>(wp), &r, face.get());
        return 1;
    }
    return Control::WndProc(msg, wp, lp);
}

// The buttons hear the mouse as windowless controls do: the one pressed
// keeps it until the button is released.
void ToolBar::MouseDown(MouseButton b, ShiftState shift, int x, int y) {
    Control::MouseDown(b, shift, x, y);
    ToolButton* target = ButtonAt(x, y);
    if (b == MouseButton::Left) pressed_ = target;
    if (target) target->MouseDown(b, shift, x - target->Left(), y - target->Top());
}

void ToolBar::MouseMove(ShiftState shift, int x, int y) {
    Control::MouseMove(shift, x, y);
    ToolButton* target = pressed_ ? pressed_ : ButtonAt(x, y);
    if (target) target->MouseMove(shift, x - target->Left(), y - target->Top());
    // A drag started there has taken the button's release.
    if (GetKeyState(VK_LBUTTON) >= 0) pressed_ = nullptr;
}

void ToolBar::MouseUp(MouseButton b, ShiftState shift, int x, int y) {
    Control::MouseUp(b, shift, x, y);
    ToolButton* target = pressed_ ? pressed_ : ButtonAt(x, y);
    if (b == MouseButton::Left) pressed_ = nullptr;
    if (target) target->MouseUp(b, shift, x - target->Left(), y - target->Top());
}

// ---- PageScroller ----

const ClassInfo& PageScroller::StaticClass() {
    static const ClassInfo info{"TPageScroller", &Control::StaticClass(), {}, {}};
    return info;
}

PageScroller::PageScroller(Component* owner) : Control(owner) {}

void PageScroller::CreateParamsFor(CreateParams& p) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PAGESCROLLER_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)registered;
    p.ClassName = WC_PAGESCROLLERA;
    p.Style |= WS_CLIPCHILDREN | (Vertical ? PGS_VERT : PGS_HORZ) | (autoScroll_ ? PGS_AUTOSCROLL : 0);
}

void PageScroller::InitWnd() { SendMessageA(Handle(), PGM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color))); }

void PageScroller::CreateWnd() {
    Control::CreateWnd();
    // The control's window is made with the scroller's children.
    SetControl(control_);
}

void PageScroller::SetControl(Control* c) {
    if (control_ && control_ != c) RemoveFreeNotification(control_);
    control_ = c;
    if (!c) return;
    FreeNotification(c);
    if (HandleAllocated() && c->HandleAllocated())
        SendMessageA(Handle(), PGM_SETCHILD, 0, reinterpret_cast<LPARAM>(c->Handle()));
}

void PageScroller::Resize() {
    Control::Resize();
    Recalc();
}

void PageScroller::SetAutoScroll(bool v) {
    autoScroll_ = v;
    if (!HandleAllocated()) return;
    LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    SetWindowLongPtrA(Handle(), GWL_STYLE, v ? style | PGS_AUTOSCROLL : style & ~static_cast<LONG_PTR>(PGS_AUTOSCROLL));
}

void PageScroller::Recalc() {
    if (!HandleAllocated()) return;
    SendMessageA(Handle(), PGM_RECALCSIZE, 0, 0);
    // Wine updates its arrows only when the position changes: a step away
    // and back, before anything is painted.
    const LRESULT pos = SendMessageA(Handle(), PGM_GETPOS, 0, 0);
    SendMessageA(Handle(), PGM_SETPOS, 0, pos == 0 ? 1 : 0);
    SendMessageA(Handle(), PGM_SETPOS, 0, pos);
}

bool PageScroller::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(lp)->code != static_cast<UINT>(PGN_CALCSIZE)) return false;
    auto* size = reinterpret_cast<NMPGCALCSIZE*>(lp);
    if (control_) {
        if (size->dwFlag == PGF_CALCHEIGHT) size->iHeight = control_->Height();
        else size->iWidth = control_->Width();
    }
    result = 0;
    return true;
}

void PageScroller::Notification(Component* c, Operation op) {
    if (op == Operation::Remove && c == control_) control_ = nullptr;
    Control::Notification(c, op);
}

const ClassInfo& ProgressBar::StaticClass() {
    static const ClassInfo info{"TProgressBar", &Control::StaticClass(), {}, {}};
    return info;
}

ProgressBar::ProgressBar(Component* owner) : Control(owner) {}

void ProgressBar::CreateParamsFor(CreateParams& p) { p.ClassName = PROGRESS_CLASSA; }

void ProgressBar::InitWnd() {
    SendMessageA(Handle(), PBM_SETRANGE32, 0, max_);
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void ProgressBar::SetMax(int v) {
    if (!Store(max_, v)) return;
    if (HandleAllocated()) SendMessageA(Handle(), PBM_SETRANGE32, 0, max_);
}

void ProgressBar::SetPosition(int v) {
    if (!Store(position_, v)) return;
    if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

}  // namespace tk
