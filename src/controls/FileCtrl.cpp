#include "controls/FileCtrl.h"

#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"

#include <winnetwk.h>

#include <algorithm>
#include <cctype>

namespace {
const char kDefaultFilter[] = "All files (*.*)|*.*";

using FolderEntry = fs::Entry;

unsigned long g_searches = 0;

// Every entry that a search for a mask in a folder returns.
void Search(const std::string& folder, const std::string& mask, std::vector<FolderEntry>& out) {
    ++g_searches;
    fs::List(folder, mask, out);
}

// The walk shared while a TSharedFolderWalk lives.
struct SharedWalk {
    int scopes = 0;
    bool valid = false;
    std::string folder;
    std::vector<FolderEntry> entries;
} g_shared;

// Every entry of a folder, as a search for "*.*" in it returns them: from the
// shared walk when one of this folder was made in the current scope.
const std::vector<FolderEntry>& ReadFolder(const std::string& folder, std::vector<FolderEntry>& own) {
    if (g_shared.scopes > 0 && g_shared.valid && g_shared.folder == folder) return g_shared.entries;
    std::vector<FolderEntry>& out = g_shared.scopes > 0 ? g_shared.entries : own;
    out.clear();
    g_shared.valid = false;
    Search(folder, "*.*", out);
    if (g_shared.scopes > 0) {
        g_shared.folder = folder;
        g_shared.valid = true;
    }
    return out;
}

// Reading again means walking again.
void ForgetSharedWalk() {
    g_shared.valid = false;
    g_shared.entries.clear();
}

std::vector<std::string> SplitAt(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t p = s.find(sep, start);
        out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return out;
}
}  // namespace

std::string CurrentFolder() { return fs::CurrentFolder(); }

void EnterFolder(const std::string& path) {
    if (!fs::SetCurrentFolder(path)) throw tk::EInOutError(static_cast<int>(GetLastError()));
    // Remember the folder per drive, so a bare "D:" returns to it later
    // (where the system can hold it).
    std::string cur = CurrentFolder();
    if (cur.size() >= 2 && cur[1] == ':' && cur.size() < MAX_PATH - 1) {
        wchar_t var[] = {L'=', static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(cur[0]))), L':', 0};
        SetEnvironmentVariableW(var, fs::Widen(cur).c_str());
    }
}

TSharedFolderWalk::TSharedFolderWalk() { ++g_shared.scopes; }

TSharedFolderWalk::~TSharedFolderWalk() {
    if (--g_shared.scopes == 0) ForgetSharedWalk();
}

unsigned long FolderSearches() { return g_searches; }

// ---- TDirectoryListBox ----

const tk::ClassInfo& TDirectoryListBox::StaticClass() {
    static const tk::ClassInfo info{"TDirectoryListBox", &tk::ListBox::StaticClass(), {}, {}};
    return info;
}

TDirectoryListBox::TDirectoryListBox(tk::Component* owner)
    : tk::ListBox(owner),
      directory_(CurrentFolder()),
      openPic_(tk::LoadResBitmap("OPENFOLDER")),
      currentPic_(tk::LoadResBitmap("CURRENTFOLDER")),
      closedPic_(tk::LoadResBitmap("CLOSEDFOLDER")) {
    Style = tk::ListStyle::OwnerDrawFixed;
    itemHeight_ = 16;
    SetBounds(0, 0, 145, 97);
}

void TDirectoryListBox::Notification(tk::Component* c, tk::Operation op) {
    if (op == tk::Operation::Remove) {
        if (c == fileList_) fileList_ = nullptr;
        if (c == dirLabel_) dirLabel_ = nullptr;
    }
    tk::ListBox::Notification(c, op);
}

void TDirectoryListBox::SetFileList(TFileListBox* list) {
    if (fileList_ == list) return;
    if (fileList_) {
        fileList_->dirList_ = nullptr;
        RemoveFreeNotification(fileList_);
    }
    fileList_ = list;
    if (list) {
        if (list->dirList_ && list->dirList_ != this) list->dirList_->SetFileList(nullptr);
        list->dirList_ = this;
        FreeNotification(list);
        list->SetDirectory(directory_);
    }
}

void TDirectoryListBox::SetDirLabel(tk::Label* label) {
    if (dirLabel_) RemoveFreeNotification(dirLabel_);
    dirLabel_ = label;
    if (label) {
        FreeNotification(label);
        ShowInLabel();
    }
}

void TDirectoryListBox::ShowInLabel() {
    if (!dirLabel_) return;
    int width = dirLabel_->AutoSize || dirLabel_->Width() <= 0 ? Width() : dirLabel_->Width();
    auto font = reinterpret_cast<HFONT>(SendMessageA(dirLabel_->Handle(), WM_GETFONT, 0, 0));
    dirLabel_->SetCaption(MinimizeName(directory_, font, width));
}

std::string TDirectoryListBox::DrivePart() const {
    if (directory_.size() >= 2 && directory_[1] == ':') return directory_.substr(0, 2);
    if (directory_.rfind("\\\\", 0) == 0) {
        size_t server = directory_.find('\\', 2);
        if (server == std::string::npos) return directory_;
        size_t share = directory_.find('\\', server + 1);
        return directory_.substr(0, share);
    }
    return std::string();
}

void TDirectoryListBox::InitWnd() {
    tk::ListBox::InitWnd();
    BuildList();
}

void TDirectoryListBox::BuildList() {
    std::string drive = DrivePart();
    DWORD flags = 0;
    if (fs::VolumeInformation(drive + "\\", nullptr, nullptr, &flags, nullptr)) {
        preserveCase_ = flags & (FS_CASE_IS_PRESERVED | FS_CASE_SENSITIVE);
        caseSensitive_ = flags & FS_CASE_SENSITIVE;
    }
    std::string rest = directory_.substr(drive.size());
    if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
    if (!rest.empty() && rest.back() == '\\') rest.pop_back();
    std::vector<std::string> parts = rest.empty() ? std::vector<std::string>{} : SplitAt(rest, '\\');

    std::vector<std::pair<std::string, void*>> items;
    items.emplace_back(drive + "\\", parts.empty() ? currentPic_.get() : openPic_.get());
    for (size_t i = 0; i < parts.size(); ++i)
        items.emplace_back(parts[i], i + 1 == parts.size() ? currentPic_.get() : openPic_.get());
    currentIndex_ = static_cast<int>(items.size()) - 1;

    std::vector<std::string> subs;
    std::vector<FolderEntry> own;
    for (const FolderEntry& e : ReadFolder(directory_, own))
        if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !(e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
            e.name != "." && e.name != "..")
            subs.push_back(e.name);
    std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) { return tk::CompareText(a, b) < 0; });
    for (auto& sub : subs) items.emplace_back(std::move(sub), closedPic_.get());

    Items()->Replace(std::move(items));
    if (HandleAllocated()) SetItemIndex(currentIndex_);
}

std::string TDirectoryListBox::GetItemPath(int index) const {
    if (index < 0 || index >= Items()->Count()) return std::string();
    std::string drive = DrivePart();
    HBITMAP pic = static_cast<HBITMAP>(Items()->ObjectAt(index));
    if (index == 0) return drive + "\\";
    if (pic == currentPic_.get()) return directory_;
    if (pic == closedPic_.get())
        return directory_ + (directory_.back() == '\\' ? "" : "\\") + Items()->Get(index);
    // An ancestor: the path up to (not including) the (index + 1)-th backslash after the drive.
    size_t pos = drive.size();
    for (int n = 0; n <= index && pos != std::string::npos; ++n) pos = directory_.find('\\', pos + (n ? 1 : 0));
    return pos == std::string::npos ? directory_ : directory_.substr(0, pos);
}

void TDirectoryListBox::SetDirectory(const std::string& path) {
    if (path.empty()) return;
    bool same = caseSensitive_ ? path == directory_ : tk::SameText(path, directory_);
    if (same) return;
    std::string p = path;
    if (p.size() >= 2 && p.front() == '[' && p.back() == ']') p = p.substr(1, p.size() - 2);
    // Relative to the folder shown, which another list may have left.
    fs::SetCurrentFolder(directory_);
    EnterFolder(fs::FullPath(p));
    directory_ = CurrentFolder();
    ReadWithFileList();
    Change();
}

void TDirectoryListBox::ReadWithFileList() {
    // The file list reads the folder just walked.
    TSharedFolderWalk shared;
    BuildList();
    if (fileList_) fileList_->SetDirectory(directory_);
}

void TDirectoryListBox::SetDrive(char letter) {
    if (!letter) return;
    if (std::toupper(static_cast<unsigned char>(letter)) == std::toupper(static_cast<unsigned char>(Drive()))) return;
    SetDirectory(tk::Format("%c:", letter));
}

void TDirectoryListBox::Update() {
    ForgetSharedWalk();
    ReadWithFileList();
    Change();
}

void TDirectoryListBox::Change() {
    if (fileList_) fileList_->SetDirectory(directory_);
    ShowInLabel();
    if (OnChange) OnChange();
}

void TDirectoryListBox::OpenCurrent() {
    int i = ItemIndex();
    if (i >= 0) SetDirectory(GetItemPath(i));
}

bool TDirectoryListBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_DBLCLK) {
        if (OnDblClick) OnDblClick();
        OpenCurrent();
        result = 0;
        return true;
    }
    return tk::ListBox::Reflected(msg, wp, lp, result);
}

LRESULT TDirectoryListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_GETDLGCODE && wp == VK_RETURN) return DLGC_WANTALLKEYS;
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        OpenCurrent();
        return 0;
    }
    return tk::ListBox::WndProc(msg, wp, lp);
}

void TDirectoryListBox::DrawItem(int index, RECT rect, UINT state, HDC dc) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    if (index < 0 || index >= Items()->Count()) return;
    HBITMAP pic = static_cast<HBITMAP>(Items()->ObjectAt(index));
    int indent = pic == closedPic_.get() ? (currentIndex_ + 1) * 4 + 2 : index * 4 + 2;
    SIZE sz = tk::BitmapSize(pic);
    tk::DrawTransparent(dc, rect.left + indent, (rect.top + rect.bottom - sz.cy) / 2, pic);
    std::string text = Items()->Get(index);
    if (!preserveCase_ && !caseSensitive_) text = tk::LowerCase(text);
    tk::WriteText(dc, rect.left + sz.cx + indent + 4, rect.top, text);
}

// ---- TFileListBox ----

const tk::ClassInfo& TFileListBox::StaticClass() {
    static const tk::ClassInfo info{"TFileListBox", &tk::ListBox::StaticClass(), {}, {}};
    return info;
}

TFileListBox::TFileListBox(tk::Component* owner)
    : tk::ListBox(owner),
      directory_(CurrentFolder()),
      exePic_(tk::LoadResBitmap("EXECUTABLE")),
      dirPic_(tk::LoadResBitmap("CLOSEDFOLDER")),
      filePic_(tk::LoadResBitmap("UNKNOWNFILE")) {
    Style = tk::ListStyle::OwnerDrawFixed;
    SetSorted(true);
    SetBounds(0, 0, 145, 97);
}

void TFileListBox::Notification(tk::Component* c, tk::Operation op) {
    if (op == tk::Operation::Remove) {
        if (c == fileEdit_) fileEdit_ = nullptr;
        if (c == dirList_) dirList_ = nullptr;
        if (c == static_cast<tk::Component*>(filterCombo_)) filterCombo_ = nullptr;
    }
    tk::ListBox::Notification(c, op);
}

void TFileListBox::InitWnd() {
    tk::ListBox::InitWnd();
    if (Visible()) ReadFileNames();
    else unread_ = true;
}

void TFileListBox::SetVisible(bool v) {
    tk::ListBox::SetVisible(v);
    if (v && unread_) ReadFileNames();
}

void TFileListBox::Update() {
    ForgetSharedWalk();
    ReadFileNames();
}

void TFileListBox::SetFileEdit(tk::Edit* edit) {
    if (fileEdit_) RemoveFreeNotification(fileEdit_);
    fileEdit_ = edit;
    if (edit) {
        FreeNotification(edit);
        int i = ItemIndex();
        edit->SetText(i >= 0 ? Items()->Get(i) : mask_);
    }
}

void TFileListBox::SetDirectory(const std::string& path) {
    if (tk::SameText(path, directory_)) {
        if (unread_) ReadFileNames();
        return;
    }
    fs::SetCurrentFolder(directory_);
    EnterFolder(path);
    directory_ = CurrentFolder();
    ReadFileNames();
}

void TFileListBox::SetMask(const std::string& mask) {
    if (mask == mask_) {
        if (unread_) ReadFileNames();
        return;
    }
    mask_ = mask;
    ReadFileNames();
}

void TFileListBox::SetFileType(TFileType v) {
    if (v == fileType_) {
        if (unread_) ReadFileNames();
        return;
    }
    fileType_ = v;
    ReadFileNames();
}

std::string TFileListBox::FileName() {
    int i = ItemIndex();
    if (i < 0 || i >= Items()->Count()) return std::string();
    return directory_ + (!directory_.empty() && directory_.back() == '\\' ? "" : "\\") + Items()->Get(i);
}

void TFileListBox::SetFileName(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    if (cut != std::string::npos) {
        // The folder as the lists name it: a root keeps its backslash.
        bool root = cut == 0 || path[cut] == ':' || path[cut - 1] == ':';
        SetDirectory(path.substr(0, root ? cut + 1 : cut));
    }
    HandleNeeded();
    SetItemIndex(Items()->IndexOf(path.substr(cut == std::string::npos ? 0 : cut + 1)));
    Change();
}

void TFileListBox::ReadFileNames() {
    if (!HandleAllocated()) return;
    DWORD want = 0;
    static const DWORD bits[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, 0x8,
                                 FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_ARCHIVE};
    for (int a = ftReadOnly; a <= ftArchive; ++a)
        if (fileType_.Has(static_cast<TFileAttr>(a))) want |= bits[a];
    EnterFolder(directory_);
    unread_ = false;
    std::vector<std::pair<std::string, void*>> found;
    HCURSOR oldCursor = nullptr;
    // The search leaves out what was not asked for.
    const DWORD excluded = (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY | 0x8) & ~want;
    for (const std::string& mask : SplitAt(mask_, ';')) {
        if (mask.empty()) continue;
        // Every name: the walk a folder list may have made of this folder.
        std::vector<FolderEntry> own;
        const std::vector<FolderEntry>& entries =
            mask == "*.*" ? ReadFolder(directory_, own) : (Search(directory_, mask, own), own);
        for (const FolderEntry& e : entries) {
            DWORD a = e.attributes;
            if (a & excluded) continue;
            if (!fileType_.Has(ftNormal) && !(a & want)) continue;
            if (a & FILE_ATTRIBUTE_DIRECTORY) {
                if (e.name == ".") continue;
                found.emplace_back("[" + e.name + "]", dirPic_.get());
                continue;
            }
            size_t dot = e.name.rfind('.');
            std::string ext = dot == std::string::npos ? "" : tk::LowerCase(e.name.substr(dot));
            bool exe = ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif";
            found.emplace_back(e.name, exe ? exePic_.get() : filePic_.get());
            if (found.size() == 100 && !oldCursor) oldCursor = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        }
    }
    // One sort and one redraw per reading.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return tk::CompareText(a.first, b.first) < 0; });
    Items()->Replace(std::move(found));
    if (oldCursor) SetCursor(oldCursor);
    Change();
}

void TFileListBox::Change() {
    lastSel_ = ItemIndex();
    if (fileEdit_) {
        fileEdit_->SetText(lastSel_ >= 0 ? Items()->Get(lastSel_) : mask_);
        fileEdit_->SelectAll();
    }
    if (OnChange) OnChange();
}

void TFileListBox::DoClick() {
    tk::ListBox::DoClick();
    if (ItemIndex() != lastSel_) Change();
}

void TFileListBox::DrawItem(int index, RECT rect, UINT state, HDC dc) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    if (index < 0 || index >= Items()->Count()) return;
    int x = rect.left + 2;
    if (ShowGlyphs) {
        HBITMAP pic = static_cast<HBITMAP>(Items()->ObjectAt(index));
        SIZE sz = tk::BitmapSize(pic);
        tk::DrawTransparent(dc, rect.left + 2, (rect.top + rect.bottom - sz.cy) / 2, pic);
        x = rect.left + sz.cx + 6;
    }
    tk::WriteText(dc, x, rect.top, Items()->Get(index));
}

// ---- TFilterComboBox ----

const tk::ClassInfo& TFilterComboBox::StaticClass() {
    static const tk::ClassInfo info{"TFilterComboBox", &tk::ComboBox::StaticClass(), {}, {}};
    return info;
}

TFilterComboBox::TFilterComboBox(tk::Component* owner) : tk::ComboBox(owner), filter_(kDefaultFilter) {
    Style = tk::ComboStyle::DropDownList;
    BuildList();
}

void TFilterComboBox::Notification(tk::Component* c, tk::Operation op) {
    if (op == tk::Operation::Remove && c == fileList_) fileList_ = nullptr;
    tk::ComboBox::Notification(c, op);
}

void TFilterComboBox::SetFileList(TFileListBox* list) {
    if (fileList_) {
        fileList_->filterCombo_ = nullptr;
        RemoveFreeNotification(fileList_);
    }
    fileList_ = list;
    if (list) {
        list->filterCombo_ = this;
        FreeNotification(list);
    }
}

void TFilterComboBox::InitWnd() {
    tk::ComboBox::InitWnd();
    BuildList();
}

void TFilterComboBox::BuildList() {
    Items()->Clear();
    masks_.clear();
    std::string rest = filter_;
    for (;;) {
        size_t bar = rest.find('|');
        if (bar == std::string::npos) break;
        std::string desc = rest.substr(0, bar);
        rest.erase(0, bar + 1);
        size_t next = rest.find('|');
        std::string mask = rest.substr(0, next);
        rest.erase(0, next == std::string::npos ? rest.size() : next + 1);
        Items()->Add(desc);
        masks_.push_back(mask);
    }
    SetItemIndex(Items()->Count() > 0 ? 0 : -1);
}

void TFilterComboBox::SetFilter(const std::string& v) {
    if (tk::SameText(v, filter_)) return;
    filter_ = v;
    BuildList();
    Change();
}

std::string TFilterComboBox::Mask() {
    if (ItemIndex() < 0 && Items()->Count() > 0) SetItemIndex(Items()->Count() - 1);
    int i = ItemIndex();
    if (i < 0 || i >= static_cast<int>(masks_.size())) return "*.*";
    return masks_[static_cast<size_t>(i)];
}

void TFilterComboBox::Change() {
    if (fileList_) fileList_->SetMask(Mask());
    tk::ComboBox::Change();
}

void TFilterComboBox::Select() {
    DoClick();
    Change();
}

// ---- MinimizeName ----

std::string MinimizeName(const std::string& path, HFONT font, int maxWidth) {
    tk::WindowDc dc(nullptr);
    tk::SelectObj sel(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    auto fits = [&](const std::string& s) {
        return tk::TextExtent(dc.get(), s).cx <= maxWidth;
    };
    if (fits(path)) return path;
    // Drop whole folders after the drive part, leftmost first; then letters.
    size_t head = path.find('\\', path.rfind("\\\\", 0) == 0 ? path.find('\\', path.find('\\', 2) + 1) : 0);
    if (head == std::string::npos) head = 0;
    std::string drive = path.substr(0, head + 1);
    std::string rest = path.substr(head + 1);
    for (;;) {
        size_t cut = rest.find('\\');
        if (cut == std::string::npos) break;
        rest.erase(0, cut + 1);
        std::string s = drive + "...\\" + rest;
        if (fits(s)) return s;
    }
    while (!rest.empty()) {
        rest.erase(0, 1);
        std::string s = "..." + rest;
        if (fits(s)) return s;
    }
    return "...";
}

// ---- TDriveComboBox ----

const tk::ClassInfo& TDriveComboBox::StaticClass() {
    static const tk::ClassInfo info{"TDriveComboBox", &tk::ComboBox::StaticClass(), {}, {}};
    return info;
}

TDriveComboBox::TDriveComboBox(tk::Component* owner) : tk::ComboBox(owner) {
    Style = tk::ComboStyle::DropDownList;
    std::string cur = CurrentFolder();
    drive_ = cur.size() >= 2 && cur[1] == ':' ? static_cast<char>(std::tolower(static_cast<unsigned char>(cur[0]))) : 0;
}

void TDriveComboBox::Notification(tk::Component* c, tk::Operation op) {
    if (op == tk::Operation::Remove && c == dirList_) dirList_ = nullptr;
    tk::ComboBox::Notification(c, op);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
    if (dirList_) RemoveFreeNotification(dirList_);
    dirList_ = list;
    if (list) FreeNotification(list);
}

void TDriveComboBox::InitWnd() {
    tk::ComboBox::InitWnd();
    BuildList();
}

void TDriveComboBox::BuildList() {
    Items()->BeginUpdate();
    Items()->Clear();
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        char letter = static_cast<char>('a' + i);
        char root[] = {letter, ':', '\\', 0};
        std::string text = std::string(1, letter) + ":";
        UINT type = GetDriveTypeA(root);
        // Removable media are not touched: reading them may wait for a disk.
        if (type == DRIVE_FIXED || type == DRIVE_RAMDISK || type == DRIVE_REMOTE) {
            std::string label;
            tk::ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
            if (fs::VolumeInformation(root, &label, nullptr, nullptr, nullptr) && !label.empty())
                text += " [" + label + "]";
        }
        Items()->Add(text);
    }
    Items()->EndUpdate();
    SetDrive(drive_);
}

void TDriveComboBox::SetDrive(char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    int found = -1;
    for (int i = 0; i < Items()->Count() && found < 0; ++i)
        if (Items()->Get(i)[0] == letter) found = i;
    if (found < 0) return;
    SetItemIndex(found);
    if (letter == drive_) return;
    drive_ = letter;
    if (dirList_) dirList_->SetDrive(letter);
    Change();
}

void TDriveComboBox::Select() {
    DoClick();
    int i = ItemIndex();
    if (i < 0) return;
    char previous = drive_;
    try {
        SetDrive(Items()->Get(i)[0]);
    } catch (...) {
        // The drive could not be entered (no media): show the drive still in use.
        drive_ = previous;
        SetDrive(previous);
        throw;
    }
}

// ---- TSelectDirDlg ----

namespace {
bool NetworkDialogOffered() {
    using GetCaps = WORD(WINAPI*)(WORD);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto caps = user ? reinterpret_cast<GetCaps>(GetProcAddress(user, "WNetGetCaps")) : nullptr;
    const WORD kDialog = 8, kConnectDialog = 4;  // WNNC_DIALOG, WNNC_DLG_ConnectDialog
    return caps && (caps(kDialog) & kConnectDialog);
}

// Creates a folder with every missing parent.
bool ForceDirectories(std::string dir) {
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    if (dir.empty() || fs::IsFolder(dir) || (dir.size() == 2 && dir[1] == ':')) return true;
    size_t cut = dir.find_last_of("\\/");
    if (cut != std::string::npos && !ForceDirectories(dir.substr(0, cut))) return false;
    return fs::CreateFolder(dir) || GetLastError() == ERROR_ALREADY_EXISTS;
}
}  // namespace

const tk::ClassInfo& TSelectDirDlg::StaticClass() {
    static const tk::ClassInfo info{"TSelectDirDlg", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TSelectDirDlg::TSelectDirDlg(tk::Component* owner, TSelectDirOpts options, int helpContext)
    : tk::Form(owner), options_(options) {
    using tk::Make;
    Describe({"SelectDirDlg", "Select Directory", 424, 255, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::ScreenCenter});

    bool editable = options.Has(sdAllowCreate);
    DirNameLabel = Make<tk::Label>(this, this, "DirNameLabel", {8, 6, 120, 13}, "Directory &Name:");
    DirLabel = Make<tk::Label>(this, this, "DirLabel", {8, 24, 408, 13}, "");
    DirEdit = Make<tk::Edit>(this, this, "DirEdit", {8, 21, 408, 21}, "", 0);
    DirListLabel = Make<tk::Label>(this, this, "DirListLabel", {8, 48, 120, 13}, "&Directories:");
    DirList = Make<TDirectoryListBox>(this, this, "DirList", {8, 64, 200, 150}, "", 1);
    FileListLabel = Make<tk::Label>(this, this, "FileListLabel", {216, 48, 120, 13}, "&Files: (*.*)");
    FileList = Make<TFileListBox>(this, this, "FileList", {216, 64, 120, 150}, "", 2);
    NetButton = Make<tk::Button>(this, this, "NetButton", {344, 64, 73, 25}, "Ne&twork...", 3);
    DriveLabel = Make<tk::Label>(this, this, "DriveLabel", {8, 226, 46, 13}, "D&rives:");
    DriveList = Make<TDriveComboBox>(this, this, "DriveList", {56, 222, 120, 22}, "", 4);
    OKButton = Make<tk::Button>(this, this, "OKButton", {184, 222, 73, 25}, "OK", 5);
    CancelButton = Make<tk::Button>(this, this, "CancelButton", {264, 222, 73, 25}, "Cancel", 6);
    HelpButton = Make<tk::Button>(this, this, "HelpButton", {344, 222, 73, 25}, "&Help", 7);

    DirLabel->SetVisible(!editable);
    DirEdit->SetVisible(editable);
    DirList->SetFileList(FileList);
    DirList->SetDirLabel(editable ? nullptr : DirLabel);
    DirList->OnChange = [this] { DirListChange(); };
    FileList->SetEnabled(false);
    DriveList->SetDirList(DirList);
    NetButton->SetVisible(NetworkDialogOffered());
    NetButton->OnClick = [this] { NetButtonClick(); };
    OKButton->Default = true;
    OKButton->OnClick = [this] { OKButtonClick(); };
    CancelButton->Cancel = true;
    CancelButton->ModalResult = tk::mrCancel;
    if (helpContext == 0) {
        HelpButton->SetVisible(false);
        OKButton->SetBounds(264, 222, 73, 25);
        CancelButton->SetBounds(344, 222, 73, 25);
    }
    DirListChange();
}

std::string TSelectDirDlg::Directory() const {
    return options_.Has(sdAllowCreate) ? DirEdit->Text() : DirList->Directory();
}

void TSelectDirDlg::SetDirectory(const std::string& path) {
    if (fs::IsFolder(path)) {
        DirList->SetDirectory(path);
        DriveList->SetDrive(DirList->Drive());
    }
    // A folder still to be made is shown as asked, over the nearest list.
    if (options_.Has(sdAllowCreate) && !path.empty()) DirEdit->SetText(path);
}

void TSelectDirDlg::DirListChange() {
    if (options_.Has(sdAllowCreate)) DirEdit->SetText(DirList->Directory());
}

void TSelectDirDlg::OKButtonClick() {
    std::string dir = Directory();
    if (options_.Has(sdAllowCreate) && options_.Has(sdPrompt) && !fs::IsFolder(dir) &&
        tk::MessageDlg("The specified directory does not exist. Create it?", tk::MsgDlgType::Confirmation,
                       {tk::mbYes, tk::mbNo}) != tk::mrYes)
        return;
    ModalResult = tk::mrOk;
}

void TSelectDirDlg::NetButtonClick() {
    using ConnectDialog = DWORD(WINAPI*)(HWND, DWORD);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto dialog = user ? reinterpret_cast<ConnectDialog>(GetProcAddress(user, "WNetConnectionDialog")) : nullptr;
    if (dialog && dialog(Handle(), RESOURCETYPE_DISK) == NO_ERROR) DriveList->BuildList();
}

bool SelectDirectory(std::string& Directory, TSelectDirOpts Options, int HelpCtx) {
    TSelectDirDlg dlg(nullptr, Options, HelpCtx);
    dlg.AfterConstruction();
    dlg.SetDirectory(Directory);
    if (dlg.ShowModal() != tk::mrOk) return false;
    std::string chosen = dlg.Directory();
    if (Options.Has(sdPerformCreate) && Options.Has(sdAllowCreate) && !ForceDirectories(chosen))
        throw tk::EInOutError(static_cast<int>(GetLastError()));
    Directory = chosen;
    return true;
}
