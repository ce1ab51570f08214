#include "controls/FileCtrl.h"

#include <algorithm>
#include <cctype>

namespace {
const char kDefaultFilter[] = "All files (*.*)|*.*";

bool FolderExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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

std::string CurrentFolder() {
    char buf[MAX_PATH * 2] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return std::string(buf, n < sizeof buf ? n : 0);
}

void EnterFolder(const std::string& path) {
    if (!SetCurrentDirectoryA(path.c_str())) throw tk::EInOutError(static_cast<int>(GetLastError()));
    // Remember the folder per drive, so a bare "D:" returns to it later.
    std::string cur = CurrentFolder();
    if (cur.size() >= 2 && cur[1] == ':') {
        char var[] = {'=', static_cast<char>(std::toupper(static_cast<unsigned char>(cur[0]))), ':', 0};
        SetEnvironmentVariableA(var, cur.c_str());
    }
}

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
        label->SetCaption(directory_);
    }
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
    std::string root = DrivePart() + "\\";
    DWORD flags = 0;
    if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        preserveCase_ = flags & (FS_CASE_IS_PRESERVED | FS_CASE_SENSITIVE);
        caseSensitive_ = flags & FS_CASE_SENSITIVE;
    }
    std::vector<std::pair<std::string, HBITMAP>> items;
    std::string drive = DrivePart();
    std::string rest = directory_.substr(drive.size());
    if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
    if (!rest.empty() && rest.back() == '\\') rest.pop_back();
    std::vector<std::string> parts = rest.empty() ? std::vector<std::string>{} : SplitAt(rest, '\\');
    bool network = drive.rfind("\\\\", 0) == 0;
    items.emplace_back(drive + "\\", parts.empty() ? currentPic_.get() : openPic_.get());
    for (size_t i = 0; i < parts.size(); ++i)
        items.emplace_back(parts[i], i + 1 == parts.size() ? currentPic_.get() : openPic_.get());
    (void)network;
    int current = static_cast<int>(items.size()) - 1;

    std::vector<std::string> subs;
    std::string pattern = directory_ + (directory_.back() == '\\' ? "" : "\\") + "*.*";
    WIN32_FIND_DATAA fd;
    tk::FindHandle find(FindFirstFileA(pattern.c_str(), &fd));
    if (find) {
        do {
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
                strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0)
                subs.emplace_back(fd.cFileName);
        } while (FindNextFileA(find.get(), &fd));
    }
    std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) { return tk::CompareText(a, b) < 0; });

    Items()->BeginUpdate();
    Items()->Clear();
    for (auto& [name, pic] : items) Items()->Add(name, pic);
    for (auto& s : subs) Items()->Add(s, closedPic_.get());
    Items()->EndUpdate();
    if (HandleAllocated()) SetItemIndex(current);
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
    char full[MAX_PATH * 2] = {};
    if (!GetFullPathNameA(p.c_str(), sizeof full, full, nullptr)) throw tk::EInOutError(static_cast<int>(GetLastError()));
    if (FolderExists(directory_)) SetCurrentDirectoryA(directory_.c_str());
    EnterFolder(full);
    directory_ = CurrentFolder();
    BuildList();
    Change();
}

void TDirectoryListBox::SetDrive(char letter) {
    if (!letter) return;
    if (std::toupper(static_cast<unsigned char>(letter)) == std::toupper(static_cast<unsigned char>(Drive()))) return;
    SetDirectory(tk::Format("%c:", letter));
}

void TDirectoryListBox::Update() {
    BuildList();
    Change();
}

void TDirectoryListBox::Change() {
    if (fileList_) fileList_->SetDirectory(directory_);
    if (dirLabel_) dirLabel_->SetCaption(directory_);
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
    int current = 0;
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->ObjectAt(i) == currentPic_.get()) current = i;
    int indent = pic == closedPic_.get() ? (current + 1) * 4 + 2 : index * 4 + 2;
    SIZE sz = tk::BitmapSize(pic);
    tk::DrawTransparent(dc, rect.left + indent, (rect.top + rect.bottom - sz.cy) / 2, pic);
    std::string text = Items()->Get(index);
    if (!preserveCase_ && !caseSensitive_) text = tk::LowerCase(text);
    TextOutA(dc, rect.left + sz.cx + indent + 4, rect.top, text.c_str(), static_cast<int>(text.size()));
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
    if (tk::SameText(path, directory_)) return;
    if (FolderExists(directory_)) SetCurrentDirectoryA(directory_.c_str());
    EnterFolder(path);
    directory_ = CurrentFolder();
    ReadFileNames();
}

void TFileListBox::SetMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    ReadFileNames();
}

void TFileListBox::SetFileType(TFileType v) {
    if (v == fileType_) return;
    fileType_ = v;
    ReadFileNames();
}

std::string TFileListBox::FileName() {
    int i = ItemIndex();
    if (i < 0 || i >= Items()->Count()) return std::string();
    return directory_ + (!directory_.empty() && directory_.back() == '\\' ? "" : "\\") + Items()->Get(i);
}

void TFileListBox::ReadFileNames() {
    if (!HandleAllocated()) return;
    DWORD want = 0;
    static const DWORD bits[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, 0x8,
                                 FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_ARCHIVE};
    for (int a = ftReadOnly; a <= ftArchive; ++a)
        if (fileType_.Has(static_cast<TFileAttr>(a))) want |= bits[a];
    EnterFolder(directory_);
    std::vector<std::pair<std::string, HBITMAP>> found;
    HCURSOR oldCursor = nullptr;
    for (const std::string& mask : SplitAt(mask_, ';')) {
        if (mask.empty()) continue;
        WIN32_FIND_DATAA fd;
        tk::FindHandle find(FindFirstFileA(mask.c_str(), &fd));
        if (!find) continue;
        do {
            DWORD a = fd.dwFileAttributes;
            // The search leaves out what was not asked for.
            DWORD excluded = (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY | 0x8) & ~want;
            if (a & excluded) continue;
            if (!fileType_.Has(ftNormal) && !(a & want)) continue;
            std::string name = fd.cFileName;
            if (a & FILE_ATTRIBUTE_DIRECTORY) {
                if (name == "." ) continue;
                found.emplace_back("[" + name + "]", dirPic_.get());
                continue;
            }
            std::string ext = name.find('.') == std::string::npos ? "" : tk::LowerCase(name.substr(name.rfind('.')));
            bool exe = ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif";
            found.emplace_back(name, exe ? exePic_.get() : filePic_.get());
            if (found.size() == 100 && !oldCursor) oldCursor = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        } while (FindNextFileA(find.get(), &fd));
    }
    // One sort and one redraw per reading.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return tk::CompareText(a.first, b.first) < 0; });
    SetSorted(false);
    Items()->BeginUpdate();
    Items()->Clear();
    for (auto& [name, pic] : found) Items()->Add(name, pic);
    Items()->EndUpdate();
    SetSorted(true);
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
    std::string text = Items()->Get(index);
    TextOutA(dc, x, rect.top, text.c_str(), static_cast<int>(text.size()));
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
