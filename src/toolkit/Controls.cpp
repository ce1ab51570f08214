#include "toolkit/Controls.h"

#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Menus.h"
#include "toolkit/StdCtrls.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <bitset>
#include <unordered_map>

namespace tk {

Application* App = nullptr;

namespace {
const char kFormClass[] = "TQuenmoorForm";
const char kPanelClass[] = "TQuenmoorPanel";
const char kAppClass[] = "TQuenmoorApplication";
const char kHintClass[] = "TQuenmoorHint";
constexpr UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2;

Control* g_dragSource = nullptr;

// Control identifiers stay clear of those the system's dialogs use for their
// own controls (1 to 0x3FFF, the file dialog's 1000 to 1200 among them) and
// commands (0xA000 and up), since toolkit controls live inside such dialogs.
constexpr int kFirstId = 0x4000, kLastId = 0x9FFF;
std::bitset<kLastId - kFirstId + 1> g_usedIds;
int g_nextId = kFirstId;

int AcquireId() {
    for (int n = 0; n <= kLastId - kFirstId; ++n) {
        int id = g_nextId;
        g_nextId = id == kLastId ? kFirstId : id + 1;
        if (!g_usedIds[static_cast<size_t>(id - kFirstId)]) {
            g_usedIds[static_cast<size_t>(id - kFirstId)] = true;
            return id;
        }
    }
    throw Exception("Out of control identifiers");
}

void ReleaseId(int id) {
    if (id >= kFirstId && id <= kLastId) g_usedIds[static_cast<size_t>(id - kFirstId)] = false;
}

// The one link from a window to its control: made when the toolkit creates
// the window, dropped at WM_NCDESTROY. It also keeps the procedure that was
// in place before ours, which the window needs until its very end, even
// after its control is gone, while someone else's procedure sits in front.
struct Link {
    Control* control;
    WNDPROC previous;  // null for the toolkit's own window classes
};
std::unordered_map<HWND, Link>& Links() {
    static std::unordered_map<HWND, Link> links;
    return links;
}

TCursor g_screenCursor = crDefault;

MouseButton ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return MouseButton::Left;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return MouseButton::Right;
    default: return MouseButton::Middle;
    }
}

bool IsDoubleClick(UINT msg) { return msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK; }

ShiftState MouseShift(WPARAM wp) {
    ShiftState s = 0;
    if (wp & MK_SHIFT) s |= ssShift;
    if (wp & MK_CONTROL) s |= ssCtrl;
    if (wp & MK_LBUTTON) s |= ssLeft;
    if (wp & MK_RBUTTON) s |= ssRight;
    if (wp & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}
}  // namespace

ShiftState KeyboardShiftState() {
    ShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

HCURSOR CursorHandle(TCursor c) {
    LPCSTR id = IDC_ARROW;
    switch (c) {
    case crIBeam: id = IDC_IBEAM; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHandPoint: id = IDC_HAND; break;
    case crNoDrop: id = IDC_NO; break;
    default: break;
    }
    return LoadCursorA(nullptr, id);
}

TCursor Screen::Cursor() { return g_screenCursor; }

void Screen::SetCursor(TCursor c) {
    if (c == g_screenCursor) return;
    g_screenCursor = c;
    if (c != crDefault) {
        ::SetCursor(CursorHandle(c));
    } else {
        // Let the window under the pointer choose again.
        POINT pt;
        GetCursorPos(&pt);
        SetCursorPos(pt.x, pt.y);
    }
}

std::string ExceptionBoxText(const std::string& message) {
    std::string out = message;
    if (!out.empty() && static_cast<unsigned char>(out.back()) > static_cast<unsigned char>('.')) out += '.';
    return out;
}

std::string ModuleFolder() { return ExtractFilePath(fs::ModuleFileName(nullptr)); }

// ---- Control ----

const ClassInfo& Control::StaticClass() {
    static const ClassInfo info{"TControl", &Component::StaticClass(),
                                {TextProp("Hint", &Control::Hint, &Control::SetHint)},
                                {ObjectProp("Font", &Control::GetFont)}};
    return info;
}

Control::Control(Component* owner) : Component(owner), id_(AcquireId()), font_(std::make_unique<Font>()) {
    font_->OnChange = [this] {
        ParentFont = false;
        FontChanged();
    };
}

Control::~Control() {
    MarkDestroying();
    if (App && App->hintControl_ == this) App->CancelHint();
    // The window goes first, and unlinked, so that nothing it is told while
    // it dies reaches this half-destroyed object; the children's windows die
    // with it while their objects are still whole.
    if (handle_) {
        HWND h = handle_;
        Forget();
        DestroyWindow(h);
    }
    DestroyComponents();
    for (Control* c : children_) c->parent_ = nullptr;
    children_.clear();
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
        if (parent_->mouseCapture_ == this) {
            parent_->mouseCapture_ = nullptr;
            if (parent_->handle_ && GetCapture() == parent_->handle_) ReleaseCapture();
        }
        if (parent_->mouseOver_ == this) parent_->mouseOver_ = nullptr;
        parent_ = nullptr;
    }
    ReleaseId(id_);
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (Windowless()) Invalidate();
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
        if (parent_->mouseCapture_ == this) parent_->mouseCapture_ = nullptr;
        if (parent_->mouseOver_ == this) parent_->mouseOver_ = nullptr;
    }
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
    if (Windowless()) {
        Invalidate();
        return;
    }
    if (handle_) {
        if (parent_ && parent_->handle_) ::SetParent(handle_, parent_->handle_);
        else DestroyHandle();
    } else if (parent_ && parent_->handle_) {
        CreateWnd();
    }
}

Form* Control::ParentForm() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<Form*>(c);
}

void Control::SetBounds(int left, int top, int width, int height) {
    if (handle_) {
        // WM_WINDOWPOSCHANGED takes over what the window made of it and
        // tells Resize, as when anyone else moves the window.
        MoveWindow(handle_, left, top, width, height, TRUE);
        return;
    }
    if (Windowless()) Invalidate();
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (Windowless()) {
        Invalidate();
        if (resized) Resize();
    }
}

RECT Control::ClientRect() {
    RECT r{0, 0, width_, height_};
    if (HandleAllocated()) GetClientRect(handle_, &r);
    return r;
}

std::string WindowText(HWND wnd) {
    int n = GetWindowTextLengthA(wnd);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(wnd, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

std::string Control::GetText() const { return handle_ ? WindowText(handle_) : text_; }

void Control::SetText(const std::string& v) {
    text_ = v;
    if (handle_) SetWindowTextA(handle_, v.c_str());
}

void Control::FollowWindowPos(const WINDOWPOS& pos) {
    if (!(pos.flags & SWP_NOMOVE)) {
        left_ = pos.x;
        top_ = pos.y;
    }
    if (!(pos.flags & SWP_NOSIZE)) {
        width_ = pos.cx;
        height_ = pos.cy;
    }
}

void Control::SetVisible(bool v) {
    visible_ = v;
    if (handle_) ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE);
}

void Control::SetEnabled(bool v) {
    enabled_ = v;
    if (handle_) EnableWindow(handle_, v);
}

HWND Control::Handle() {
    if (!handle_) {
        if (parent_) parent_->Handle();  // makes this control with its siblings
        if (!handle_) CreateWnd();
    }
    return handle_;
}

void Control::CreateWnd() {
    CreateParams p;
    if (visible_) p.Style |= WS_VISIBLE;
    if (!enabled_) p.Style |= WS_DISABLED;
    CreateParamsFor(p);
    ownClass_ = p.OwnClass;
    HWND parentWnd = nullptr;
    if (p.Style & WS_CHILD) {
        if (!parent_) throw Exception(Format("Control '%s' has no parent window", Name().c_str()));
        parentWnd = parent_->Handle();
        if (handle_) return;  // the parent made it meanwhile
    } else if (App && App->MainForm && App->MainForm != this) {
        parentWnd = App->MainForm->Handle();
    }
    HWND h = CreateWindowExA(p.ExStyle, p.ClassName.c_str(), text_.c_str(), p.Style, left_, top_, width_, height_,
                             parentWnd,
                             (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)) : nullptr,
                             GetModuleHandleA(nullptr), ownClass_ ? this : nullptr);
    if (!h) throw Exception(Format("Error creating window '%s' (%lu)", Name().c_str(), GetLastError()));
    handle_ = h;
    if (!ownClass_) {
        // Our own procedure in front of the system's, not comctl32's
        // subclassing: that asks the window server on every message, which
        // made filling long lists many times slower.
        prevProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
        Links()[h] = Link{this, prevProc_};
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
    }
    // The system may have fitted the window (a combo box to its font).
    RECT wr;
    GetWindowRect(h, &wr);
    if (p.Style & WS_CHILD) MapWindowPoints(nullptr, parentWnd, reinterpret_cast<POINT*>(&wr), 2);
    left_ = wr.left;
    top_ = wr.top;
    width_ = wr.right - wr.left;
    height_ = wr.bottom - wr.top;
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont()), FALSE);
    if (acceptFiles_) DragAcceptFiles(h, TRUE);
    // Later controls lie over earlier ones, as in the form descriptions.
    if (p.Style & WS_CHILD) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InitWnd();
    for (Control* c : std::vector<Control*>(children_))
        if (!c->handle_) c->CreateWnd();
}

void Control::SaveTreeState() {
    for (Control* c : children_)
        if (c->handle_) c->SaveTreeState();
    SaveWndState();
}

void Control::DestroyHandle() {
    if (!handle_) return;
    SaveTreeState();
    HWND h = handle_;
    DestroyWindow(h);  // WM_NCDESTROY forgets the handles of this window and its children
    Forget();
}

void Control::Forget() {
    if (!handle_) return;
    auto it = Links().find(handle_);
    if (it != Links().end()) {
        if (ownClass_) {
            Links().erase(it);
        } else if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC)) == SubclassProc) {
            SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
            Links().erase(it);
        } else {
            // Someone subclassed after us and still calls our procedure:
            // keep forwarding to the system's until the window ends.
            it->second.control = nullptr;
        }
    }
    handle_ = nullptr;
}

void Control::RecreateWnd() {
    if (!handle_) return;
    DestroyHandle();
    CreateWnd();
}

void Control::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void Control::PaintGraphicChildren(HDC dc, const RECT& update) {
    for (Control* c : std::vector<Control*>(children_)) {
        if (!c->Windowless() || !c->visible_) continue;
        RECT r{c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_}, common;
        if (!IntersectRect(&common, &r, &update)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(dc, r.left, r.top, nullptr);
        static_cast<GraphicControl*>(c)->Paint(dc);
        RestoreDC(dc, saved);
    }
}

GraphicControl* Control::GraphicChildAt(POINT pt, bool enabledOnly) {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control* c = *it;
        if (!c->Windowless() || !c->visible_ || (enabledOnly && !c->enabled_)) continue;
        RECT r{c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_};
        if (PtInRect(&r, pt)) return static_cast<GraphicControl*>(c);
    }
    return nullptr;
}

Control* Control::ControlAtPos(POINT screen, HWND wnd) {
    if (!wnd) wnd = WindowFromPoint(screen);
    Control* c = FindControl(wnd);
    if (!c || !c->handle_) return c;
    POINT client = screen;
    ScreenToClient(c->handle_, &client);
    if (GraphicControl* g = c->GraphicChildAt(client, false)) return g;
    return c;
}

HFONT Control::EffectiveFont() { return EffectiveFontObject()->Handle(); }

Font* Control::EffectiveFontObject() {
    Control* c = this;
    while (c->ParentFont && c->parent_) c = c->parent_;
    return c->GetFont();
}

void Control::FontChanged() {
    if (handle_) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont()), TRUE);
    }
    for (Control* c : children_)
        if (c->ParentFont) c->FontChanged();
}

bool Control::CanFocus() {
    for (Control* c = this; c; c = c->parent_)
        if (!c->visible_ || !c->enabled_) return false;
    return HandleAllocated();
}

void Control::SetFocus() {
    Handle();
    ::SetFocus(handle_);
    if (Form* f = ParentForm(); f && f != this) f->activeControl_ = this;
}

Control* Control::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    auto it = Links().find(wnd);
    return it == Links().end() ? nullptr : it->second.control;
}

Control* Control::FindControl(HWND wnd) {
    for (HWND h = wnd; h; h = GetParent(h))
        if (Control* c = FromHandle(h)) return c;
    return nullptr;
}

LRESULT CALLBACK Control::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = Links().find(wnd);
    if (it == Links().end()) return DefWindowProcA(wnd, msg, wp, lp);
    Link link = it->second;
    if (msg == WM_NCDESTROY) {
        // Put the system's procedure back only while ours is in front: a
        // later subclasser must not be unhooked.
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == SubclassProc)
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link.previous));
        Links().erase(wnd);
        if (link.control && link.control->handle_ == wnd) link.control->handle_ = nullptr;
        return CallWindowProcA(link.previous, wnd, msg, wp, lp);
    }
    if (!link.control) return CallWindowProcA(link.previous, wnd, msg, wp, lp);
    return link.control->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Control::OwnClassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->handle_ = wnd;
        Links()[wnd] = Link{self, nullptr};
    }
    auto it = Links().find(wnd);
    Control* self = it == Links().end() ? nullptr : it->second.control;
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        Links().erase(it);
        if (self->handle_ == wnd) self->handle_ = nullptr;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT Control::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    // No exception may cross a window procedure: report it and go on.
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        switch (msg) {
        case WM_SETFOCUS:
            if (Form* f = ParentForm(); f && f != this) f->activeControl_ = this;
            break;
        case WM_WINDOWPOSCHANGED: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            int w = width_, h = height_;
            FollowWindowPos(*pos);
            LRESULT r = WndProc(msg, wp, lp);
            if (width_ != w || height_ != h) Resize();
            return r;
        }
        default:
            break;
        }
        return WndProc(msg, wp, lp);
    });
}

LRESULT Control::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    return ownClass_ ? DefWindowProcA(handle_, msg, wp, lp) : CallWindowProcA(prevProc_, handle_, msg, wp, lp);
}

bool Control::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    Control* child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = FromHandle(reinterpret_cast<HWND>(lp));
        break;
    case WM_NOTIFY:
        child = FromHandle(reinterpret_cast<NMHDR*>(lp)->hwndFrom);
        break;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis->CtlType != ODT_MENU) child = FromHandle(dis->hwndItem);
        break;
    }
    case WM_MEASUREITEM: {
        // Arrives during CreateWindowEx, before the child is linked: find it by id.
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis->CtlType != ODT_MENU)
            for (Control* c : children_)
                if (static_cast<UINT>(c->id_) == mis->CtlID) child = c;
        break;
    }
    case WM_DELETEITEM:
        child = FromHandle(reinterpret_cast<DELETEITEMSTRUCT*>(lp)->hwndItem);
        break;
    case WM_COMPAREITEM:
        child = FromHandle(reinterpret_cast<COMPAREITEMSTRUCT*>(lp)->hwndItem);
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        child = FromHandle(reinterpret_cast<HWND>(lp));
        break;
    default:
        return false;
    }
    return child && child != this && child->Reflected(msg, wp, lp, result);
}

bool Control::RouteMouseToGraphic(UINT msg, WPARAM wp, LPARAM lp) {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    GraphicControl* over = GraphicChildAt(pt);
    if (over != mouseOver_ && !mouseCapture_) {
        if (GraphicControl* old = std::exchange(mouseOver_, over)) {
            old->mouseInside_ = false;
            old->MouseLeave();
        }
        if (over) {
            over->mouseInside_ = true;
            over->MouseEnter();
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, handle_, 0};
            TrackMouseEvent(&tme);
        }
    }
    GraphicControl* target = mouseCapture_ ? mouseCapture_ : over;
    if (!target) return false;
    int x = pt.x - target->left_, y = pt.y - target->top_;
    ShiftState shift = MouseShift(wp);
    auto alive = [&] { return std::find(children_.begin(), children_.end(), target) != children_.end(); };
    switch (msg) {
    case WM_MOUSEMOVE:
        target->MouseMove(shift, x, y);
        return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        MouseButton b = ButtonOf(msg);
        if (IsDoubleClick(msg)) shift |= ssDouble;
        mouseCapture_ = target;
        SetCapture(handle_);
        target->MouseDown(b, shift, x, y);
        if (alive() && msg == WM_LBUTTONDBLCLK && target->OnDblClick) target->OnDblClick();
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        MouseButton b = ButtonOf(msg);
        bool captured = mouseCapture_ == target;
        mouseCapture_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
        target->MouseUp(b, shift, x, y);
        // A click needs the press and the release on the control.
        if (alive() && captured && b == MouseButton::Left && x >= 0 && y >= 0 && x < target->width_ && y < target->height_)
            target->Click();
        return true;
    }
    default:
        return false;
    }
}

bool Control::InputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(wp);
        if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) KeyDown(key, KeyboardShiftState());
        else KeyUp(key, KeyboardShiftState());
        if (key) return false;
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        if (ownClass_ && RouteMouseToGraphic(msg, wp, lp)) return true;
        MouseMove(MouseShift(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        if (ownClass_ && RouteMouseToGraphic(msg, wp, lp)) return true;
        ShiftState shift = MouseShift(wp) | (IsDoubleClick(msg) ? ShiftState{ssDouble} : 0u);
        MouseDown(ButtonOf(msg), shift, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return false;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (ownClass_ && RouteMouseToGraphic(msg, wp, lp)) return true;
        MouseUp(ButtonOf(msg), MouseShift(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return false;
    }
    case WM_MOUSELEAVE:
        if (GraphicControl* old = std::exchange(mouseOver_, nullptr); old && !mouseCapture_) {
            old->mouseInside_ = false;
            old->MouseLeave();
        }
        return false;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != handle_)
            if (GraphicControl* lost = std::exchange(mouseCapture_, nullptr)) lost->MouseCaptureLost();
        return false;
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wp) != handle_ || LOWORD(lp) != HTCLIENT) return false;
        TCursor shape = Screen::Cursor();
        if (shape == crDefault) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(handle_, &pt);
            GraphicControl* g = GraphicChildAt(pt);
            shape = g && g->Cursor != crDefault ? g->Cursor : Cursor;
        }
        if (shape == crDefault) return false;
        ::SetCursor(CursorHandle(shape));
        result = TRUE;
        return true;
    }
    case WM_PAINT: {
        if (!ownClass_ || std::none_of(children_.begin(), children_.end(), [](Control* c) { return c->Windowless(); }))
            return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle_, &ps);
        PaintGraphicChildren(dc, ps.rcPaint);
        EndPaint(handle_, &ps);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, result)) return result;
    if (InputMessage(msg, wp, lp, result)) return result;
    if (msg == WM_CONTEXTMENU && ShowPopupMenu(lp)) return 0;
    if (msg == WM_DROPFILES && OnDropFiles) {
        DropHandle drop(reinterpret_cast<HDROP>(wp));
        OnDropFiles(DroppedFiles(drop.get()));
        return 0;
    }
    if (msg == WM_CHAR) {
        char key = static_cast<char>(wp);
        KeyPress(key);
        if (!key) return 0;
        wp = static_cast<unsigned char>(key);
    }
    return DefaultProc(msg, wp, lp);
}

void Control::Notification(Component* c, Operation op) {
    if (op == Operation::Remove && c == popupMenu_) popupMenu_ = nullptr;
    Component::Notification(c, op);
}

void Control::SetPopupMenu(PopupMenu* menu) {
    if (popupMenu_) RemoveFreeNotification(popupMenu_);
    popupMenu_ = menu;
    if (menu) FreeNotification(menu);
}

bool Control::ShowPopupMenu(LPARAM lp) {
    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    PopupMenu* menu = popupMenu_;
    if (lp == -1) {
        // From the keyboard: below the control's top-left corner.
        pt = {0, 0};
        ClientToScreen(handle_, &pt);
    } else {
        POINT client = pt;
        ScreenToClient(handle_, &client);
        if (GraphicControl* g = GraphicChildAt(client, false); g && g->popupMenu_) menu = g->popupMenu_;
    }
    if (!menu) return false;
    menu->Popup(pt.x, pt.y);
    return true;
}

void Control::SetAcceptFiles(bool accept) {
    acceptFiles_ = accept;
    if (handle_) DragAcceptFiles(handle_, accept);
}

std::string CarriedName(std::wstring_view name) {
    std::string out;
    if (!fs::NarrowExact(name, out))
        throw Exception(Format("\"%s\" cannot be used: its name holds characters that this system's code page lacks",
                               out.c_str()));
    return out;
}

std::vector<std::string> DroppedFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        names.push_back(CarriedName(name));
    }
    return names;
}


POINT Control::FromScreen(POINT pt) {
    Control* host = Windowless() ? parent_ : this;
    if (host && host->handle_) ScreenToClient(host->handle_, &pt);
    if (Windowless()) {
        pt.x -= left_;
        pt.y -= top_;
    }
    return pt;
}

bool Control::Dragging() { return g_dragSource != nullptr; }

void Control::BeginDrag() {
    Control* host = Windowless() ? parent_ : this;
    if (g_dragSource || !host) return;
    const HWND wnd = host->Handle();
    // Whatever press the window was following ends here.
    ReleaseCapture();
    SetCapture(wnd);
    g_dragSource = this;
    Control* target = nullptr;
    bool accepted = false, dropped = false;
    POINT at{};
    auto follow = [&] {
        GetCursorPos(&at);
        target = ControlAtPos(at);
        accepted = false;
        if (target && target->OnDragOver) {
            POINT p = target->FromScreen(at);
            target->OnDragOver(this, p.x, p.y, accepted);
        }
        ::SetCursor(CursorHandle(accepted ? crDrag : crNoDrop));
    };
    try {
        follow();
        for (bool done = false; !done && GetCapture() == wnd;) {
            MSG msg;
            const BOOL r = GetMessageA(&msg, nullptr, 0, 0);
            if (r == 0 || r == -1) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            switch (msg.message) {
            case WM_MOUSEMOVE:
                follow();
                break;
            case WM_LBUTTONUP:
                follow();
                dropped = done = true;
                break;
            case WM_RBUTTONDOWN:
                done = true;
                break;
            case WM_KEYDOWN:
                done = msg.wParam == VK_ESCAPE;
                break;
            default:
                if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
                break;
            }
        }
    } catch (...) {
        g_dragSource = nullptr;
        if (GetCapture() == wnd) ReleaseCapture();
        throw;
    }
    g_dragSource = nullptr;
    if (GetCapture() == wnd) ReleaseCapture();
    Control* dropTarget = dropped && accepted ? target : nullptr;
    const POINT p = dropTarget ? dropTarget->FromScreen(at) : POINT{};
    if (dropTarget && dropTarget->OnDragDrop) dropTarget->OnDragDrop(this, p.x, p.y);
    if (OnEndDrag) OnEndDrag(dropTarget, p.x, p.y);
}

// ---- GraphicControl ----

const ClassInfo& GraphicControl::StaticClass() {
    static const ClassInfo info{"TGraphicControl", &Control::StaticClass(), {}, {}};
    return info;
}

GraphicControl::GraphicControl(Component* owner) : Control(owner) {}

GraphicControl::~GraphicControl() {
    MarkDestroying();
    Invalidate();
}

void GraphicControl::Invalidate() {
    if (!parent_ || !parent_->handle_) return;
    RECT r{left_, top_, left_ + width_, top_ + height_};
    InvalidateRect(parent_->handle_, &r, TRUE);
}

void GraphicControl::SetText(const std::string& v) {
    text_ = v;
    Invalidate();
}

void GraphicControl::SetVisible(bool v) {
    visible_ = v;
    Invalidate();
}

void GraphicControl::SetEnabled(bool v) {
    enabled_ = v;
    Invalidate();
}

RECT GraphicControl::ScreenRect() {
    RECT r{left_, top_, left_ + width_, top_ + height_};
    if (parent_ && parent_->handle_) MapWindowPoints(parent_->handle_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- Panel ----

const ClassInfo& Panel::StaticClass() {
    static const ClassInfo info{"TPanel", &Control::StaticClass(),
                                {TextProp("Caption", &Panel::Caption, &Panel::SetCaption)}, {}};
    return info;
}

Panel::Panel(Component* owner) : Control(owner) {}

const char* PlainWindowClass() { return kPanelClass; }

void Panel::CreateParamsFor(CreateParams& p) {
    p.ClassName = kPanelClass;
    p.OwnClass = true;
    p.Style |= WS_CLIPCHILDREN;
    p.ExStyle |= WS_EX_CONTROLPARENT | (border_ ? WS_EX_CLIENTEDGE : 0);
}

void Panel::SetBorder(bool v) {
    border_ = v;
    if (!HandleAllocated()) return;
    LONG_PTR ex = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, v ? ex | WS_EX_CLIENTEDGE : ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Panel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(Handle(), &r);
        BrushHandle face(CreateSolidBrush(ColorToRGB(Color)));
        FillRect(reinterpret_cast<HDC>(wp), &r, face.get());
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintGraphicChildren(dc, ps.rcPaint);
        RECT r;
        GetClientRect(Handle(), &r);
        for (BevelCut cut : {BevelOuter, BevelInner}) {
            if (cut == BevelCut::None) continue;
            DrawEdge(dc, &r, cut == BevelCut::Lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            InflateRect(&r, -1, -1);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    default:
        return Control::WndProc(msg, wp, lp);
    }
}

// ---- Form ----

const ClassInfo& Form::StaticClass() {
    static const ClassInfo info{"TForm", &Control::StaticClass(),
                                {TextProp("Caption", &Form::Caption, &Form::SetCaption)}, {}};
    return info;
}

Form::Form(Component* owner) : Control(owner) { Control::visible_ = false; }

Form::~Form() {
    MarkDestroying();
    if (HandleAllocated()) {
        HWND h = Handle();
        Forget();
        DestroyWindow(h);
    }
    DestroyComponents();
    if (App && App->MainForm == this) App->MainForm = nullptr;
}

void Form::Notification(Component* c, Operation op) {
    if (op == Operation::Remove && c == activeControl_) activeControl_ = nullptr;
    Control::Notification(c, op);
}

void Form::Describe(const FormDescription& d) {
    SetName(d.Name);
    SetCaption(d.Caption);
    SetClientSize(d.ClientWidth, d.ClientHeight);
    FormBorderStyle = d.Border;
    FormBorderIcons = d.Icons;
    Position = d.Position;
}

void Form::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    if (HandleAllocated()) {
        RECT r{0, 0, width, height};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::CreateParamsFor(CreateParams& p) {
    p.ClassName = kFormClass;
    p.OwnClass = true;
    p.Style = WS_CLIPCHILDREN | (p.Style & WS_DISABLED);
    p.ExStyle = WS_EX_CONTROLPARENT;
    switch (FormBorderStyle) {
    case BorderStyle::None:
        p.Style |= WS_POPUP;
        break;
    case BorderStyle::Single:
        p.Style |= WS_CAPTION | WS_BORDER;
        break;
    case BorderStyle::Sizeable:
        p.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case BorderStyle::Dialog:
        p.Style |= WS_CAPTION | DS_MODALFRAME;
        p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FormBorderStyle != BorderStyle::None && (FormBorderIcons & biSystemMenu)) {
        p.Style |= WS_SYSMENU;
        if (FormBorderStyle != BorderStyle::Dialog) {
            if (FormBorderIcons & biMinimize) p.Style |= WS_MINIMIZEBOX;
            if (FormBorderIcons & biMaximize) p.Style |= WS_MAXIMIZEBOX;
        }
    }
    RECT r{0, 0, clientWidth_, clientHeight_};
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    Control::width_ = r.right - r.left;
    Control::height_ = r.bottom - r.top;
}

void Form::InitWnd() {
    if (App && this == App->MainForm) {
        HICON big = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
        if (big) {
            SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
            SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(big));
        }
    }
}

void Form::AfterConstruction(bool makeWindow) {
    SetLoading(false);
    if (makeWindow) HandleNeeded();
    std::vector<Component*> all;
    for (int i = 0; i < ComponentCount(); ++i) all.push_back(Components(i));
    for (Component* c : all) c->Loaded();
    Component::Loaded();
    if (OnCreate) OnCreate();
}

void Form::PlaceOnShow() {
    RECT wr;
    GetWindowRect(Handle(), &wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    int x = left_, y = top_;
    Form* main = App ? App->MainForm : nullptr;
    switch (Position) {
    case FormPosition::Designed:
        return;
    case FormPosition::MainFormCenter:
        if (main && main != this && main->HandleAllocated()) {
            RECT mr;
            GetWindowRect(main->Handle(), &mr);
            x = mr.left + ((mr.right - mr.left) - w) / 2;
            y = mr.top + ((mr.bottom - mr.top) - h) / 2;
            break;
        }
        [[fallthrough]];
    case FormPosition::ScreenCenter:
    case FormPosition::DesktopCenter:
        x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        break;
    }
    left_ = x;
    top_ = y;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetVisible(bool v) {
    if (v) Show();
    else Hide();
}

void Form::Show() {
    HandleNeeded();
    if (!visible_) PlaceOnShow();
    visible_ = true;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    if (OnShow) OnShow();
}

void Form::Hide() {
    visible_ = false;
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

WindowsDisabled::WindowsDisabled(HWND keep) : keep_(keep) {
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK WindowsDisabled::Collect(HWND wnd, LPARAM lp) {
    auto* self = reinterpret_cast<WindowsDisabled*>(lp);
    if (wnd != self->keep_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        EnableWindow(wnd, FALSE);
        self->disabled_.push_back(wnd);
    }
    return TRUE;
}

void WindowsDisabled::Enable() {
    for (HWND w : disabled_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    disabled_.clear();
}

int Form::ShowModal() {
    if (App && App->ModalResponder) {
        ModalResult = App->ModalResponder(*this);
        return ModalResult;
    }
    if (visible_) throw Exception("Cannot make a visible window modal");
    HandleNeeded();
    App->CancelHint();
    WindowsDisabled others(Handle());
    HWND previous = GetActiveWindow();
    modal_ = true;
    ModalResult = mrNone;
    auto restore = [&] {
        others.Enable();
        Hide();
        modal_ = false;
        if (previous && IsWindow(previous)) SetActiveWindow(previous);
    };
    try {
        Show();
        while (ModalResult == mrNone) {
            if (!App->HandleMessage()) {
                ModalResult = mrCancel;
                break;
            }
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return ModalResult;
}

void Form::Close() {
    if (modal_) {
        CloseAction action = CloseAction::Hide;
        if (OnClose) OnClose(action);
        if (action != CloseAction::None && ModalResult == mrNone) ModalResult = mrCancel;
        return;
    }
    bool isMain = App && App->MainForm == this;
    CloseAction action = isMain ? CloseAction::Free : CloseAction::Hide;
    if (OnClose) OnClose(action);
    switch (action) {
    case CloseAction::None:
        break;
    case CloseAction::Hide:
        Hide();
        break;
    case CloseAction::Minimize:
        ShowWindow(Handle(), SW_MINIMIZE);
        break;
    case CloseAction::Free:
        // Destroyed with the application, never from inside its own messages.
        Hide();
        if (isMain) App->Terminate();
        break;
    }
}

void Form::SetActiveControl(Control* c) {
    activeControl_ = c;
    if (c && c->CanFocus() && HandleAllocated() && GetActiveWindow() == Handle()) c->SetFocus();
}

std::vector<Control*> Form::TabList() {
    std::vector<Control*> out;
    std::function<void(Control*)> walk = [&](Control* parent) {
        std::vector<Control*> kids = parent->Controls();
        std::stable_sort(kids.begin(), kids.end(), [](Control* a, Control* b) {
            unsigned ta = static_cast<unsigned>(a->TabOrder()), tb = static_cast<unsigned>(b->TabOrder());
            return ta < tb;  // unset (-1) sorts last
        });
        for (Control* c : kids) {
            if (c->TabStop) out.push_back(c);
            walk(c);
        }
    };
    walk(this);
    return out;
}

bool Form::SelectNext(bool forward) {
    std::vector<Control*> list = TabList();
    if (list.empty()) return false;
    Control* current = FindControl(GetFocus());
    int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[static_cast<size_t>(i)] == current) start = i;
    for (int step = 1; step <= n; ++step) {
        int i = start < 0 ? (forward ? step - 1 : n - step) : ((start + (forward ? step : -step)) % n + n) % n;
        Control* c = list[static_cast<size_t>(i)];
        if (c->CanFocus()) {
            c->SetFocus();
            return true;
        }
    }
    return false;
}

Button* Form::FindButton(bool isDefault) {
    std::function<Button*(Control*)> walk = [&](Control* parent) -> Button* {
        for (Control* c : parent->Controls()) {
            if (auto* b = dynamic_cast<Button*>(c); b && (isDefault ? b->Default : b->Cancel) && b->CanFocus())
                return b;
            if (Button* b = walk(c)) return b;
        }
        return nullptr;
    };
    return walk(this);
}

bool Form::FocusByMnemonic(WPARAM key) {
    std::function<bool(Control*)> walk = [&](Control* parent) {
        for (Control* c : parent->Controls()) {
            auto* label = dynamic_cast<Label*>(c);
            Control* target = label ? label->FocusControl : nullptr;
            if (target && target->CanFocus()) {
                const std::string text = label->Caption();
                size_t amp = text.find('&');
                while (amp != std::string::npos && amp + 1 < text.size() && text[amp + 1] == '&')
                    amp = text.find('&', amp + 2);
                if (amp != std::string::npos && amp + 1 < text.size() &&
                    UpperCase(text.substr(amp + 1, 1)) == std::string(1, static_cast<char>(key))) {
                    target->SetFocus();
                    return true;
                }
            }
            if (walk(c)) return true;
        }
        return false;
    };
    return walk(this);
}

bool Form::DialogKey(const MSG& msg) {
    // Alt and a label's marked letter: the control the label names.
    if (msg.message == WM_SYSKEYDOWN) {
        const bool letter = (msg.wParam >= 'A' && msg.wParam <= 'Z') || (msg.wParam >= '0' && msg.wParam <= '9');
        return letter && FocusByMnemonic(msg.wParam);
    }
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
    if (GetKeyState(VK_MENU) < 0) return false;
    HWND focus = GetFocus();
    MSG copy = msg;
    LRESULT code = focus ? SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy)) : 0;
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    switch (msg.wParam) {
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0 || (code & DLGC_WANTTAB)) return false;
        SelectNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_RETURN: {
        auto* b = dynamic_cast<Button*>(FindControl(focus));
        if (!b) b = FindButton(true);
        if (!b) return false;
        b->Click();
        return true;
    }
    case VK_ESCAPE: {
        Button* b = FindButton(false);
        if (!b) return false;
        b->Click();
        return true;
    }
    }
    return false;
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) {
            clientWidth_ = LOWORD(lp);
            clientHeight_ = HIWORD(lp);
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            Control* c = FindControl(GetFocus());
            if (c && c != this && c->ParentForm() == this) activeControl_ = c;
        } else if (!HIWORD(wp)) {
            if (activeControl_ && activeControl_->CanFocus()) ::SetFocus(activeControl_->Handle());
            else if (!SelectNext(true)) ::SetFocus(Handle());
        }
        return 0;
    case WM_SETFOCUS:
        if (activeControl_ && activeControl_->CanFocus()) {
            ::SetFocus(activeControl_->Handle());
            return 0;
        }
        break;
    default:
        break;
    }
    return Control::WndProc(msg, wp, lp);
}

// ---- ApplicationEvents ----

const ClassInfo& ApplicationEvents::StaticClass() {
    static const ClassInfo info{"TApplicationEvents", &Component::StaticClass(), {}, {}};
    return info;
}

ApplicationEvents::ApplicationEvents(Component* owner) : Component(owner) {
    if (App) App->events_.push_back(this);
}

ApplicationEvents::~ApplicationEvents() {
    if (App) {
        auto& ev = App->events_;
        ev.erase(std::remove(ev.begin(), ev.end(), this), ev.end());
    }
}

// ---- Application ----

Application::Application() : Component(nullptr) {
    App = this;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE inst = GetModuleHandleA(nullptr);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Control::OwnClassProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(inst, "MAINICON");
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);
    wc.hIcon = nullptr;
    wc.lpszClassName = kPanelClass;
    RegisterClassExA(&wc);

    WNDCLASSEXA ac{};
    ac.cbSize = sizeof ac;
    ac.lpfnWndProc = AppWndProc;
    ac.hInstance = inst;
    ac.lpszClassName = kAppClass;
    RegisterClassExA(&ac);

    WNDCLASSEXA hc{};
    hc.cbSize = sizeof hc;
    hc.style = CS_SAVEBITS;
    hc.lpfnWndProc = HintWndProc;
    hc.hInstance = inst;
    hc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    hc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    hc.lpszClassName = kHintClass;
    RegisterClassExA(&hc);
}

HWND Application::Handle() {
    if (!handle_)
        handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kAppClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    return handle_;
}

HWND Application::HintWindow() {
    // Made when a hint is first due: until then the program needs none.
    if (!hintWnd_)
        hintWnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kHintClass, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return hintWnd_;
}

Application::~Application() {
    MarkDestroying();
    queuedCalls_.clear();
    DestroyComponents();
    if (hintWnd_) DestroyWindow(hintWnd_);
    if (handle_) DestroyWindow(handle_);
    if (App == this) App = nullptr;
    CoUninitialize();
}

namespace {
constexpr UINT kRunQueuedCalls = WM_APP + 1;
}

void Application::QueueCall(std::function<void()> call) {
    queuedCalls_.push_back(std::move(call));
    PostMessageA(Handle(), kRunQueuedCalls, 0, 0);
}

LRESULT CALLBACK Application::AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunQueuedCalls && App && !App->queuedCalls_.empty()) {
        std::function<void()> call = std::move(App->queuedCalls_.front());
        App->queuedCalls_.erase(App->queuedCalls_.begin());
        return Guarded<LRESULT>(0, [&] {
            call();
            return LRESULT{0};
        });
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void Release(Component* c) {
    if (!c) return;
    std::unique_ptr<Component> held = c->Owner() ? c->Owner()->RemoveComponent(c) : nullptr;
    if (!held) held.reset(c);
    if (auto* control = dynamic_cast<Control*>(c)) control->SetVisible(false);
    // Destroyed from the event loop, once whatever is running on it is done.
    std::shared_ptr<Component> doomed(std::move(held));
    if (App) App->QueueCall([doomed] {});
}

LRESULT CALLBACK Application::HintWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        KillTimer(wnd, wp);
        if (App) {
            if (wp == kHintShowTimer) App->ShowHintNow();
            else ShowWindow(wnd, SW_HIDE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        InflateRect(&r, -2, -1);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        FontHandle font(CreateFontIndirectA(&ncm.lfStatusFont));
        SelectObj sel(dc, font.get());
        PaintText(dc, App ? App->hintText_ : std::string(), &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

HintInfo Application::PrepareHint(Control* control, bool& canShow) {
    HintInfo info;
    info.HintControl = control;
    GetCursorPos(&info.CursorPos);
    info.HideTimeout = HintHidePause;
    info.HintStr = control ? control->Hint() : std::string();
    // The most recently made component hears the event first.
    std::vector<ApplicationEvents*> listeners(events_.rbegin(), events_.rend());
    for (ApplicationEvents* e : listeners) {
        e->cancelled_ = false;
        if (e->OnShowHint) e->OnShowHint(info.HintStr, canShow, info);
        bool stop = e->cancelled_;
        e->cancelled_ = false;
        if (stop) break;
    }
    return info;
}

void Application::ShowHintNow() {
    if (!hintControl_) return;
    POINT pt;
    GetCursorPos(&pt);
    if (Control::ControlAtPos(pt) != hintControl_) return;
    bool canShow = true;
    HintInfo info = PrepareHint(hintControl_, canShow);
    if (!canShow || info.HintStr.empty()) return;
    hintText_ = info.HintStr;
    RECT r{0, 0, 300, 0};
    {
        WindowDc dc(HintWindow());
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        FontHandle font(CreateFontIndirectA(&ncm.lfStatusFont));
        SelectObj sel(dc.get(), font.get());
        PaintText(dc.get(), hintText_, &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
    }
    SetWindowPos(hintWnd_, HWND_TOPMOST, pt.x, pt.y + 20, r.right + 6, r.bottom + 4, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hintWnd_, nullptr, TRUE);
    SetTimer(hintWnd_, kHintHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void Application::CancelHint() {
    if (hintWnd_) {
        KillTimer(hintWnd_, kHintShowTimer);
        KillTimer(hintWnd_, kHintHideTimer);
        ShowWindow(hintWnd_, SW_HIDE);
    }
    hintControl_ = nullptr;
}

void Application::PreTranslate(MSG& msg, bool& handled) {
    switch (msg.message) {
    case WM_MOUSEMOVE: {
        POINT pt{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        ClientToScreen(msg.hwnd, &pt);
        Control* c = Control::ControlAtPos(pt, msg.hwnd);
        if (c != hintControl_) {
            CancelHint();
            hintControl_ = c;
            if (c && c->ShowsHint()) SetTimer(HintWindow(), kHintShowTimer, static_cast<UINT>(HintPause), nullptr);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEWHEEL:
        if (IsWindowVisible(hintWnd_)) {
            ShowWindow(hintWnd_, SW_HIDE);
        }
        break;
    default:
        break;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        Control* c = Control::FindControl(msg.hwnd);
        Form* f = c ? c->ParentForm() : nullptr;
        if (f && f->DialogKey(msg)) handled = true;
    }
}

namespace {
// The system hands an 8-bit window a typed character in one or two bytes of
// the keyboard's code page, so a character beyond it never reaches the edit
// fields, which hold UTF-8. Such a character goes in as the text it is.
bool TypedIntoEdit(const MSG& msg) {
    static wchar_t high = 0;
    if ((msg.message != WM_CHAR && msg.message != WM_IME_CHAR) || msg.wParam < 0x80 || IsWindowUnicode(msg.hwnd))
        return false;
    char cls[8] = {};
    if (!GetClassNameA(msg.hwnd, cls, sizeof cls) || lstrcmpiA(cls, "Edit") != 0) return false;
    const auto c = static_cast<wchar_t>(msg.wParam);
    if (IS_HIGH_SURROGATE(c)) {
        high = c;
        return true;
    }
    std::wstring typed = IS_LOW_SURROGATE(c) && high ? std::wstring{high, c} : std::wstring(1, c);
    high = 0;
    if (GetWindowLongPtrA(msg.hwnd, GWL_STYLE) & ES_READONLY) {
        MessageBeep(0);
        return true;
    }
    SendMessageA(msg.hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fs::Narrow(typed).c_str()));
    return true;
}
}  // namespace

bool Application::HandleMessage() {
    MSG msg;
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) {
        terminated_ = true;
        return false;
    }
    bool handled = false;
    try {
        PreTranslate(msg, handled);
    } catch (...) {
        HandleException();
        handled = true;
    }
    if (!handled) {
        TranslateMessage(&msg);
        if (!TypedIntoEdit(msg)) DispatchMessageW(&msg);
    }
    return !terminated_;
}

void Application::ProcessMessages() {
    MSG msg;
    while (!terminated_ && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!HandleMessage()) break;
    }
}

int Application::Run() {
    if (MainForm && !terminated_) {
        MainForm->Show();
        while (!terminated_) HandleMessage();
    }
    // The loop may have ended before its WM_QUIT came round.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    terminated_ = false;
    return std::exchange(exitCode_, 0);
}

void Application::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

void Application::Halt(int exitCode) {
    exitCode_ = exitCode;
    Terminate();
}

void Application::HandleException() noexcept {
    try {
        try {
            throw;
        } catch (const EHalt& halt) {
            Halt(halt.ExitCode);
        } catch (const std::exception& e) {
            ShowException(e.what());
        } catch (...) {
            ShowException("Unknown error");
        }
    } catch (...) {
        // Nothing more can be said; the program goes on.
    }
}

void Application::ShowException(const std::string& message) {
    std::string text = ExceptionBoxText(message);
    MessageRecord rec{Title, text, MsgDlgType::Error, MsgDlgButtons{mbOK}, true};
    if (RespondToMessage(rec)) return;
    HWND owner = GetActiveWindow();
    MessageBoxA(owner, text.c_str(), Title.c_str(), MB_OK | MB_ICONSTOP);
}

}  // namespace tk
