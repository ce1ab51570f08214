#include "toolkit/Controls.h"

#include "toolkit/Dialogs.h"
#include "toolkit/StdCtrls.h"

#include <algorithm>

namespace tk {

Application* App = nullptr;

namespace {
const char kFormClass[] = "TQuenmoorForm";
const char kAppClass[] = "TQuenmoorApplication";
const char kHintClass[] = "TQuenmoorHint";
constexpr UINT_PTR kHintShowTimer = 1, kHintHideTimer = 2;
int g_nextId = 1000;

int NextId() {
    if (g_nextId >= 0x7FFF) g_nextId = 1000;
    return g_nextId++;
}
}  // namespace

std::string ExceptionBoxText(const std::string& message) {
    std::string out = message;
    if (!out.empty() && static_cast<unsigned char>(out.back()) > static_cast<unsigned char>('.')) out += '.';
    return out;
}

std::string ModuleFolder() {
    char buf[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n);
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// ---- Control ----

const ClassInfo& Control::StaticClass() {
    static const ClassInfo info{"TControl", &Component::StaticClass(),
                                {TextProp("Hint", &Control::Hint, &Control::SetHint)},
                                {ObjectProp("Font", &Control::GetFont)}};
    return info;
}

Control::Control(Component* owner) : Component(owner), id_(NextId()), font_(std::make_unique<Font>()) {
    font_->OnChange = [this] {
        ParentFont = false;
        FontChanged();
    };
}

Control::~Control() {
    MarkDestroying();
    if (App && App->hintControl_ == this) App->CancelHint();
    DestroyComponents();
    if (handle_) {
        HWND h = handle_;
        Forget();
        DestroyWindow(h);
    }
    for (Control* c : children_) c->parent_ = nullptr;
    children_.clear();
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
        parent_ = nullptr;
    }
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
    }
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
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
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) MoveWindow(handle_, left, top, width, height, TRUE);
}

RECT Control::ClientRect() {
    RECT r{0, 0, width_, height_};
    if (HandleAllocated()) GetClientRect(handle_, &r);
    return r;
}

std::string Control::GetText() const {
    if (!handle_) return text_;
    int n = GetWindowTextLengthA(handle_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(handle_, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

void Control::SetText(const std::string& v) {
    text_ = v;
    if (handle_) SetWindowTextA(handle_, v.c_str());
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
        // Our own procedure in front of the system's, the object in the
        // window's user data: both read without a trip to the window server.
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        prevProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    }
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont()), FALSE);
    // Later controls lie over earlier ones, as in the form descriptions.
    if (p.Style & WS_CHILD) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InitWnd();
    for (Control* c : std::vector<Control*>(children_))
        if (!c->handle_) c->CreateWnd();
}

void Control::DestroyHandle() {
    if (!handle_) return;
    for (Control* c : children_) c->SaveWndState();
    SaveWndState();
    HWND h = handle_;
    DestroyWindow(h);  // WM_NCDESTROY forgets the handles of this window and its children
    Forget();
}

void Control::Forget() {
    if (handle_ && !ownClass_ &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC)) == SubclassProc) {
        SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
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

HFONT Control::EffectiveFont() {
    if (ParentFont && parent_) return parent_->EffectiveFont();
    return font_->Handle();
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
    auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    if (proc == OwnClassProc || proc == SubclassProc)
        return reinterpret_cast<Control*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    return nullptr;
}

Control* Control::FindControl(HWND wnd) {
    for (HWND h = wnd; h; h = GetParent(h))
        if (Control* c = FromHandle(h)) return c;
    return nullptr;
}

LRESULT CALLBACK Control::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Control*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC previous = self->prevProc_;
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        if (self->handle_ == wnd) self->handle_ = nullptr;
        return CallWindowProcA(previous, wnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Control::OwnClassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* self = static_cast<Control*>(cs->lpCreateParams);
        self->handle_ = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Control*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        if (self->handle_ == wnd) self->handle_ = nullptr;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT Control::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    // No exception may cross a window procedure: report it and go on.
    try {
        if (msg == WM_SETFOCUS)
            if (Form* f = ParentForm(); f && f != this) f->activeControl_ = this;
        return WndProc(msg, wp, lp);
    } catch (...) {
        if (App) App->HandleException();
        return 0;
    }
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

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_CHAR:
        if (OnKeyPress) {
            char key = static_cast<char>(wp);
            OnKeyPress(key);
            if (!key) return 0;
            wp = static_cast<unsigned char>(key);
        }
        break;
    default:
        break;
    }
    return DefaultProc(msg, wp, lp);
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

void Form::AfterConstruction() {
    SetLoading(false);
    HandleNeeded();
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

namespace {
struct DisableState {
    HWND keep;
    std::vector<HWND> disabled;
};
BOOL CALLBACK DisableOthers(HWND wnd, LPARAM lp) {
    auto* st = reinterpret_cast<DisableState*>(lp);
    if (wnd != st->keep && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        EnableWindow(wnd, FALSE);
        st->disabled.push_back(wnd);
    }
    return TRUE;
}
}  // namespace

int Form::ShowModal() {
    if (App && App->ModalResponder) {
        ModalResult = App->ModalResponder(*this);
        return ModalResult;
    }
    if (visible_) throw Exception("Cannot make a visible window modal");
    HandleNeeded();
    App->CancelHint();
    DisableState st{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableOthers, reinterpret_cast<LPARAM>(&st));
    HWND previous = GetActiveWindow();
    modal_ = true;
    ModalResult = mrNone;
    auto restore = [&] {
        for (HWND w : st.disabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
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

bool Form::DialogKey(const MSG& msg) {
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

    WNDCLASSEXA ac{};
    ac.cbSize = sizeof ac;
    ac.lpfnWndProc = AppWndProc;
    ac.hInstance = inst;
    ac.lpszClassName = kAppClass;
    RegisterClassExA(&ac);
    handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kAppClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, nullptr);

    WNDCLASSEXA hc{};
    hc.cbSize = sizeof hc;
    hc.style = CS_SAVEBITS;
    hc.lpfnWndProc = HintWndProc;
    hc.hInstance = inst;
    hc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    hc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    hc.lpszClassName = kHintClass;
    RegisterClassExA(&hc);
    hintWnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kHintClass, "", WS_POPUP | WS_BORDER, 0, 0, 0, 0,
                               nullptr, nullptr, inst, nullptr);
}

Application::~Application() {
    MarkDestroying();
    DestroyComponents();
    if (hintWnd_) DestroyWindow(hintWnd_);
    if (handle_) DestroyWindow(handle_);
    if (App == this) App = nullptr;
    CoUninitialize();
}

LRESULT CALLBACK Application::AppWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(wnd, msg, wp, lp);
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
        DrawTextA(dc, App ? App->hintText_.c_str() : "", -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
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
    if (!hintControl_ || !hintControl_->HandleAllocated()) return;
    POINT pt;
    GetCursorPos(&pt);
    if (Control::FindControl(WindowFromPoint(pt)) != hintControl_) return;
    bool canShow = true;
    HintInfo info = PrepareHint(hintControl_, canShow);
    if (!canShow || info.HintStr.empty()) return;
    hintText_ = info.HintStr;
    RECT r{0, 0, 300, 0};
    {
        WindowDc dc(hintWnd_);
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        FontHandle font(CreateFontIndirectA(&ncm.lfStatusFont));
        SelectObj sel(dc.get(), font.get());
        DrawTextA(dc.get(), hintText_.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
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
        Control* c = Control::FindControl(msg.hwnd);
        if (c != hintControl_) {
            CancelHint();
            hintControl_ = c;
            if (c && c->ShowHint) SetTimer(hintWnd_, kHintShowTimer, static_cast<UINT>(HintPause), nullptr);
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
    if (msg.message == WM_KEYDOWN) {
        Control* c = Control::FindControl(msg.hwnd);
        Form* f = c ? c->ParentForm() : nullptr;
        if (f && f->DialogKey(msg)) handled = true;
    }
}

bool Application::HandleMessage() {
    MSG msg;
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
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
        DispatchMessageA(&msg);
    }
    return !terminated_;
}

void Application::ProcessMessages() {
    MSG msg;
    while (!terminated_ && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!HandleMessage()) break;
    }
}

void Application::Run() {
    if (!MainForm) return;
    MainForm->Show();
    while (!terminated_) HandleMessage();
}

void Application::Terminate() {
    if (!terminated_) {
        terminated_ = true;
        PostQuitMessage(0);
    }
}

void Application::HandleException() {
    try {
        throw;
    } catch (const EHalt&) {
        throw;
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown error");
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
