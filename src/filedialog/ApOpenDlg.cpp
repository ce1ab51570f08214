#include "filedialog/ApOpenDlg.h"

#include "filedialog/ApPlacesBarForm.h"
#include "fs/FileSystem.h"

#include <commctrl.h>

#include <cstring>

namespace {

// Controls of the system's dialog template.
constexpr int kCmb1 = 1136, kCmb2 = 1137, kCmb13 = 1148, kStc2 = 1089, kStc3 = 1090, kStc4 = 1091, kLst1 = 1120,
              kLst2 = 1121, kEdt1 = 1152, kPshHelp = 1038, kChx1 = 1040, kCtl1 = 1184;
// Toolbar commands of the dialog.
constexpr WORD kCmdUpLevel = 0xA001, kCmdNewFolder = 0xA002, kCmdDesktop = 0xA009, kCmdBack = 0xA00B;
// Commands of the shell view's item menu.
constexpr UINT kMenuDelete = 30737, kMenuRename = 30738;

// The identifiers of the first nine controls, in the order of their elements.
constexpr int kControlIds[] = {kCmb2, kStc4, kLst1, IDOK, IDCANCEL, kEdt1, kStc3, kCmb1, kStc2};

TApCustomOpenDialog* g_active = nullptr;
HHOOK g_keyboardHook = nullptr, g_callWndHook = nullptr;

struct Subclassed {
    TApCustomOpenDialog* dialog;  // null once the dialog let go while someone else's procedure was in front
    WNDPROC previous;
};
std::map<HWND, Subclassed>& Subclasses() {
    static std::map<HWND, Subclassed> map;
    return map;
}

std::string ClassOf(HWND wnd) {
    char buf[64] = {};
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveBy(HWND wnd, int dx, int dy, UINT extra = 0) {
    if (!wnd) return;
    RECT r = RectInParent(wnd);
    SetWindowPos(wnd, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | extra);
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> out;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

// Whether the system shows a places bar of its own in the dialog.
bool SystemHasPlacesBar() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    if (!GetVersionExA(&vi)) return false;
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) return vi.dwMajorVersion >= 5;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && vi.dwMajorVersion >= 4 && vi.dwMinorVersion >= 90;
}

}  // namespace

// ---- parameter objects ----

const tk::ClassInfo& TApDlgCaptions::StaticClass() {
    auto text = [](const char* name, std::string TApDlgCaptions::*field) {
        return tk::TextProperty{name,
                                [field](const tk::Persistent& p) { return static_cast<const TApDlgCaptions&>(p).*field; },
                                [field](tk::Persistent& p, const std::string& v) { static_cast<TApDlgCaptions&>(p).*field = v; }};
    };
    static const tk::ClassInfo info{"TApDlgCaptions",
                                    &tk::Persistent::StaticClass(),
                                    {text("OK", &TApDlgCaptions::OK), text("Cancel", &TApDlgCaptions::Cancel),
                                     text("Help", &TApDlgCaptions::Help)},
                                    {}};
    return info;
}

void TApDlgCaptions::Assign(const TApDlgCaptions& other) {
    OK = other.OK;
    Cancel = other.Cancel;
    Help = other.Help;
}

const tk::ClassInfo& TApOpenDlgCaptions::StaticClass() {
    auto text = [](const char* name, std::string TApOpenDlgCaptions::*field) {
        return tk::TextProperty{
            name, [field](const tk::Persistent& p) { return static_cast<const TApOpenDlgCaptions&>(p).*field; },
            [field](tk::Persistent& p, const std::string& v) { static_cast<TApOpenDlgCaptions&>(p).*field = v; }};
    };
    static const tk::ClassInfo info{
        "TApOpenDlgCaptions",
        &TApDlgCaptions::StaticClass(),
        {text("ReadOnlyFlag", &TApOpenDlgCaptions::ReadOnlyFlag), text("FileType", &TApOpenDlgCaptions::FileType),
         text("FileName", &TApOpenDlgCaptions::FileName), text("LookIn", &TApOpenDlgCaptions::LookIn)},
        {}};
    return info;
}

void TApOpenDlgCaptions::Assign(const TApOpenDlgCaptions& other) {
    TApDlgCaptions::Assign(other);
    ReadOnlyFlag = other.ReadOnlyFlag;
    FileType = other.FileType;
    FileName = other.FileName;
    LookIn = other.LookIn;
}

TApListViewStyles& TApListViewStyles::operator=(const TApListViewStyles& o) {
    HotTrack = o.HotTrack;
    HotTrackStyles = o.HotTrackStyles;
    FlatScrollBars = o.FlatScrollBars;
    GridLines = o.GridLines;
    RowSelect = o.RowSelect;
    EnableRename = o.EnableRename;
    EnableDelete = o.EnableDelete;
    PopupOnEmpty = o.PopupOnEmpty;
    PopupOnSelection = o.PopupOnSelection;
    return *this;
}

DWORD ApExtendedListStyles(const TApListViewStyles& s) {
    DWORD bits = 0;
    if (s.HotTrack) bits |= LVS_EX_TRACKSELECT;
    const bool cold = s.HotTrackStyles.Contains(htUnderlineCold), hot = s.HotTrackStyles.Contains(htUnderlineHot);
    if (s.HotTrackStyles.Contains(htHandPoint)) bits |= LVS_EX_ONECLICKACTIVATE;
    else if (cold || hot) bits |= LVS_EX_TWOCLICKACTIVATE;
    if (hot) bits |= LVS_EX_UNDERLINEHOT;
    if (cold) bits |= LVS_EX_UNDERLINECOLD;
    if (s.FlatScrollBars) bits |= LVS_EX_FLATSB;
    if (s.GridLines) bits |= LVS_EX_GRIDLINES;
    if (s.RowSelect) bits |= LVS_EX_FULLROWSELECT;
    return bits;
}

TViewStyle ApViewStyleOf(DWORD style) {
    static constexpr TViewStyle modes[] = {vsIcon, vsReport, vsSmallIcon, vsList};
    return modes[style & 3];
}

void TApFileFilter::Assign(const TApFileFilter& other) {
    ShowFolders = other.ShowFolders;
    Enabled = other.Enabled;
    OnIncludeFile = other.OnIncludeFile;
}

void TApToolBarOptions::Assign(const TApToolBarOptions& other) {
    Flat = other.Flat;
    SetCustomBar(other.customBar_);
}

void TApToolBarOptions::SetCustomBar(tk::Control* bar) {
    customBar_ = bar;
    if (bar) dialog_->FreeNotification(bar);
}

const tk::ClassInfo& TApPosParams::StaticClass() {
    static const tk::ClassInfo info{"TApPosParams",
                                    &tk::Persistent::StaticClass(),
                                    {tk::TextProp("FormName", &TApPosParams::FormName, &TApPosParams::SetFormName)},
                                    {}};
    return info;
}

void TApPosParams::Assign(const TApPosParams& other) {
    ShiftX = other.ShiftX;
    ShiftY = other.ShiftY;
    SetFormName(other.formName_);
    FitToScreen = other.FitToScreen;
}

void TApPosParams::SetFormName(const std::string& v) {
    formName_ = v;
    form_ = nullptr;
}

TApCustDlgParams::TApCustDlgParams() : posParams_(std::make_unique<TApPosParams>()) {}

const tk::ClassInfo& TApCustDlgParams::StaticClass() {
    using P = TApCustDlgParams;
    static const tk::ClassInfo info{"TApCustDlgParams",
                                    &tk::Persistent::StaticClass(),
                                    {tk::TextProp("BottomFormName", &P::BottomFormName, &P::SetBottomFormName),
                                     tk::TextProp("RightFormName", &P::RightFormName, &P::SetRightFormName),
                                     tk::TextProp("TopFormName", &P::TopFormName, &P::SetTopFormName),
                                     tk::TextProp("LeftFormName", &P::LeftFormName, &P::SetLeftFormName),
                                     tk::TextProp("CustFormName", &P::CustFormName, &P::SetCustFormName)},
                                    {tk::ObjectProp("PosParams", &P::PosParams)}};
    return info;
}

// Resolved forms are not copied: the other dialog would not hear of their
// end. They are found again by name when needed.
void TApCustDlgParams::Assign(const TApCustDlgParams& other) {
    for (int side = Bottom; side <= Custom; ++side) SetFormName(static_cast<Side>(side), other.names_[side]);
    Position = other.Position;
    posParams_->Assign(*other.posParams_);
}

void TApCustDlgParams::SetFormName(Side side, const std::string& v) {
    names_[side] = v;
    forms_[side] = nullptr;
}

// ---- placement ----

RECT ApPlaceDialog(RECT d, const TApPlacement& p) {
    const int w = d.right - d.left, h = d.bottom - d.top;
    // Keeps the size: first off the far edge, then off the near one.
    auto fit = [](LONG& lo, LONG& hi, int size, int limit) {
        if (hi > limit) {
            hi = limit;
            lo = hi - size;
        }
        if (lo < 0) {
            lo = 0;
            hi = size;
        }
    };
    auto clamp = [&] {
        fit(d.left, d.right, w, p.ScreenWidth);
        fit(d.top, d.bottom, h, p.ScreenHeight);
    };
    auto onScreen = [&] {
        d.left = (p.ScreenWidth - w) / 2;
        d.top = (p.ScreenHeight - h) / 2;
        d.right = d.left + w;
        d.bottom = d.top + h;
        clamp();
    };
    auto onForm = [&](const RECT& f) {
        OffsetRect(&d, (f.left + f.right) / 2 - (d.left + d.right) / 2, (f.top + f.bottom) / 2 - (d.top + d.bottom) / 2);
    };
    auto onMainForm = [&] {
        if (p.MainForm) onForm(*p.MainForm);
        else onScreen();
    };
    switch (p.Position) {
    case dpDefault: break;
    case dpScrCenter: onScreen(); break;
    case dpMainFormCenter: onMainForm(); break;
    case dpOwnerCenter: p.OwnerForm ? onForm(*p.OwnerForm) : onMainForm(); break;
    case dpFormCenter: p.PosForm ? onForm(*p.PosForm) : onMainForm(); break;
    }
    OffsetRect(&d, p.ShiftX, p.ShiftY);
    if (p.FitToScreen) clamp();
    return d;
}

// ---- the dialog ----

TApCustomOpenDialog::TApCustomOpenDialog(tk::Component* owner)
    : tk::OpenDialog(owner),
      extFilter_(std::make_unique<TApFileFilter>()),
      OnIncludeFile(extFilter_->OnIncludeFile),
      custDlgParams_(std::make_unique<TApCustDlgParams>()),
      captions_(std::make_unique<TApOpenDlgCaptions>()),
      listViewStyles_(std::make_unique<TApListViewStyles>()),
      placesBar_(std::make_unique<TApPlacesBarOptions>(this)),
      toolBar_(std::make_unique<TApToolBarOptions>(this)) {}

TApCustomOpenDialog::~TApCustomOpenDialog() {
    if (setUp_) Teardown();
    if (desktop_) desktop_->Release();
}

IShellFolder* TApCustomOpenDialog::DesktopFolder() {
    if (!desktop_ && FAILED(SHGetDesktopFolder(&desktop_))) desktop_ = nullptr;
    return desktop_;
}

const tk::ClassInfo& TApCustomOpenDialog::StaticClass() {
    static const tk::ClassInfo info{"TApCustomOpenDialog", &tk::OpenDialog::StaticClass(), {}, {}};
    return info;
}

const tk::ClassInfo& TApOpenDialog::StaticClass() {
    using D = TApCustomOpenDialog;
    static const tk::ClassInfo info{"TApOpenDialog",
                                    &TApCustomOpenDialog::StaticClass(),
                                    {},
                                    {tk::ObjectProp("CustDlgParams", &D::CustDlgParams),
                                     tk::ObjectProp("DlgItemsCaptions", &D::DlgItemsCaptions),
                                     tk::ObjectProp("ListViewStyles", &D::ListViewStyles),
                                     tk::ObjectProp("PlacesBar", &D::PlacesBar),
                                     tk::ObjectProp("ExtFilter", &D::ExtFilter),
                                     tk::ObjectProp("ToolBar", &D::ToolBar)}};
    return info;
}

const tk::ClassInfo& TApCustomSaveDialog::StaticClass() {
    static const tk::ClassInfo info{"TApCustomSaveDialog", &TApCustomOpenDialog::StaticClass(), {}, {}};
    return info;
}

TApCustomOpenDialog* TApCustomOpenDialog::ActiveDialog() { return g_active; }
HHOOK TApCustomOpenDialog::KeyboardHook() { return g_keyboardHook; }
HHOOK TApCustomOpenDialog::CallWndProcHook() { return g_callWndHook; }

void TApCustomOpenDialog::Notification(tk::Component* c, tk::Operation op) {
    if (op == tk::Operation::Remove) {
        for (tk::Form*& f : custDlgParams_->forms_)
            if (f == c) f = nullptr;
        if (custDlgParams_->posParams_->form_ == c) custDlgParams_->posParams_->form_ = nullptr;
        if (toolBar_->customBar_ == c) {
            toolBar_->customBar_ = nullptr;
            savedCustomBar_.reset();
        }
    }
    tk::OpenDialog::Notification(c, op);
}

void TApCustomOpenDialog::SetTitle(const std::string& v) {
    apTitle_ = v;
    if (dialogWnd_) SetWindowTextA(dialogWnd_, tk::TextBuffer512(v).data());
}

void TApCustomOpenDialog::SetSelectionType(TApDlgSelectionType v) {
    selectionType_ = v;
    if (dialogWnd_) ApplyFileListArea();
}

void TApCustomOpenDialog::SetVisibleControls(TApOpenDlgControls v) {
    visibleControls_ = v;
    if (dialogWnd_) ApplyVisibleControls();
}

TViewStyle TApCustomOpenDialog::SelectionStyle() const {
    if (!dialogWnd_ || !fileList_) return vsList;
    return ApViewStyleOf(static_cast<DWORD>(GetWindowLongPtrA(fileList_, GWL_STYLE)));
}

bool TApCustomOpenDialog::UseOwnPlacesBar() const {
    return placesBar_->Visible && (!placesBar_->Native || !SystemHasPlacesBar());
}

// ---- Execute ----

bool TApCustomOpenDialog::Execute() {
    savedActive_ = g_active;
    g_active = this;
    // Whatever way the dialog ends, nothing of it stays in place.
    struct Finish {
        TApCustomOpenDialog& d;
        ~Finish() {
            if (d.setUp_) d.Teardown();
            else if (g_active == &d) g_active = d.savedActive_;
        }
    } finish{*this};
    return DoExecute([this](OPENFILENAMEA& ofn) { return RunDialog(ofn); });
}

BOOL TApCustomOpenDialog::RunDialog(OPENFILENAMEA& ofn) {
    firstPaintPending_ = true;  // each time: a choice too long for the buffer shows the dialog again
    if (!(SystemHasPlacesBar() && placesBar_->Native && placesBar_->Visible)) return SystemDialog(ofn);
    // The longer structure asks the system for its places bar.
    OPENFILENAMEA ex{};
    std::memcpy(&ex, &ofn, tk::kOpenFileNameSize);
    ex.lStructSize = tk::kOpenFileNameExSize;
    BOOL ok = SystemDialog(ex);
    std::memcpy(&ofn, &ex, tk::kOpenFileNameSize);
    ofn.lStructSize = tk::kOpenFileNameSize;
    return ok;
}

// ---- set-up ----

void TApCustomOpenDialog::DoShow() {
    if (setUp_) return;
    setUp_ = true;
    closing_ = false;
    savedKeyboardHook_ = g_keyboardHook;
    savedCallWndHook_ = g_callWndHook;
    dialogWnd_ = Handle();
    TApCustDlgParams& cdp = *custDlgParams_;
    cdp.dialog_ = dialogWnd_;
    SubclassWindow(kHookDialog, HookDialog());
    SubclassWindow(kDialog, dialogWnd_);

    if (!apTitle_.empty()) SendMessageA(dialogWnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tk::TextBuffer512(apTitle_).data()));

    RECT client;
    GetClientRect(dialogWnd_, &client);
    cdp.clientWidth_ = client.right;
    cdp.clientHeight_ = client.bottom;

    RECT wr;
    GetWindowRect(dialogWnd_, &wr);
    const bool sizing = Options.Contains(tk::ofEnableSizing), own = UseOwnPlacesBar();
    if (!sizing || rememberedWidth_ == 0) {
        rememberedWidth_ = wr.right - wr.left + (sizing && own ? 40 : 0);
        rememberedHeight_ = wr.bottom - wr.top + (sizing && own ? 70 : 0);
    }

    barWidth_ = 0;
    if (own) {
        barWidth_ = placesBar_->BarWidth();
        if (HWND combo = GetDlgItem(dialogWnd_, kCmb2)) {
            RECT r = RectInParent(combo);
            SetWindowPos(combo, nullptr, 6, 6, r.right - r.left + 45, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (HWND label = GetDlgItem(dialogWnd_, kStc4))
            SetWindowPos(label, nullptr, -80, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Only the dialog's own children move: a child's children keep their
        // place within it.
        const int shift = 90 + GetSystemMetrics(SM_CYDLGFRAME);
        for (HWND child : DirectChildren(dialogWnd_)) MoveBy(child, shift, 0, SWP_NOREDRAW);
        SetWindowPos(dialogWnd_, nullptr, 0, 0, wr.right - wr.left + 90, wr.bottom - wr.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        bar_ = ApCreatePlacesBar(*this, dialogWnd_);
    }

    toolbar_ = Toolbar();
    if (toolbar_ && toolBar_->Flat)
        SetWindowLongPtrA(toolbar_, GWL_STYLE, GetWindowLongPtrA(toolbar_, GWL_STYLE) | TBSTYLE_FLAT);

    if (tk::Control* bar = toolBar_->customBar_) {
        HWND h = bar->Handle();
        savedCustomBar_ = SavedBar{GetParent(h), IsWindowVisible(h) != FALSE, RectInParent(h)};
        SetParent(h, dialogWnd_);
        if (toolbar_) {
            RECT t = RectInParent(toolbar_), b = RectInParent(h);
            int top = t.top + (t.bottom - t.top) / 2 - (b.bottom - b.top) / 2 - 1;
            SetWindowPos(h, nullptr, t.right, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        ShowWindow(h, SW_SHOW);
    }

    InsertPanels();

    if (HWND list = GetDlgItem(dialogWnd_, kLst1)) {
        RECT r = RectInParent(list), c;
        GetClientRect(list, &c);
        cdp.custBounds_ = {r.left, r.top, c.right + GetSystemMetrics(SM_CXDLGFRAME),
                           c.bottom + GetSystemMetrics(SM_CYDLGFRAME)};
    }

    ApplyVisibleControls();
    ApplyFileListArea();

    const std::pair<int, const std::string*> captions[] = {
        {IDOK, &captions_->OK},         {IDCANCEL, &captions_->Cancel},     {kPshHelp, &captions_->Help},
        {kStc4, &captions_->LookIn},    {kStc3, &captions_->FileName},      {kStc2, &captions_->FileType},
        {kChx1, &captions_->ReadOnlyFlag}};
    for (auto [id, text] : captions)
        if (!text->empty()) SendMessageA(dialogWnd_, CDM_SETCONTROLTEXT, id, reinterpret_cast<LPARAM>(text->c_str()));

    keyboardHook_ = SetWindowsHookExA(WH_KEYBOARD, KeyboardProc, nullptr, GetCurrentThreadId());
    callWndHook_ = SetWindowsHookExA(WH_CALLWNDPROC, CallWndProc, nullptr, GetCurrentThreadId());
    g_keyboardHook = keyboardHook_;
    g_callWndHook = callWndHook_;
    g_active = this;

    tk::OpenDialog::DoShow();
}

// ---- subclassing ----

WNDPROC TApCustomOpenDialog::ProcOf(Kind kind) {
    switch (kind) {
    case kHookDialog: return HookDialogProc;
    case kDialog: return DialogProc;
    case kShellView: return ShellViewProc;
    case kFileList: return FileListProc;
    }
    return nullptr;
}

void TApCustomOpenDialog::SubclassWindow(Kind kind, HWND wnd) {
    auto it = swaps_.find(kind);
    if (it != swaps_.end() && it->second.window() == wnd) return;
    UnsubclassWindow(kind);
    if (!wnd || Subclasses().count(wnd) ||
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == ProcOf(kind))
        return;
    tk::WindowProcSwap swap(wnd, ProcOf(kind));
    Subclasses()[wnd] = Subclassed{this, swap.previous()};
    swaps_.emplace(kind, std::move(swap));
}

void TApCustomOpenDialog::UnsubclassWindow(Kind kind) {
    auto it = swaps_.find(kind);
    if (it == swaps_.end()) return;
    HWND wnd = it->second.window();
    bool restored = it->second.restore();
    swaps_.erase(it);
    auto entry = Subclasses().find(wnd);
    if (entry == Subclasses().end()) return;
    // Someone else's procedure in front still calls ours: it forwards from
    // now on.
    if (restored) Subclasses().erase(entry);
    else entry->second.dialog = nullptr;
}

LRESULT CALLBACK TApCustomOpenDialog::HookDialogProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return Route(kHookDialog, w, m, wp, lp); }
LRESULT CALLBACK TApCustomOpenDialog::DialogProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return Route(kDialog, w, m, wp, lp); }
LRESULT CALLBACK TApCustomOpenDialog::ShellViewProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return Route(kShellView, w, m, wp, lp); }
LRESULT CALLBACK TApCustomOpenDialog::FileListProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return Route(kFileList, w, m, wp, lp); }

LRESULT TApCustomOpenDialog::Route(Kind kind, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = Subclasses().find(wnd);
    if (it == Subclasses().end()) return DefWindowProcA(wnd, msg, wp, lp);
    Subclassed entry = it->second;
    if (msg == WM_NCDESTROY) {
        if (entry.dialog) entry.dialog->UnsubclassWindow(kind);
        Subclasses().erase(wnd);
        return CallWindowProcA(entry.previous, wnd, msg, wp, lp);
    }
    Call call{wnd, entry.previous, msg, wp, lp};
    if (!entry.dialog) return call.Previous();
    TApCustomOpenDialog& d = *entry.dialog;
    LRESULT result = 0;
    bool handled = tk::Guarded(false, [&] {
        switch (kind) {
        case kHookDialog: result = d.HookDialogMessage(call); break;
        case kDialog: result = d.DialogMessage(call); break;
        case kShellView: result = d.ShellViewMessage(call); break;
        case kFileList: result = d.FileListMessage(call); break;
        }
        return true;
    });
    // A handler's error must not keep the message from the system.
    if (!handled && !call.Passed) result = call.Previous();
    return result;
}

// ---- messages ----

LRESULT TApCustomOpenDialog::HookDialogMessage(Call& c) {
    if (c.Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(c.LParam)->code == CDN_SHAREVIOLATION) {
        auto* n = reinterpret_cast<OFNOTIFYA*>(c.LParam);
        int dlgResult = -1;
        if (OnShareViolation) OnShareViolation(this, dlgResult, n->pszFile ? n->pszFile : "");
        if (dlgResult == -1) return c.Previous();
        // Dialogs hand a notification's answer on through DWLP_MSGRESULT.
        SetWindowLongPtrA(c.Wnd, DWLP_MSGRESULT, dlgResult);
        return dlgResult;
    }
    return c.Previous();
}

bool TApCustomOpenDialog::Ask(const TApCtrlQueryEvent& query) {
    bool allow = true;
    if (query) query(this, allow);
    return allow;
}

LRESULT TApCustomOpenDialog::DialogMessage(Call& c) {
    TMessage m{c.Msg, c.WParam, c.LParam, 0};
    bool allow = true;
    if (OnEventHooking) OnEventHooking(this, m, allow);
    if (!allow) return 0;
    switch (c.Msg) {
    case WM_GETMINMAXINFO:
        m.Result = closing_ ? 0 : c.Previous();
        break;
    case WM_DESTROY: {
        closing_ = true;
        RECT wr;
        GetWindowRect(dialogWnd_, &wr);
        RemovePanels();
        const TApCustDlgParams& cdp = *custDlgParams_;
        const int bar = UseOwnPlacesBar() ? barWidth_ : 0;
        rememberedWidth_ = wr.right - wr.left - cdp.extraWidth_ - bar;
        rememberedHeight_ = wr.bottom - wr.top - cdp.extraHeight_;
        SetWindowPos(dialogWnd_, nullptr, 0, 0, rememberedWidth_, rememberedHeight_,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        DestroyPlacesBar();
        m.Result = c.Previous();
        break;
    }
    case WM_NCPAINT:
        FirstPaint();
        m.Result = c.Previous();
        break;
    case WM_CONTEXTMENU: {
        // An application control in the dialog shows its own menu.
        POINT pt{static_cast<short>(LOWORD(c.LParam)), static_cast<short>(HIWORD(c.LParam))};
        bool own = false;
        for (HWND h = WindowFromPoint(pt); h && h != dialogWnd_ && !own; h = GetParent(h))
            own = tk::Control::FromHandle(h) != nullptr;
        m.Result = own ? 0 : c.Previous();
        break;
    }
    case WM_SIZE:
        Resize(LOWORD(c.LParam), HIWORD(c.LParam));
        m.Result = c.Previous();
        break;
    case WM_COMMAND:
        if (!Command(c, m.Result)) return 0;
        break;
    default:
        m.Result = c.Previous();
        break;
    }
    if (OnEventHook) OnEventHook(m);
    return m.Result;
}

// False when a query swallowed the command.
bool TApCustomOpenDialog::Command(Call& c, LRESULT& result) {
    const WORD id = LOWORD(c.WParam), code = HIWORD(c.WParam);
    const TApCtrlQueryEvent* query = nullptr;
    const std::function<void()>* after = nullptr;
    HWND field = FileNameField();
    if (id == IDOK && code == 0 && field && GetFocus() == field) {
        query = &OnFilenameEntering;
    } else if (code == 0 && id == kCmdNewFolder) {
        query = &OnFolderCreating;
    } else if (code == 0 && id == kCmdDesktop) {
        query = &OnDesktopNavigating;
        after = &OnDesktopNavigate;
    } else if (code == 0 && id == kCmdUpLevel) {
        query = &OnUpLevelNavigating;
        after = &OnUpLevelNavigate;
    } else if (code == 0 && id == kCmdBack) {
        query = &OnLastFolderNavigating;
        after = &OnLastFolderNavigate;
    } else if ((id == kEdt1 && code == EN_CHANGE) || (id == kCmb13 && id == FileNameId() && code == CBN_EDITCHANGE)) {
        // cmb13 stands in for edt1 where the dialog has no edt1.
        query = &OnFilenameChanging;
        after = &OnFilenameChange;
    }
    if (query && !Ask(*query)) return false;
    result = c.Previous();
    if (after && *after) (*after)();
    return true;
}

LRESULT TApCustomOpenDialog::ShellViewMessage(Call& c) {
    if (c.Msg != WM_CONTEXTMENU && c.Msg != WM_INITMENUPOPUP) return c.Previous();
    const TApListViewStyles& s = *listViewStyles_;
    const LRESULT selected = fileList_ ? SendMessageA(fileList_, LVM_GETSELECTEDCOUNT, 0, 0) : 0;
    if (c.Msg == WM_CONTEXTMENU) {
        if ((selected == 0 && !s.PopupOnEmpty) || (selected >= 1 && !s.PopupOnSelection)) return 1;
        return c.Previous();
    }
    if (LOWORD(c.LParam) == 0 && selected >= 1) {
        HMENU menu = reinterpret_cast<HMENU>(c.WParam);
        const int n = GetMenuItemCount(menu);
        if (!s.EnableRename && n >= 3 && GetMenuItemID(menu, n - 3) == kMenuRename)
            EnableMenuItem(menu, static_cast<UINT>(n - 3), MF_BYPOSITION | MF_GRAYED);
        if (!s.EnableDelete && n >= 4 && GetMenuItemID(menu, n - 4) == kMenuDelete)
            EnableMenuItem(menu, static_cast<UINT>(n - 4), MF_BYPOSITION | MF_GRAYED);
    }
    return c.Previous();
}

LRESULT TApCustomOpenDialog::FileListMessage(Call& c) {
    if (c.Msg == LVM_DELETEITEM && c.LParam) {
        // A removal that the extension filter posted names its item by the
        // item's data, so a sort in between cannot make it hit another.
        LVFINDINFOA find{};
        find.flags = LVFI_PARAM;
        find.lParam = c.LParam;
        LRESULT index = SendMessageA(c.Wnd, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
        if (index < 0) return FALSE;
        c.WParam = static_cast<WPARAM>(index);
        c.LParam = 0;
        return c.Previous();
    }
    if (c.Msg != WM_STYLECHANGED || static_cast<int>(c.WParam) != GWL_STYLE) return c.Previous();
    auto* ss = reinterpret_cast<STYLESTRUCT*>(c.LParam);
    const TViewStyle before = ApViewStyleOf(ss->styleOld), after = ApViewStyleOf(ss->styleNew);
    if (before == after) return c.Previous();
    bool allow = true;
    if (OnSelectionStyleChanging) OnSelectionStyleChanging(this, after, allow);
    if (!allow) {
        ss->styleNew = ss->styleOld;
        return c.Previous();
    }
    LRESULT r = c.Previous();
    if (OnSelectionStyleChange) OnSelectionStyleChange(this, after);
    return r;
}

// ---- thread hooks ----

LRESULT CALLBACK TApCustomOpenDialog::KeyboardProc(int code, WPARAM wp, LPARAM lp) {
    bool discard = code >= 0 && wp == VK_DELETE && tk::Guarded(false, [] {
        TApCustomOpenDialog* d = g_active;
        return d && !d->listViewStyles_->EnableDelete && d->fileList_ && GetFocus() == d->fileList_;
    });
    return discard ? 1 : CallNextHookEx(g_keyboardHook, code, wp, lp);
}

LRESULT CALLBACK TApCustomOpenDialog::CallWndProc(int code, WPARAM wp, LPARAM lp) {
    // The hooks of an outer dialog are further down the same chain: only the
    // first call of a message filters.
    static int depth = 0;
    struct Depth {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    } inside;
    if (code == HC_ACTION && depth == 1) {
        const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lp);
        TApCustomOpenDialog* d = g_active;
        if (cwp->message == LVM_SORTITEMS && d && d->dialogWnd_ && GetParent(GetParent(cwp->hwnd)) == d->dialogWnd_)
            tk::Guarded(false, [&] {
                d->ReSubclass();
                d->ExtensionFilter(cwp->hwnd, d->CurrentFolderPath());
                return true;
            });
    }
    return CallNextHookEx(g_callWndHook, code, wp, lp);
}

// ---- folder change and the file list ----

void TApCustomOpenDialog::DoFolderChange() {
    if (!dialogWnd_) return tk::OpenDialog::DoFolderChange();
    ReSubclass();
    ApplyListStyles();
    // The system may have filled and sorted the list before the hooks were
    // in place (Wine does, before it reports the dialog initialised).
    if (fileList_) ExtensionFilter(fileList_, CurrentFolderPath());
    tk::OpenDialog::DoFolderChange();
    if (UseOwnPlacesBar() && bar_) bar_->FolderSync();
}

void TApCustomOpenDialog::ReSubclass() {
    HWND view = FindWindowExA(dialogWnd_, nullptr, "SHELLDLL_DefView", nullptr);
    HWND list = view ? FindWindowExA(view, nullptr, "SysListView32", nullptr) : nullptr;
    if (view != shellView_) {
        shellView_ = view;
        SubclassWindow(kShellView, view);
    }
    if (list != fileList_) {
        fileList_ = list;
        SubclassWindow(kFileList, list);
    }
}

void TApCustomOpenDialog::ApplyListStyles() {
    if (!fileList_) return;
    const auto ex = static_cast<DWORD>(SendMessageA(fileList_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    const DWORD wanted = ex | ApExtendedListStyles(*listViewStyles_);
    if (wanted != ex) SendMessageA(fileList_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(wanted));
    const LONG_PTR style = GetWindowLongPtrA(fileList_, GWL_STYLE);
    const LONG_PTR newStyle = listViewStyles_->EnableRename ? style : style & ~static_cast<LONG_PTR>(LVS_EDITLABELS);
    if (newStyle != style) SetWindowLongPtrA(fileList_, GWL_STYLE, newStyle);
}

void TApCustomOpenDialog::ExtensionFilter(HWND list, const std::string& folderPath) {
    if (!extFilter_->Enabled || !list) return;
    std::string folder = folderPath;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const auto n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) || !item.lParam) continue;
        // An item the shell cannot name, or not exactly, is left alone.
        std::string name;
        if (!fs::NarrowExact(fs::ItemPath(reinterpret_cast<LPCITEMIDLIST>(item.lParam)), name)) continue;
        name = tk::ExtractFileName(name);
        if (name.empty()) continue;
        const std::string full = folder + "\\" + name;
        bool remove = false;
        if (tk::DirectoryExists(full)) {
            remove = !extFilter_->ShowFolders;
        } else if (extFilter_->OnIncludeFile) {
            bool include = true;
            extFilter_->OnIncludeFile(extFilter_.get(), full, include);
            remove = !include;
        }
        // After the sort that is under way; the item's data names it.
        if (remove) PostMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(i), item.lParam);
    }
}

// ---- visible controls and the file-list area ----

int TApCustomOpenDialog::FileNameId() const {
    return GetDlgItem(dialogWnd_, kEdt1) || !GetDlgItem(dialogWnd_, kCmb13) ? kEdt1 : kCmb13;
}

HWND TApCustomOpenDialog::FileNameField() const {
    if (!dialogWnd_) return nullptr;
    if (HWND edit = GetDlgItem(dialogWnd_, kEdt1)) return edit;
    // The newer template's file-name box (and Wine's only one): the edit
    // field inside the combo box.
    HWND w = GetDlgItem(dialogWnd_, kCmb13);
    while (w && ClassOf(w) != "Edit") w = GetWindow(w, GW_CHILD);
    return w;
}

HWND TApCustomOpenDialog::Toolbar() const {
    // The system's places bar (ctl1) is a toolbar too; Wine lists it first.
    for (HWND w : DirectChildren(dialogWnd_))
        if (ClassOf(w) == TOOLBARCLASSNAMEA && GetDlgCtrlID(w) != kCtl1) return w;
    return nullptr;
}

HWND TApCustomOpenDialog::FileListArea() const {
    HWND list = GetDlgItem(dialogWnd_, kLst1);
    return list ? list : GetDlgItem(dialogWnd_, kLst2);
}

void TApCustomOpenDialog::ApplyVisibleControls() {
    for (int e = dcFolderCombo; e <= dcFileTypeLabel; ++e) {
        const int id = e == dcFileName ? FileNameId() : kControlIds[e];
        if (visibleControls_.Contains(static_cast<TApOpenDlgControl>(e))) {
            if (HWND w = GetDlgItem(dialogWnd_, id)) ShowWindow(w, SW_SHOW);
        } else {
            // The system then lays out what is left.
            SendMessageA(dialogWnd_, CDM_HIDECONTROL, static_cast<WPARAM>(id), 0);
        }
    }
    ApplyFileListArea();
    if (HWND bar = Toolbar()) ShowWindow(bar, visibleControls_.Contains(dcToolBar) ? SW_SHOW : SW_HIDE);
}

void TApCustomOpenDialog::ApplyFileListArea() {
    if (!visibleControls_.Contains(dcSelectionCtrl)) {
        HideSystemList();
        HideCustomForm();
    } else if (selectionType_ == stCustom) {
        HideSystemList();
        ShowCustomForm();
    } else {
        ShowSystemList();
    }
}

void TApCustomOpenDialog::ShowSystemList() {
    HideCustomForm();
    HWND first = GetDlgItem(dialogWnd_, kLst1), second = GetDlgItem(dialogWnd_, kLst2);
    const bool firstIsView = first && ClassOf(first) == "SHELLDLL_DefView";
    HWND placeholder = firstIsView ? second : first, view = firstIsView ? first : second;
    if (placeholder) {
        SetWindowPos(placeholder, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(placeholder, SW_HIDE);
    }
    const RECT& b = custDlgParams_->custBounds_;
    for (HWND w : {view, view ? GetWindow(view, GW_CHILD) : nullptr}) {
        if (!w) continue;
        RECT r;
        GetWindowRect(w, &r);
        if (r.right - r.left != b.right || r.bottom - r.top != b.bottom || !IsWindowVisible(w))
            SetWindowPos(w, nullptr, 0, 0, b.right, b.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ShowWindow(w, SW_SHOW);
    }
    for (HWND w : {first, second})
        if (w) EnableWindow(w, TRUE);
}

void TApCustomOpenDialog::HideSystemList() {
    for (int id : {kLst1, kLst2})
        if (HWND w = GetDlgItem(dialogWnd_, id)) {
            SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
            EnableWindow(w, FALSE);
        }
}

void TApCustomOpenDialog::ShowCustomForm() {
    TApCustDlgParams& p = *custDlgParams_;
    tk::Form* form = ResolveForm(p.forms_[TApCustDlgParams::Custom], p.names_[TApCustDlgParams::Custom]);
    if (!dialogWnd_ || !form) return;
    const RECT& b = p.custBounds_;
    Attach(form, b.left, b.top, b.right, b.bottom);
    SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TApCustomOpenDialog::HideCustomForm() { Detach(custDlgParams_->forms_[TApCustDlgParams::Custom]); }

// ---- panels ----

bool TApCustomOpenDialog::Attached(tk::Form* form) const {
    return form && dialogWnd_ && form->HandleAllocated() && GetParent(form->Handle()) == dialogWnd_ &&
           (GetWindowLongPtrA(form->Handle(), GWL_STYLE) & WS_CHILD);
}

void TApCustomOpenDialog::Attach(tk::Form* form, int left, int top, int width, int height) {
    HWND h = form->Handle();
    SetWindowLongPtrA(h, GWL_STYLE, (GetWindowLongPtrA(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(h, dialogWnd_);
    form->SetBounds(left, top, width, height);
    form->tk::Control::SetVisible(true);
}

void TApCustomOpenDialog::Detach(tk::Form* form) {
    if (!Attached(form)) return;
    HWND h = form->Handle();
    form->tk::Control::SetVisible(false);
    SetParent(h, nullptr);
    SetWindowLongPtrA(h, GWL_STYLE, (GetWindowLongPtrA(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP);
}

tk::Form* TApCustomOpenDialog::ResolveForm(tk::Form*& slot, const std::string& name) {
    if (slot || name.empty() || !tk::App) return slot;
    for (int i = 0; i < tk::App->ComponentCount(); ++i) {
        tk::Component* c = tk::App->Components(i);
        if (!tk::SameText(c->ClassName(), "T" + name)) continue;
        if (auto* form = dynamic_cast<tk::Form*>(c)) {
            slot = form;
            FreeNotification(form);
        }
        break;
    }
    return slot;
}

void TApCustomOpenDialog::InsertPanels() {
    TApCustDlgParams& p = *custDlgParams_;
    using S = TApCustDlgParams;
    for (int side = S::Bottom; side <= S::Custom; ++side) {
        tk::Form* f = ResolveForm(p.forms_[side], p.names_[side]);
        if (!f || side == S::Custom) continue;
        if (f->FormBorderStyle != tk::BorderStyle::None) {
            f->FormBorderStyle = tk::BorderStyle::None;
            f->RecreateWnd();
        }
        f->HandleNeeded();  // its size is known once its window is
    }
    ResolveForm(p.posParams_->form_, p.posParams_->formName_);
    tk::Form *left = p.forms_[S::Left], *top = p.forms_[S::Top], *right = p.forms_[S::Right], *bottom = p.forms_[S::Bottom];
    RECT wr, cr;
    GetWindowRect(dialogWnd_, &wr);
    GetClientRect(dialogWnd_, &cr);
    const int w = cr.right, h = cr.bottom;
    const int L = left ? left->Width() : 0, T = top ? top->Height() : 0, R = right ? right->Width() : 0,
              B = bottom ? bottom->Height() : 0;
    if (left) {
        for (HWND child : DirectChildren(dialogWnd_)) {
            MoveBy(child, L + GetSystemMetrics(SM_CYDLGFRAME), 0);
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE);
        }
        Attach(left, 0, 0, L, left->Height());
    }
    if (top) {
        for (HWND child : DirectChildren(dialogWnd_)) MoveBy(child, 0, T + GetSystemMetrics(SM_CXDLGFRAME));
        Attach(top, 0, 0, top->Width(), T);
    }
    if (right) Attach(right, 0, 0, R, right->Height());
    if (bottom) Attach(bottom, 0, 0, bottom->Width(), B);
    if (left) left->SetBounds(0, 0, L, h + T);
    if (top) top->SetBounds(L, 0, w, T);
    if (right) right->SetBounds(w + L, 0, R, h + T);
    if (bottom) bottom->SetBounds(0, h + T, R + L + w, B);
    if (L + R || T + B)
        SetWindowPos(dialogWnd_, nullptr, 0, 0, wr.right - wr.left + L + R, wr.bottom - wr.top + T + B,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    p.extraWidth_ = L + R;
    p.extraHeight_ = T + B;
}

void TApCustomOpenDialog::ResizePanels(int W, int H) {
    TApCustDlgParams& p = *custDlgParams_;
    using S = TApCustDlgParams;
    tk::Form *left = p.forms_[S::Left], *top = p.forms_[S::Top], *right = p.forms_[S::Right], *bottom = p.forms_[S::Bottom];
    const int L = Attached(left) ? left->Width() : 0, R = Attached(right) ? right->Width() : 0,
              B = Attached(bottom) ? bottom->Height() : 0;
    if (Attached(top)) top->SetBounds(top->Left(), top->Top(), W - L - R, top->Height());
    if (Attached(left)) left->SetBounds(left->Left(), left->Top(), L, H - B);
    if (Attached(right)) right->SetBounds(right->Left(), right->Top(), R, H - B);
    if (Attached(bottom)) bottom->SetBounds(bottom->Left(), bottom->Top(), W, B);
    p.custBounds_.right += W - p.clientWidth_;
    p.custBounds_.bottom += H - p.clientHeight_;
    p.clientWidth_ = W;
    p.clientHeight_ = H;
}

void TApCustomOpenDialog::RemovePanels() {
    TApCustDlgParams& p = *custDlgParams_;
    using S = TApCustDlgParams;
    for (int side : {S::Bottom, S::Top, S::Left, S::Right, S::Custom}) Detach(p.forms_[side]);
}

// ---- painting, sizing, placing ----

void TApCustomOpenDialog::SetPlacesBarHeight() {
    HWND types = GetDlgItem(dialogWnd_, kCmb1), list = FileListArea();
    if (!bar_ || !types || !list) return;
    RECT a, b;
    GetWindowRect(types, &a);
    GetWindowRect(list, &b);
    bar_->SetHeight(a.bottom - b.top);
}

void TApCustomOpenDialog::FirstPaint() {
    const TApCustDlgParams& p = *custDlgParams_;
    const bool own = UseOwnPlacesBar();
    if (firstPaintPending_) {
        // Cleared first: resizing may paint the frame again at once.
        firstPaintPending_ = false;
        SetWindowPos(dialogWnd_, nullptr, 0, 0, rememberedWidth_ + p.extraWidth_ + (own ? barWidth_ : 0),
                     rememberedHeight_ + p.extraHeight_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (own && bar_) {
            bar_->SetHeight(p.extraHeight_ + rememberedHeight_);
            SetPlacesBarHeight();
        }
        PlaceDialog();
    }
    ApplyFileListArea();
    HWND field = GetDlgItem(dialogWnd_, FileNameId()), list = FileListArea();
    if (!field || !list) return;
    RECT f, l;
    GetWindowRect(field, &f);
    GetWindowRect(list, &l);
    if (f.top >= l.bottom) return;
    // The lower controls overlap the list: move them below it.
    MoveBy(Attached(p.forms_[TApCustDlgParams::Right]) ? p.forms_[TApCustDlgParams::Right]->Handle() : nullptr, 36, 0);
    MoveBy(Attached(p.forms_[TApCustDlgParams::Bottom]) ? p.forms_[TApCustDlgParams::Bottom]->Handle() : nullptr, 0, 70);
    for (int id : {FileNameId(), kStc3, kStc2, kCmb1, IDOK, IDCANCEL, kPshHelp, kChx1})
        MoveBy(GetDlgItem(dialogWnd_, id), 0, 70);
    if (own) SetPlacesBarHeight();
}

void TApCustomOpenDialog::Resize(int width, int height) {
    TApCustDlgParams& p = *custDlgParams_;
    if (bar_ && GetParent(bar_->Handle()) == dialogWnd_) SetPlacesBarHeight();
    if (Options.Contains(tk::ofEnableSizing) && selectionType_ == stCustom) {
        tk::Form* form = p.forms_[TApCustDlgParams::Custom];
        if (Attached(form))
            form->SetBounds(form->Left(), form->Top(), form->Width() + width - p.clientWidth_,
                            form->Height() + height - p.clientHeight_);
        for (HWND child : DirectChildren(dialogWnd_)) RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE);
    }
    ResizePanels(width, height);
}

void TApCustomOpenDialog::PlaceDialog() {
    auto rectOf = [](tk::Form* f) -> std::optional<RECT> {
        if (!f || !f->HandleAllocated()) return std::nullopt;
        RECT r;
        GetWindowRect(f->Handle(), &r);
        return r;
    };
    TApPosParams& pp = *custDlgParams_->posParams_;
    std::optional<RECT> main = rectOf(tk::App ? tk::App->MainForm : nullptr),
                        owner = rectOf(dynamic_cast<tk::Form*>(Owner())),
                        form = rectOf(ResolveForm(pp.form_, pp.formName_));
    TApPlacement placement{custDlgParams_->Position, main ? &*main : nullptr, owner ? &*owner : nullptr,
                           form ? &*form : nullptr, pp.ShiftX, pp.ShiftY, pp.FitToScreen,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT now;
    GetWindowRect(dialogWnd_, &now);
    RECT to = ApPlaceDialog(now, placement);
    if (to.left != now.left || to.top != now.top)
        SetWindowPos(dialogWnd_, nullptr, to.left, to.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TApCustomOpenDialog::DestroyPlacesBar() {
    if (!bar_) return;
    HWND h = bar_->Handle();
    ShowWindow(h, SW_HIDE);
    SetParent(h, nullptr);
    bar_.reset();
}

// ---- for the places bar ----

void TApCustomOpenDialog::NavigateTo(const std::string& path) {
    HWND field = FileNameField();
    if (!dialogWnd_ || !field || !tk::DirectoryExists(path)) return;
    HWND focus = GetFocus();
    SetFocus(field);
    const std::string saved = tk::WindowText(field);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // OK with a folder in the field opens the folder.
    SendMessageA(GetDlgItem(dialogWnd_, IDOK), BM_CLICK, 0, 0);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()));
    if (focus && IsWindow(focus)) SetFocus(focus);
}

std::string TApCustomOpenDialog::CurrentFolderPath() {
    if (!dialogWnd_) return {};
    const LRESULT n = SendMessageA(dialogWnd_, CDM_GETFOLDERPATH, 0, 0);
    if (n <= 0) return {};
    std::string path(static_cast<size_t>(n) + 2, '\0');
    SendMessageA(dialogWnd_, CDM_GETFOLDERPATH, path.size(), reinterpret_cast<LPARAM>(path.data()));
    path.resize(std::strlen(path.c_str()));
    return path;
}

LPCITEMIDLIST TApCustomOpenDialog::CurrentFolderPidl() {
    folderPidl_.reset();
    if (!dialogWnd_) return nullptr;
    const LRESULT n = SendMessageA(dialogWnd_, CDM_GETFOLDERIDLIST, 0, 0);
    if (n <= 0) return nullptr;
    void* buf = CoTaskMemAlloc(static_cast<size_t>(n) + 2);
    if (!buf) return nullptr;
    std::memset(buf, 0, static_cast<size_t>(n) + 2);
    folderPidl_.reset(buf);
    SendMessageA(dialogWnd_, CDM_GETFOLDERIDLIST, static_cast<WPARAM>(n) + 2, reinterpret_cast<LPARAM>(buf));
    return static_cast<LPCITEMIDLIST>(buf);
}

void TApCustomOpenDialog::SetFileNameText(const std::string& text) {
    if (dialogWnd_)
        SendMessageA(dialogWnd_, CDM_SETCONTROLTEXT, static_cast<WPARAM>(FileNameId()),
                     reinterpret_cast<LPARAM>(text.c_str()));
}

// ---- teardown ----

void TApCustomOpenDialog::DoClose() {
    if (setUp_) Teardown();
    else tk::OpenDialog::DoClose();
}

void TApCustomOpenDialog::Teardown() {
    setUp_ = false;
    if (tk::Control* bar = toolBar_->customBar_; bar && savedCustomBar_ && bar->HandleAllocated()) {
        HWND h = bar->Handle();
        const SavedBar s = *savedCustomBar_;
        ShowWindow(h, s.visible ? SW_SHOW : SW_HIDE);
        SetParent(h, s.parent);
        SetWindowPos(h, nullptr, s.bounds.left, s.bounds.top, s.bounds.right - s.bounds.left,
                     s.bounds.bottom - s.bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    savedCustomBar_.reset();
    if (placesBar_->Visible && !placesBar_->Native && !placesBar_->RegistryKey().empty())
        placesBar_->SavePlaces();
    DestroyPlacesBar();
    for (Kind kind : {kFileList, kShellView, kHookDialog, kDialog}) UnsubclassWindow(kind);
    if (tk::App) tk::App->CancelHint();
    dialogWnd_ = nullptr;
    custDlgParams_->dialog_ = nullptr;
    g_active = nullptr;
    if (keyboardHook_) UnhookWindowsHookEx(keyboardHook_);
    if (callWndHook_) UnhookWindowsHookEx(callWndHook_);
    keyboardHook_ = callWndHook_ = nullptr;
    g_keyboardHook = savedKeyboardHook_;
    g_callWndHook = savedCallWndHook_;
    g_active = savedActive_;
    folderPidl_.reset();
    tk::OpenDialog::DoClose();
    fileList_ = shellView_ = toolbar_ = nullptr;
}
