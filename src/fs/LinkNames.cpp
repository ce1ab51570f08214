#include "fs/LinkNames.h"

#include "fs/FileSystem.h"

#include <winternl.h>

#include <algorithm>
#include <unordered_set>

namespace fs {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (*this) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    explicit operator bool() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

ULONGLONG IndexOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// What the file behind a name says of itself; never through a link to
// elsewhere.
bool Facts(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    Handle f(Open(std::wstring_view(path), 0, kShareAll, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    return f && GetFileInformationByHandle(f.get(), &info);
}

// A file system that keeps more than one name of a file names files by
// their index.
TFileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {true, info.dwFileAttributes, info.dwVolumeSerialNumber, IndexOf(info), info.nNumberOfLinks > 1};
}

std::wstring Joined(const std::wstring& folder, std::wstring_view name) {
    return folder + (folder.back() == L'\\' ? L"" : L"\\") + std::wstring(name);
}

// The root of the volume that holds a full plain path, ending in a
// backslash: a drive, a share or a folder another volume is mounted on.
std::wstring VolumeRoot(const std::wstring& plain) {
    std::wstring extended = ExtendedPath(std::wstring_view(plain)), root(extended.size() + 2, L'\0');
    if (GetVolumePathNameW(extended.c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        root = PlainPath(root.c_str());
        if (!root.empty() && root.back() != L'\\') root += L'\\';
        if (root.size() <= plain.size() && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, root.data(),
                                                          static_cast<int>(root.size()), plain.data(),
                                                          static_cast<int>(root.size())) == CSTR_EQUAL)
            return plain.substr(0, root.size());
    }
    // The drive or share the path names.
    size_t cut = plain.compare(0, 2, L"\\\\") == 0 ? plain.find(L'\\', plain.find(L'\\', 2) + 1) : 2;
    return cut == std::wstring::npos ? plain + L"\\" : plain.substr(0, cut) + L"\\";
}

// The file's own facts and link count, told to the listener; false (with
// the error in the result) when the file cannot be asked.
bool Counted(const std::wstring& path, NameListener& listener, NameSearch& result, BY_HANDLE_FILE_INFORMATION& info) {
    if (!Facts(path, info)) {
        result.Error = GetLastError();
        return false;
    }
    result.Links = info.nNumberOfLinks;
    listener.Counted(result.Links);
    return true;
}

class SystemFinder : public NameFinder {
public:
    explicit SystemFinder(NameFunctions f) : f_(f) {}

    NameSearch Find(const std::wstring& path, NameListener& listener) override {
        NameSearch result;
        BY_HANDLE_FILE_INFORMATION info;
        if (!Counted(path, listener, result, info)) return result;
        const std::wstring extended = ExtendedPath(std::wstring_view(path));
        std::wstring root = VolumeRoot(PlainPath(extended));
        root.pop_back();  // the names start with a backslash
        std::wstring name(MAX_PATH, L'\0');
        DWORD size = 0;
        HANDLE find;
        for (;;) {
            size = static_cast<DWORD>(name.size());
            find = f_.First(extended.c_str(), 0, &size, name.data());
            if (find != INVALID_HANDLE_VALUE || GetLastError() != ERROR_MORE_DATA) break;
            name.resize(size);
        }
        if (find == INVALID_HANDLE_VALUE) {
            result.Error = GetLastError();
            return result;
        }
        for (bool more = true; more;) {
            result.Names.push_back(root + name.c_str());
            listener.NameFound(result.Names.back());
            if (!listener.Continue(result.Names.back(), 0)) {
                result.Cancelled = true;
                break;
            }
            for (;;) {
                size = static_cast<DWORD>(name.size());
                if (f_.Next(find, &size, name.data())) break;
                if (GetLastError() != ERROR_MORE_DATA) {
                    more = false;  // ERROR_HANDLE_EOF
                    break;
                }
                name.resize(size);
            }
        }
        FindClose(find);
        return result;
    }

private:
    NameFunctions f_;
};

using QueryDirectoryFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG, BOOLEAN,
                                          PUNICODE_STRING, BOOLEAN);
// The entries' names, numbers and attributes, without short names to make.
constexpr ULONG kFileIdFullDirectoryInformation = 38;
struct TIdFullDirInfo {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, EndOfFile, AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;
    ULONG EaSize;
    LARGE_INTEGER FileId;
    WCHAR FileName[1];
};
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);

// Outward from the file's folder: that folder's tree, then each ancestor's
// other subfolders, up to the volume's root. Each folder is read once, with
// the file numbers of its entries (NT 5.1 and later hand them over with the
// names), so only a name whose number agrees costs a look at the file.
class Walk {
public:
    Walk(NameListener& listener, NameSearch& result, const BY_HANDLE_FILE_INFORMATION& target)
        : listener_(listener), result_(result), target_(target),
          query_(reinterpret_cast<QueryDirectoryFn>(
              GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile"))),
          buffer_(64 * 1024 / sizeof(ULONGLONG)) {}

    // True when the folder could be read.
    bool Tree(const std::wstring& top, std::wstring_view skip) {
        BY_HANDLE_FILE_INFORMATION self;
        if (Facts(top, self)) FirstSight(IndexOf(self));
        std::vector<std::wstring> pending{top};
        bool topRead = false;
        while (!pending.empty() && !Done()) {
            std::wstring folder = std::move(pending.back());
            pending.pop_back();
            subfolders_.clear();
            bool read = Read(folder);
            if (folder == top) topRead = read;
            // Depth first, in name order: a stack takes them reversed.
            std::sort(subfolders_.begin(), subfolders_.end(), std::greater<>());
            for (const auto& [name, index] : subfolders_) {
                if (folder == top && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(),
                                                    static_cast<int>(name.size()), skip.data(),
                                                    static_cast<int>(skip.size())) == CSTR_EQUAL)
                    continue;
                if (FirstSight(index)) pending.push_back(Joined(folder, name));
            }
        }
        return topRead;
    }

    bool Done() const { return result_.Cancelled || result_.Names.size() >= result_.Links; }

private:
    bool Read(const std::wstring& folder) {
        if (!listener_.Continue(folder, read_++)) {
            result_.Cancelled = true;
            return false;
        }
        Handle dir(Open(std::wstring_view(folder), FILE_LIST_DIRECTORY | SYNCHRONIZE, kShareAll, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS));
        NTSTATUS status = kNoMoreFiles;
        for (BOOLEAN first = TRUE; dir && query_; first = FALSE) {
            IO_STATUS_BLOCK io{};
            status = query_(dir.get(), nullptr, nullptr, nullptr, &io, buffer_.data(),
                            static_cast<ULONG>(buffer_.size() * sizeof(ULONGLONG)), kFileIdFullDirectoryInformation,
                            FALSE, nullptr, first);
            if (status < 0) break;
            for (auto* at = reinterpret_cast<const BYTE*>(buffer_.data());;) {
                const auto* e = reinterpret_cast<const TIdFullDirInfo*>(at);
                Entry(folder, *e);
                if (!e->NextEntryOffset) break;
                at += e->NextEntryOffset;
            }
        }
        if (!dir || status != kNoMoreFiles) {
            result_.Unreadable.push_back(folder);
            listener_.FolderUnreadable(folder);
            return false;
        }
        return true;
    }

    void Entry(const std::wstring& folder, const TIdFullDirInfo& e) {
        std::wstring_view name(e.FileName, e.FileNameLength / sizeof(wchar_t));
        if (name == L"." || name == L"..") return;
        const auto index = static_cast<ULONGLONG>(e.FileId.QuadPart);
        if (e.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Links to elsewhere are not followed.
            if (!(e.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) subfolders_.emplace_back(name, index);
            return;
        }
        if (index != IndexOf(target_) || Done()) return;
        std::wstring path = Joined(folder, name);
        BY_HANDLE_FILE_INFORMATION info;
        // The number alone may match another file system mounted below
        // (Wine shows Unix mounts as plain folders).
        if (!Facts(path, info) || !NamesOfOneFile(IdentityOf(info), IdentityOf(target_)) ||
            info.nNumberOfLinks != target_.nNumberOfLinks)
            return;
        result_.Names.push_back(path);
        listener_.NameFound(path);
    }

    // True the first time a folder is met: one met before (through a Unix
    // link to an ancestor, under Wine) is not read again. A file system
    // without numbers says nothing.
    bool FirstSight(ULONGLONG index) { return index == 0 || visited_.insert(index).second; }

    NameListener& listener_;
    NameSearch& result_;
    const BY_HANDLE_FILE_INFORMATION target_;
    const QueryDirectoryFn query_;
    std::vector<ULONGLONG> buffer_;  // aligned as the entries need
    std::vector<std::pair<std::wstring, ULONGLONG>> subfolders_;
    std::unordered_set<ULONGLONG> visited_;
    size_t read_ = 0;
};

class WalkFinder : public NameFinder {
public:
    NameSearch Find(const std::wstring& path, NameListener& listener) override {
        NameSearch result;
        BY_HANDLE_FILE_INFORMATION info;
        if (!Counted(path, listener, result, info)) return result;
        const std::wstring plain = PlainPath(ExtendedPath(std::wstring_view(path)));
        if (result.Links <= 1) {  // the name asked about is the only one
            result.Names.push_back(plain);
            listener.NameFound(plain);
            return result;
        }
        const std::wstring root = VolumeRoot(plain);
        size_t cut = plain.find_last_of(L'\\');
        std::wstring folder = cut < root.size() ? root : plain.substr(0, cut);
        Walk walk(listener, result, info);
        // The file's own name stands even where its folder cannot be read.
        if (!walk.Tree(folder, L"") && !result.Cancelled) {
            result.Names.push_back(plain);
            listener.NameFound(plain);
        }
        while (!walk.Done() && folder.size() > root.size()) {
            cut = folder.find_last_of(L'\\');
            std::wstring child = folder.substr(cut + 1);
            folder = cut < root.size() ? root : folder.substr(0, cut);
            walk.Tree(folder, child);
        }
        return result;
    }
};

}  // namespace

NameFunctions SystemNameFunctions() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    NameFunctions f;
    f.First = reinterpret_cast<FindFirstFileNameFn>(GetProcAddress(kernel, "FindFirstFileNameW"));
    f.Next = reinterpret_cast<FindNextFileNameFn>(GetProcAddress(kernel, "FindNextFileNameW"));
    return f;
}

std::unique_ptr<NameFinder> MakeNameFinder(NameFunctions functions) {
    if (functions.First && functions.Next) return std::make_unique<SystemFinder>(functions);
    return std::make_unique<WalkFinder>();
}

// Progress is told at most this often; names and the end at once.
constexpr DWORD kProgressEveryMs = 100;

NameSearchThread::NameSearchThread(const std::wstring& path, HWND window, UINT message)
    : window_(window), message_(message) {
    thread_ = std::thread([this, path] {
        NameSearch result;
        try {
            result = MakeNameFinder()->Find(path, *this);
        } catch (...) {
            result.Error = ERROR_NOT_ENOUGH_MEMORY;
        }
        std::lock_guard<std::mutex> hold(lock_);
        news_.Result = std::move(result);
        news_.Done = true;
        Post();
    });
}

NameSearchThread::~NameSearchThread() {
    cancel_ = true;
    thread_.join();
}

NameSearchThread::News NameSearchThread::Take() {
    std::lock_guard<std::mutex> hold(lock_);
    posted_ = false;
    News taken = news_;
    news_.Found.clear();
    return taken;
}

void NameSearchThread::Post() {
    if (!posted_.exchange(true)) PostMessageW(window_, message_, 0, 0);
}

void NameSearchThread::Counted(DWORD links) {
    std::lock_guard<std::mutex> hold(lock_);
    news_.Links = links;
    Post();
}

void NameSearchThread::NameFound(const std::wstring& path) {
    std::lock_guard<std::mutex> hold(lock_);
    news_.Found.push_back(path);
    Post();
}

void NameSearchThread::FolderUnreadable(const std::wstring& folder) {
    std::lock_guard<std::mutex> hold(lock_);
    news_.Unreadable.push_back(folder);
    Post();
}

bool NameSearchThread::Continue(const std::wstring& folder, size_t) {
    if (cancel_) return false;
    const DWORD now = GetTickCount();
    if (now - lastProgress_ >= kProgressEveryMs) {
        lastProgress_ = now;
        std::lock_guard<std::mutex> hold(lock_);
        news_.Folder = folder;
        Post();
    }
    return true;
}

}  // namespace fs
