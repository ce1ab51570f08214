#include "app/MultiHardLink.h"

#include "app/Errors.h"
#include "app/LinkLib.h"
#include "controls/BrowseFolder.h"
#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"

TMultiHardLinkForm* MultiHardLinkForm = nullptr;

using fs::NamesOfOneFile;
using fs::TFileIdentity;
using tk::Make;

namespace {

tk::FileHandle OpenName(const std::string& path) {
    // Never through a link to elsewhere.
    return tk::FileHandle(fs::Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
}

// Whether the two names are one file. The volume's file system, which
// costs the most to ask, is asked only when the numbers agree.
bool SameFile(const std::string& a, const std::string& b) {
    TFileIdentity ia = fs::Identify(fs::Widen(a), false), ib = fs::Identify(fs::Widen(b), false);
    if (ia.Known && ib.Known && ia.Volume == ib.Volume && ia.Index == ib.Index) {
        ia.StableIndex = ib.StableIndex = fs::StableIndices(OpenName(a).get());
    }
    return NamesOfOneFile(ia, ib);
}

// Longest name of a file that NTFS, FAT and exFAT take, in UTF-16 units.
constexpr size_t kLongestName = 255;

// Renames the file at path to a free name beside it; 0 or the system's error
// code. The file keeps the name it has on disk in onDisk, which a put-back
// must restore: the path may spell it in other case or as a short name,
// unless the caller read it from the folder.
DWORD SetAside(const std::string& path, bool spelledOnDisk, std::string& onDisk, std::string& aside) {
    const std::string folder = tk::ExtractFilePath(path);
    if (spelledOnDisk) {
        onDisk = path;
    } else {
        std::vector<fs::Entry> found;
        if (!fs::List(folder, tk::ExtractFileName(path), found) || found.empty()) return GetLastError();
        if (!found.front().exact) return ERROR_NO_UNICODE_TRANSLATION;
        onDisk = folder + found.front().name;
    }
    // The aside name is the file's own with a suffix while that fits a name;
    // else a short one, so the file can always be deleted or put back.
    const bool fits = fs::Widen(tk::ExtractFileName(onDisk)).size() + 24 <= kLongestName;
    for (int i = 1; i < 1000; ++i) {
        std::string candidate = fits ? onDisk + tk::Format(".%d.quenmoor-replaced", i)
                                     : folder + tk::Format("%d.quenmoor-replaced", i);
        // A taken name fails the move, which is asked anyway: asking first
        // would cost Wine a second reading of the folder. A folder of that
        // name refuses it as access denied.
        if (!fs::Move(onDisk, candidate)) {
            DWORD code = GetLastError();
            if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ||
                (code == ERROR_ACCESS_DENIED && fs::Attributes(candidate) != INVALID_FILE_ATTRIBUTES))
                continue;
            return code;
        }
        aside = candidate;
        return 0;
    }
    return ERROR_ALREADY_EXISTS;
}

constexpr DWORD kProgressEveryMs = 100;

}  // namespace

TReplaceResult ReplaceWithLink(const std::string& target, const std::string& existing, bool spelledOnDisk) {
    TReplaceResult r;
    std::string aside, onDisk;
    if ((r.Code = SetAside(target, spelledOnDisk, onDisk, aside))) return r;
    DWORD reserved = 0;
    if (LinkCreated(CreateLink(target.c_str(), existing.c_str(), &reserved))) {
        if (!fs::Delete(aside)) r.Aside = aside;
        return r;
    }
    r.Code = GetLastError();
    if (!fs::Move(aside, onDisk)) {
        r.Aside = aside;
        r.OnDisk = onDisk;
    }
    return r;
}

const tk::ClassInfo& TMultiHardLinkForm::StaticClass() {
    static const tk::ClassInfo info{"TMultiHardLinkForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TMultiHardLinkForm::TMultiHardLinkForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"MultiHardLinkForm", "Multi Hard Link", 489, 362, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});

    InputGroupBox = Make<tk::GroupBox>(this, this, "InputGroupBox", {8, 8, 473, 225}, " Input (files: 0) ", 0);
    InputFileList = Make<tk::ListBox>(this, InputGroupBox, "InputFileList", {8, 16, 457, 169}, "", 4);
    AddButton = Make<tk::Button>(this, InputGroupBox, "AddButton", {8, 192, 105, 25}, "Add...", 0);
    AddDirButton = Make<tk::Button>(this, InputGroupBox, "AddDirButton", {120, 192, 105, 25}, "Add Folder...", 1);
    RemoveButton = Make<tk::Button>(this, InputGroupBox, "RemoveButton", {248, 192, 105, 25}, "Remove", 2);
    RemoveAllButton = Make<tk::Button>(this, InputGroupBox, "RemoveAllButton", {360, 192, 105, 25}, "Remove All", 3);
    OutputGroupBox = Make<tk::GroupBox>(this, this, "OutputGroupBox", {8, 240, 473, 81}, " Output ", 1);
    DirLabel = Make<tk::Label>(this, OutputGroupBox, "DirLabel", {8, 20, 45, 13}, "Directory:");
    HLExists = Make<tk::CheckBox>(this, OutputGroupBox, "HLExists", {8, 40, 401, 17}, "Create hard link even if file with the same name exists", 0);
    SupressErr = Make<tk::CheckBox>(this, OutputGroupBox, "SupressErr", {8, 56, 249, 17}, "Supress all errors", 1);
    GoButton = Make<tk::Button>(this, this, "GoButton", {8, 328, 73, 25}, "Go!", 4);
    CancelButton = Make<tk::Button>(this, this, "CancelButton", {408, 328, 73, 25}, "Cancel", 5);
    FileInputListBox = Make<TFileListBox>(this, this, "FileInputListBox", {176, 328, 41, 25}, "", 2);
    DirectoryOutput = Make<TDirectoryEdit>(this, this, "DirectoryOutput", {72, 256, 401, 21}, "", 3);
    ApplicationEvents = tk::MakeComponent<tk::ApplicationEvents>(this, "ApplicationEvents");
    MultiHardLinkTranslator = tk::MakeComponent<TvgTranslator>(this, "MultiHardLinkTranslator");
    OpenDialog = tk::MakeComponent<TApOpenDialog>(this, "OpenDialog");

    InputFileList->MultiSelect = true;
    InputFileList->SetItemHeight(13);
    InputFileList->ShowHint = true;
    AddButton->OnClick = [this] { AddButtonClick(); };
    AddDirButton->OnClick = [this] { AddDirButtonClick(); };
    RemoveButton->OnClick = [this] { RemoveButtonClick(); };
    RemoveAllButton->OnClick = [this] { RemoveAllButtonClick(); };
    GoButton->OnClick = [this] { GoButtonClick(); };
    CancelButton->OnClick = [this] { CancelButtonClick(); };
    DirectoryOutput->DialogKind = dkWin32;
    DirectoryOutput->SetNumGlyphs(1);
    FileInputListBox->SetEnabled(false);
    FileInputListBox->SetVisible(false);
    ApplicationEvents->OnShowHint = [this](std::string& s, bool& can, tk::HintInfo& info) {
        ApplicationEventsShowHint(s, can, info);
    };
    // One file per use; the system's own places bar where there is one.
    OpenDialog->SetTitle("Choose Files");
    OpenDialog->DlgItemsCaptions()->OK = "Add";
    OpenDialog->PlacesBar()->Visible = true;
    OpenDialog->PlacesBar()->Native = true;
}

void TMultiHardLinkForm::ShowCount(size_t count) {
    InputGroupBox->SetCaption(MultiHardLinkTranslator->TranslateText(" Input (files: ") + std::to_string(count) + ") ");
}

void TMultiHardLinkForm::UpdateInputCaption() { ShowCount(static_cast<size_t>(InputFileList->Items()->Count())); }

void TMultiHardLinkForm::AddFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    std::vector<std::pair<std::string, void*>> items;
    tk::Strings* list = InputFileList->Items();
    items.reserve(static_cast<size_t>(list->Count()) + paths.size());
    for (int i = 0; i < list->Count(); ++i) items.emplace_back(list->Get(i), nullptr);
    for (const std::string& p : paths) items.emplace_back(p, nullptr);
    int cursor = InputFileList->ItemIndex();
    InputFileList->Items()->Replace(std::move(items));
    InputFileList->SetItemIndex(cursor);
}

void TMultiHardLinkForm::AddButtonClick() {
    OpenDialog->DlgItemsCaptions()->OK = MultiHardLinkTranslator->TranslateText("Add");
    if (OpenDialog->Execute()) AddFiles(OpenDialog->Files()->ToVector());
    UpdateInputCaption();
}

void TMultiHardLinkForm::AddDirButtonClick() {
    std::string folder;
    if (ChooseFolder(folder, MultiHardLinkTranslator->TranslateText("Choose input folder") + ":", 0)) AddFolder(folder);
    UpdateInputCaption();
}

void TMultiHardLinkForm::AddFolder(const std::string& folder) {
    // The hidden list reads only with a window, which a window not yet
    // shown has not made.
    FileInputListBox->HandleNeeded();
    // The same folder again is read again: its files may have changed.
    if (tk::SameText(FileInputListBox->Directory(), folder)) FileInputListBox->Update();
    else FileInputListBox->SetDirectory(folder);
    std::string dir = FileInputListBox->Directory();
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    tk::Strings* names = FileInputListBox->Items();
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(names->Count()));
    for (int i = 0; i < names->Count(); ++i) paths.push_back(dir + names->Get(i));
    AddFiles(paths);
}

void TMultiHardLinkForm::RemoveButtonClick() {
    // One pass and one redraw, however many entries are selected.
    tk::Strings* list = InputFileList->Items();
    std::vector<std::pair<std::string, void*>> kept;
    for (int i = 0; i < list->Count(); ++i)
        if (!InputFileList->Selected(i)) kept.emplace_back(list->Get(i), nullptr);
    if (static_cast<int>(kept.size()) != list->Count()) InputFileList->Items()->Replace(std::move(kept));
    UpdateInputCaption();
}

void TMultiHardLinkForm::RemoveAllButtonClick() {
    InputFileList->Items()->Clear();
    UpdateInputCaption();
}

void TMultiHardLinkForm::CancelButtonClick() { Close(); }

void TMultiHardLinkForm::ApplicationEventsShowHint(std::string& HintStr, bool& CanShow, tk::HintInfo& HintInfo) {
    HintInfo.HideTimeout = 99999;
    if (HintInfo.HintControl == InputFileList && InputFileList->Items()->Count() > 0) {
        int i = InputFileList->ItemIndex();
        HintStr = i >= 0 && i < InputFileList->Items()->Count() ? InputFileList->Items()->Get(i) : std::string();
        ApplicationEvents->CancelDispatch();
    }
}

void TMultiHardLinkForm::GoButtonClick() {
    bool stop = false;
    auto translate = [this](const std::string& s) { return MultiHardLinkTranslator->TranslateText(s); };
    if (InputFileList->Items()->Count() == 0) {
        tk::MessageDlg(translate("Choose files"), tk::MsgDlgType::Warning, {tk::mbOK});
        stop = true;
    }
    std::string folder = DirectoryOutput->Text();
    if (folder.empty()) {
        tk::MessageDlg(translate("Choose output folder"), tk::MsgDlgType::Warning, {tk::mbOK});
        stop = true;
    }
    InputFileList->SetItemIndex(0);
    if (stop) {
        UpdateInputCaption();
        return;
    }

    // The run works on a copy of the list: linked entries leave it, failed
    // ones stay in order before the cursor; the window is written once.
    std::vector<std::string> entries = InputFileList->Items()->ToVector();
    const size_t n = entries.size();
    std::vector<std::string> kept;
    size_t next = 0;
    const bool replace = HLExists->Checked(), quiet = SupressErr->Checked();
    // The sentence for a code in an error box; false when the user stops the run.
    auto goOn = [&](int code) {
        if (quiet) return true;
        return tk::MessageDlg(translate(ErrorText(code)), tk::MsgDlgType::Error, {tk::mbOK, tk::mbCancel}) != tk::mrCancel;
    };
    // Never silent, whatever the error setting: where a file that was in
    // the way now lies.
    auto notice = [&](const std::string& sentence, const std::string& names) {
        tk::MessageDlg(translate(sentence) + "\r\n" + names, tk::MsgDlgType::Warning, {tk::mbOK});
    };
    DWORD lastProgress = GetTickCount();
    for (size_t pass = 0; pass < n && !stop; ++pass) {
        const std::string& entry = entries[next++];
        std::string target = folder + "\\" + tk::ExtractFileName(entry);
        bool linked = false, refused = false, replacing = false;
        // Only a replacing run asks about the target: each query costs as
        // much as the link itself.
        if (DWORD attrs = replace ? fs::Attributes(target) : INVALID_FILE_ATTRIBUTES;
            attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
            if (SameFile(target, entry)) {
                linked = true;  // already a name of this file: nothing to replace
            } else if (attrs & FILE_ATTRIBUTE_READONLY) {
                // A read-only file could be renamed but not deleted: it
                // stays, as a deletion of it would fail.
                stop = !goOn(ERROR_ACCESS_DENIED);
                kept.push_back(entry);
                refused = true;
            } else {
                replacing = true;
            }
        }
        if (!linked && !refused) {
            int code = 0;
            if (replacing) {
                TReplaceResult r = ReplaceWithLink(target, entry);
                linked = r.Code == 0;
                code = static_cast<int>(r.Code);
                if (linked && !r.Aside.empty())
                    notice("The replaced file could not be deleted. It was kept as:", r.Aside);
                else if (!r.OnDisk.empty())
                    notice("The existing file could not be put back. It is kept under the first name below "
                           "instead of the second:",
                           r.Aside + "\r\n" + r.OnDisk);
            } else {
                DWORD reserved = 0;
                linked = LinkCreated(CreateLink(target.c_str(), entry.c_str(), &reserved));
                code = linked ? 0 : static_cast<int>(GetLastError());
            }
            if (!linked) {
                stop = !goOn(code);
                kept.push_back(entry);
            }
        }
        if (GetTickCount() - lastProgress >= kProgressEveryMs) {
            // Still busy, not hung: repaint and show what is left; input
            // waits in the queue until the run ends.
            ShowCount(kept.size() + (n - next));
            MSG msg;
            while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
            lastProgress = GetTickCount();
        }
    }
    if (next > kept.size()) {
        std::vector<std::pair<std::string, void*>> rest;
        rest.reserve(kept.size() + (n - next));
        for (std::string& s : kept) rest.emplace_back(std::move(s), nullptr);
        for (size_t i = next; i < n; ++i) rest.emplace_back(std::move(entries[i]), nullptr);
        InputFileList->Items()->Replace(std::move(rest));
    }
    InputFileList->SetItemIndex(static_cast<int>(kept.size()));
    UpdateInputCaption();
}
