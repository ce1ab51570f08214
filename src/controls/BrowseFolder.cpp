#include "controls/BrowseFolder.h"

#include "controls/FileCtrl.h"
#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"

#include <commctrl.h>

#include <memory>

namespace {
constexpr UINT_PTR kSubclassId = 1;
constexpr int kHelpButtonId = 0xFFFF;

std::string SystemErrorText(DWORD code) {
    char* buf = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
    std::string text(buf ? buf : "", n);
    LocalFree(buf);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty()) text = tk::Format("System error %lu", code);
    return text;
}

void CenterOnScreen(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int x = (sw - w) / 2, y = (sh - h) / 2;
    if (x + w > sw) x = sw - w;
    if (y + h > sh) y = sh - h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

bool IsExistingFolder(const std::string& path) { return tk::DirectoryExists(path); }

std::string StripTrailingBackslash(const std::string& path) {
    if (path.size() <= 1 || path.back() != '\\') return path;
    bool driveRoot = path.size() == 3 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return driveRoot ? path : path.substr(0, path.size() - 1);
}

bool NewStyleControls() { return LOBYTE(LOWORD(GetVersion())) >= 4; }

// ---- TBrowseFolderDlg ----

const tk::ClassInfo& TBrowseFolderDlg::StaticClass() {
    static const tk::ClassInfo info{
        "TBrowseFolderDlg",
        &tk::Component::StaticClass(),
        {tk::TextProp("DialogText", &TBrowseFolderDlg::DialogText, &TBrowseFolderDlg::SetDialogText),
         tk::TextProp("FolderName", &TBrowseFolderDlg::FolderName, &TBrowseFolderDlg::SetFolderName)},
        {}};
    return info;
}

TBrowseFolderDlg::TBrowseFolderDlg(tk::Component* owner) : tk::Component(owner), displayName_(MAX_PATH, L'\0') {}

TBrowseFolderDlg::~TBrowseFolderDlg() { Unhook(); }

std::string TBrowseFolderDlg::DisplayName() const { return fs::Narrow(displayName_.c_str()); }

void TBrowseFolderDlg::Unhook() {
    if (dialog_) RemoveWindowSubclass(dialog_, DialogProc, kSubclassId);
    dialog_ = nullptr;
}

bool TBrowseFolderDlg::Execute() {
    HWND owner = tk::App ? tk::App->Handle() : nullptr;
    tk::CoTaskMem root;
    if (!DesktopRoot || BrowseKind != bfFolders) {
        LPITEMIDLIST pidl = nullptr;
        HRESULT hr = SHGetSpecialFolderLocation(owner, BrowseKind == bfComputers ? CSIDL_NETWORK : CSIDL_DRIVES, &pidl);
        if (FAILED(hr)) throw tk::Exception(SystemErrorText(static_cast<DWORD>(hr)));
        root.reset(pidl);
    }
    displayName_.assign(MAX_PATH, L'\0');  // the size the call takes for granted
    const std::wstring title = fs::Widen(dialogText_);
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = static_cast<LPCITEMIDLIST>(root.get());
    bi.pszDisplayName = displayName_.data();
    bi.lpszTitle = title.empty() ? nullptr : title.c_str();
    bi.ulFlags = BrowseKind == bfComputers ? BIF_BROWSEFORCOMPUTER : BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(this);

    tk::CoTaskMem item;
    {
        HWND active = GetActiveWindow();
        tk::WindowsDisabled others(nullptr);
        struct AfterDialog {
            TBrowseFolderDlg& self;
            tk::WindowsDisabled& others;
            HWND active;
            ~AfterDialog() {
                self.Unhook();
                others.Enable();
                if (active && IsWindow(active)) SetActiveWindow(active);
            }
        } after{*this, others, active};
        item.reset(SHBrowseForFolderW(&bi));
    }
    if (!item) return false;
    if (BrowseKind == bfFolders) {
        const std::wstring path = fs::ItemPath(static_cast<LPCITEMIDLIST>(item.get()));
        if (path.empty()) {
            // Reporting a failure with the text for success helps no one.
            DWORD code = GetLastError();
            throw tk::Exception(SystemErrorText(code ? code : ERROR_PATH_NOT_FOUND));
        }
        folderName_ = StripTrailingBackslash(tk::CarriedName(path));
    } else {
        folderName_ = DisplayName();
    }
    selection_ = folderName_;
    imageIndex_ = bi.iImage;
    return true;
}

int CALLBACK TBrowseFolderDlg::BrowseCallback(HWND wnd, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<TBrowseFolderDlg*>(data);
    return tk::Guarded(0, [&] {
        if (msg == BFFM_INITIALIZED) self->Initialized(wnd);
        else if (msg == BFFM_SELCHANGED) self->SelChanged(wnd, reinterpret_cast<LPCITEMIDLIST>(lp));
        return 0;
    });
}

LRESULT CALLBACK TBrowseFolderDlg::DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TBrowseFolderDlg*>(data);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, DialogProc, kSubclassId);
        LRESULT r = DefSubclassProc(wnd, msg, wp, lp);
        self->dialog_ = nullptr;
        return r;
    }
    if (msg == WM_COMMAND && wp == kHelpButtonId)
        return tk::Guarded<LRESULT>(0, [&]() -> LRESULT {
            if (self->HelpContext) WinHelpA(wnd, nullptr, HELP_CONTEXT, static_cast<ULONG_PTR>(self->HelpContext));
            return 0;
        });
    return DefSubclassProc(wnd, msg, wp, lp);
}

void TBrowseFolderDlg::Initialized(HWND wnd) {
    if (Position == TDialogPosition::dpScreenCenter) CenterOnScreen(wnd);
    dialog_ = wnd;
    SetWindowSubclass(wnd, DialogProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (BrowseKind == bfComputers || IsExistingFolder(folderName_)) {
        // The shell wants a full path to select; "\" and other relative
        // paths are resolved against the current folder, as the file calls do.
        const std::wstring start = fs::Widen(BrowseKind == bfFolders ? fs::FullPath(folderName_) : folderName_);
        SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
    }
    if (HelpContext) AddHelpButton();
    if (OnInitialized) OnInitialized();
}

void TBrowseFolderDlg::AddHelpButton() {
    HWND ok = FindWindowExA(dialog_, nullptr, "BUTTON", nullptr);
    if (!ok) return;
    RECT r;
    GetWindowRect(ok, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    HWND help = CreateWindowExA(0, "BUTTON", tk::MsgDlgButtonCaption(tk::mbHelp).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 12, r.top, r.right - r.left,
                                r.bottom - r.top, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHelpButtonId)),
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(help, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog_, WM_GETFONT, 0, 0)), TRUE);
    UpdateWindow(dialog_);
}

void TBrowseFolderDlg::SelChanged(HWND wnd, LPCITEMIDLIST item) {
    dialog_ = wnd;
    if (BrowseKind == bfComputers) {
        selection_ = DisplayName();
    } else {
        const bool exact = fs::NarrowExact(item ? fs::ItemPath(item) : std::wstring(), selection_);
        // A name without an exact form here is refused, named, once chosen.
        const bool folder = !selection_.empty() && (!exact || IsExistingFolder(selection_));
        SendMessageA(wnd, BFFM_ENABLEOK, 0, folder);
    }
    if (OnSelChanged) OnSelChanged();
}

bool ChooseFolder(std::string& folder, const std::string& text, int helpContext) {
    if (!NewStyleControls()) return SelectDirectory(folder, {}, helpContext);
    std::unique_ptr<TBrowseFolderDlg> dlg(new TBrowseFolderDlg(tk::App));
    dlg->SetDialogText(text);
    dlg->SetFolderName(folder);
    dlg->HelpContext = helpContext;
    if (!dlg->Execute()) return false;
    folder = dlg->FolderName();
    return true;
}
