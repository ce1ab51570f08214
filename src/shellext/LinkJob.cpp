#include "shellext/LinkJob.h"

#include "fs/FileSystem.h"
#include "shellext/Volumes.h"

namespace tessivar {

std::wstring NumberedName(const std::wstring& Name, int Number, bool Folder) {
    std::wstring suffix = L" (" + std::to_wstring(Number) + L")";
    size_t dot = Folder ? std::wstring::npos : Name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) return Name + suffix;
    return Name.substr(0, dot) + suffix + Name.substr(dot);
}

std::wstring JoinPath(const std::wstring& Folder, const std::wstring& Name) {
    if (!Folder.empty() && Folder.back() == L'\\') return Folder + Name;
    return Folder + L"\\" + Name;
}

namespace {
// Past this many numbered names something else is wrong; report the error.
constexpr int MaxNumber = 100000;

// Deep clones reach the old length limit easily; names may end in a dot.
std::wstring SystemPath(const std::wstring& path) { return fs::ExtendedPath(std::wstring_view(path)); }

std::wstring NameOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring Candidate(const std::wstring& folder, const std::wstring& name, int number, bool isFolder) {
    return JoinPath(folder, number == 1 ? name : NumberedName(name, number, isFolder));
}

// Links Existing into Folder under Name, or under the first numbered name
// that is free: never over another file. 0 or the system's error code.
DWORD LinkUnderFreeName(const std::wstring& Existing, const std::wstring& Folder, const std::wstring& Name) {
    const std::wstring existing = SystemPath(Existing);
    for (int n = 1;; ++n) {
        // Trying first and looking only on failure keeps the common case at
        // one call, and no one can take the name between a look and the link.
        std::wstring path = Candidate(Folder, Name, n, false);
        if (CreateHardLinkW(SystemPath(path).c_str(), existing.c_str(), nullptr)) return 0;
        DWORD code = GetLastError();
        if (n >= MaxNumber || GetFileAttributesW(SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) return code;
    }
}

// Makes Folder\Name, or merges into a folder of that name that is there
// already; a file of that name moves the folder to a numbered name.
DWORD MakeFolder(const std::wstring& Folder, const std::wstring& Name, const std::wstring& Source, std::wstring& Made) {
    for (int n = 1;; ++n) {
        std::wstring path = Candidate(Folder, Name, n, true);
        if (CreateDirectoryW(SystemPath(path).c_str(), nullptr)) {
            Made = path;
            return 0;
        }
        DWORD code = GetLastError();
        DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
        if (n >= MaxNumber || attributes == INVALID_FILE_ATTRIBUTES) return code;
        // Merging a folder into itself would fill the source with numbered
        // links; it gets a numbered folder as a file of its name would. Two
        // spellings of one folder are one folder.
        bool isSource = (attributes & FILE_ATTRIBUTE_DIRECTORY) && SameItem(fs::Identify(path, true), fs::Identify(Source, true));
        if (MergesInto(attributes, isSource)) {
            Made = path;
            return 0;
        }
    }
}

}  // namespace

bool MergesInto(DWORD ExistingAttributes, bool ExistingIsSource) {
    return (ExistingAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(ExistingAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           !ExistingIsSource;
}

TLinkJob::TLinkJob(TDropCommand Command, std::vector<TSource> Sources, std::wstring Target)
    : command_(Command), sources_(std::move(Sources)), target_(std::move(Target)) {}

bool TLinkJob::Plan(TProgress& Progress) {
    items_.clear();
    const fs::TFileIdentity target = command_ == TDropCommand::Clone ? fs::Identify(target_, true) : fs::TFileIdentity();
    for (const TSource& s : sources_) {
        if (s.Folder && command_ != TDropCommand::Clone) continue;
        if (s.Folder && SameItem(fs::Identify(s.Path, true), target)) failures_.push_back({s.Path, ErrorTargetIsSource});
        else items_.push_back({s.Path, NameOf(s.Path), s.Folder, NoParent, {}});
    }
    // Breadth first, so a folder always comes before what it holds. The
    // whole tree is read before anything is made: a clone into its own
    // subfolder then copies the tree as it was instead of chasing itself.
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].Folder) continue;
        if (Progress.Cancelled()) return false;
        const std::wstring folder = items_[i].Source;
        Progress.Step(0, 0, folder);
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(SystemPath(JoinPath(folder, L"*")).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES) failures_.push_back({folder, code});
            continue;
        }
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            // A junction or folder link may lead anywhere, even back up the
            // tree: it is not followed.
            if (isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                failures_.push_back({JoinPath(folder, name), ERROR_NOT_SUPPORTED});
                continue;
            }
            items_.push_back({JoinPath(folder, name), name, isFolder, i, {}});
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return true;
}

void TLinkJob::Handle(TItem& Item) {
    const std::wstring* folder = &target_;
    if (Item.Parent != NoParent) {
        folder = &items_[Item.Parent].Made;
        if (folder->empty()) return;  // its folder failed and was reported
    }
    DWORD code = Item.Name.empty() ? ERROR_INVALID_NAME
                 : Item.Folder     ? MakeFolder(*folder, Item.Name, Item.Source, Item.Made)
                                   : LinkUnderFreeName(Item.Source, *folder, Item.Name);
    if (code) failures_.push_back({Item.Source, code});
}

void TLinkJob::Run(TProgress& Progress) {
    if (!Plan(Progress)) {
        cancelled_ = true;
        return;
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        if (Progress.Cancelled()) {
            cancelled_ = true;
            return;
        }
        Progress.Step(i, items_.size(), items_[i].Source);
        Handle(items_[i]);
    }
}

}  // namespace tessivar
