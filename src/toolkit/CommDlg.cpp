#include "toolkit/CommDlg.h"

#include "toolkit/Controls.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>

namespace tk {

namespace {
// Room for the longest path in UTF-8: 32767 UTF-16 units of up to three bytes.
constexpr size_t kFileBuffer = 32768 * 3, kMultiFileBuffer = 65519;

constexpr DWORD kOptionFlags[] = {
    OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR, OFN_SHOWHELP, OFN_NOVALIDATE,
    OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_CREATEPROMPT,
    OFN_SHAREAWARE, OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
    0 /* old style: no OFN_EXPLORER */, OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
    OFN_DONTADDTORECENT, OFN_FORCESHOWHIDDEN};
static_assert(std::size(kOptionFlags) == ofForceShowHidden + 1);

bool IsAbsolute(const std::string& name) {
    return (name.size() >= 2 && name[1] == ':') || name.rfind("\\\\", 0) == 0;
}
}  // namespace

DWORD OpenOptionFlags(OpenOptions options) {
    DWORD flags = 0;
    for (int i = 0; i <= ofForceShowHidden; ++i)
        if (options.Contains(static_cast<OpenOption>(i))) flags |= kOptionFlags[i];
    if (!options.Contains(ofOldStyleDialog)) flags |= OFN_EXPLORER;
    return flags;
}

std::array<char, 512> TextBuffer512(const std::string& text) {
    std::array<char, 512> buf{};
    std::memcpy(buf.data(), text.data(), std::min(text.size(), buf.size() - 1));
    return buf;
}

std::vector<std::string> SplitFileBuffer(const char* buffer, size_t size, bool oldStyle) {
    std::vector<std::string> parts;
    if (oldStyle) {
        std::string all(buffer, strnlen(buffer, size));
        for (size_t pos = 0; pos < all.size();) {
            size_t end = all.find(' ', pos);
            if (end == std::string::npos) end = all.size();
            if (end > pos) parts.push_back(all.substr(pos, end - pos));
            pos = end + 1;
        }
    } else {
        for (size_t pos = 0; pos < size && buffer[pos];) {
            size_t n = strnlen(buffer + pos, size - pos);
            parts.emplace_back(buffer + pos, n);
            pos += n + 1;
        }
    }
    if (parts.size() <= 1) return parts;
    std::string folder = parts.front();
    std::vector<std::string> out;
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& name = parts[i];
        if (IsAbsolute(name)) out.push_back(name);
        else if (!folder.empty() && folder.back() == '\\') out.push_back(folder + name);  // a drive's root
        else out.push_back(folder + "\\" + name);
    }
    return out;
}

const ClassInfo& OpenDialog::StaticClass() {
    static const ClassInfo info{
        "TOpenDialog",
        &Component::StaticClass(),
        {{"DefaultExt", [](const Persistent& p) { return static_cast<const OpenDialog&>(p).DefaultExt; },
          [](Persistent& p, const std::string& v) { static_cast<OpenDialog&>(p).DefaultExt = v; }},
         TextProp("FileName", &OpenDialog::FileName, &OpenDialog::SetFileName),
         {"Filter", [](const Persistent& p) { return static_cast<const OpenDialog&>(p).Filter; },
          [](Persistent& p, const std::string& v) { static_cast<OpenDialog&>(p).Filter = v; }},
         {"InitialDir", [](const Persistent& p) { return static_cast<const OpenDialog&>(p).InitialDir; },
          [](Persistent& p, const std::string& v) { static_cast<OpenDialog&>(p).InitialDir = v; }},
         TextProp("Title", &OpenDialog::Title, &OpenDialog::SetTitle)},
        {}};
    return info;
}

OpenDialog::OpenDialog(Component* owner) : Component(owner), files_(std::make_unique<StringList>()) {}

OpenDialog::~OpenDialog() = default;

bool OpenDialog::Execute() {
    return DoExecute([](OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); });
}

bool OpenDialog::DoExecute(const std::function<BOOL(OPENFILENAMEA&)>& run) {
    files_->Clear();
    const bool multi = Options.Contains(ofAllowMultiSelect);
    // Two zeros at the end stay zero unless the system fills the buffer whole.
    std::vector<char> file(std::max(multi ? kMultiFileBuffer : kFileBuffer, fileName_.size() + 2), '\0');
    std::memcpy(file.data(), fileName_.data(), fileName_.size());
    std::string filter = Filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    std::array<char, 512> title = TextBuffer512(SystemTitle());

    OPENFILENAMEA ofn{};
    ofn.lStructSize = kOpenFileNameSize;
    ofn.hwndOwner = App ? App->Handle() : nullptr;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = title[0] ? title.data() : nullptr;
    ofn.Flags = OFN_ENABLEHOOK | OpenOptionFlags(Options);
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = HookProc;

    HWND previous = GetActiveWindow();
    BOOL ok;
    std::string folder;
    for (;;) {
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        folder_.clear();
        spec_.clear();
        {
            // The dialog disables only its owner, the application's hidden
            // window; the program's own windows wait as for any modal window.
            WindowsDisabled others(nullptr);
            ok = run(ofn);
        }
        // Wine cuts a choice of several files at the buffer's end and
        // answers success.
        const bool cut = ok && (file.end()[-1] || file.end()[-2]);
        if (!cut && (ok || CommDlgExtendedError() != FNERR_BUFFERTOOSMALL)) break;
        // The choice did not fit. The first two bytes hold the size needed,
        // in characters or in bytes; the buffer grows to hold either in
        // UTF-8 (the size may also have lost its high bits), and the dialog
        // shows the choice again where the user made it.
        WORD needed = 0;
        if (!cut) std::memcpy(&needed, file.data(), sizeof needed);
        file.assign(std::max(size_t{needed} * 3, file.size() * 2) + spec_.size(), '\0');
        std::memcpy(file.data(), spec_.data(), spec_.size());
        folder = folder_;
        if (!folder.empty()) ofn.lpstrInitialDir = folder.c_str();
    }
    // The system activates the hidden owner; the window that was active
    // before gets its activation back.
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
    handle_ = hookWnd_ = nullptr;
    if (!ok) return false;  // cancelled, or a name the system refused
    for (const std::string& path : SplitFileBuffer(file.data(), file.size(), Options.Contains(ofOldStyleDialog)))
        files_->Add(path);
    if (files_->Count() == 0) return false;
    fileName_ = files_->Get(0);
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    if (ofn.Flags & OFN_READONLY) Options.Include(ofReadOnly);
    else Options.Exclude(ofReadOnly);
    if (ofn.Flags & OFN_EXTENSIONDIFFERENT) Options.Include(ofExtensionDifferent);
    else Options.Exclude(ofExtensionDifferent);
    return true;
}

bool OpenDialog::DoCanClose() {
    bool canClose = true;
    if (OnCanClose) OnCanClose(canClose);
    return canClose;
}

bool OpenDialog::DoIncludeItem(const OFNOTIFYEXA& item) {
    bool include = true;
    if (OnIncludeItem) OnIncludeItem(item, include);
    return include;
}

UINT_PTR CALLBACK OpenDialog::HookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return Guarded<UINT_PTR>(0, [&]() -> UINT_PTR {
        if (msg == WM_INITDIALOG) {
            auto* self = reinterpret_cast<OpenDialog*>(reinterpret_cast<OPENFILENAMEA*>(lp)->lCustData);
            SetWindowLongPtrA(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            self->hookWnd_ = wnd;
            self->handle_ = GetParent(wnd);
            return TRUE;
        }
        auto* self = reinterpret_cast<OpenDialog*>(GetWindowLongPtrA(wnd, DWLP_USER));
        if (!self) return 0;
        switch (msg) {
        case WM_NOTIFY:
            return self->Notify(*reinterpret_cast<OFNOTIFYA*>(lp));
        case WM_DESTROY:
            SetWindowLongPtrA(wnd, DWLP_USER, 0);
            self->KeepChoice();
            self->DoClose();
            return 0;
        default:
            return 0;
        }
    });
}

void OpenDialog::KeepChoice() {
    // The dialog's windows still stand while their end is announced.
    HWND field = GetDlgItem(handle_, edt1);
    if (!field) field = GetDlgItem(handle_, cmb13);
    if (!field) field = GetDlgItem(hookWnd_, edt1);  // the old style: the hook is the dialog
    if (field) spec_ = WindowText(field);
}

UINT_PTR OpenDialog::Notify(const OFNOTIFYA& n) {
    auto answer = [&](LRESULT result) {
        SetWindowLongPtrA(hookWnd_, DWLP_MSGRESULT, result);
        return TRUE;
    };
    switch (n.hdr.code) {
    case CDN_INITDONE:
        DoShow();
        break;
    case CDN_FOLDERCHANGE:
        if (LRESULT size = SendMessageA(handle_, CDM_GETFOLDERPATH, 0, 0); size > 0) {
            folder_.assign(static_cast<size_t>(size), '\0');
            SendMessageA(handle_, CDM_GETFOLDERPATH, size, reinterpret_cast<LPARAM>(folder_.data()));
            folder_.resize(std::strlen(folder_.c_str()));
        }
        DoFolderChange();
        break;
    case CDN_SELCHANGE:
        DoSelectionChange();
        break;
    case CDN_TYPECHANGE:
        DoTypeChange();
        break;
    case CDN_FILEOK:
        if (!DoCanClose()) return answer(1);
        break;
    case CDN_SHAREVIOLATION: {
        LRESULT result = 0;
        if (DoShareViolation(n.pszFile ? n.pszFile : "", result)) return answer(result);
        break;
    }
    case CDN_INCLUDEITEM:
        return answer(DoIncludeItem(reinterpret_cast<const OFNOTIFYEXA&>(n)) ? 1 : 0);
    default:
        break;
    }
    return 0;
}

}  // namespace tk
