// Every name of a file: where else it lies on its volume. Free of the
// toolkit: the program's window and the Explorer extension's property page
// both ask it, each on a thread of its own, and neither knows how the names
// were found.
#pragma once

#include "fs/FileSystem.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs {


// What a search tells while it runs, on the searching thread.
class NameListener {
public:
    virtual ~NameListener() = default;
    // The file's link count: how many names there are to find.
    virtual void Counted(DWORD links) {}
    virtual void NameFound(const std::wstring& path) {}
    virtual void FolderUnreadable(const std::wstring& folder) {}
    // Before a folder is read; false stops the search.
    virtual bool Continue(const std::wstring& folder, size_t foldersRead) { return true; }
};

struct NameSearch {
    DWORD Error = 0;  // the file itself could not be asked: the system's code
    DWORD Links = 0;
    std::vector<std::wstring> Names;       // full paths, as found
    std::vector<std::wstring> Unreadable;  // folders the walk could not read
    bool Cancelled = false;
    size_t Missing() const { return Links > Names.size() ? Links - Names.size() : 0; }
};

class NameFinder {
public:
    virtual ~NameFinder() = default;
    // Every name of the file at path (any form the file-system layer takes).
    virtual NameSearch Find(const std::wstring& path, NameListener& listener) = 0;
};

// The system's own enumeration of a file's names (Windows Vista and later).
using FindFirstFileNameFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, LPDWORD, PWSTR);
using FindNextFileNameFn = BOOL(WINAPI*)(HANDLE, LPDWORD, PWSTR);
struct NameFunctions {
    FindFirstFileNameFn First = nullptr;
    FindNextFileNameFn Next = nullptr;
};
// Looked up at run time: importing them would keep older systems (and Wine
// 8) from loading the program at all.
NameFunctions SystemNameFunctions();

// Asks the system where it has the functions; else walks the volume outward
// from the file's folder.
std::unique_ptr<NameFinder> MakeNameFinder(NameFunctions functions = SystemNameFunctions());

// A search on a thread of its own for a window: what it finds waits here,
// and the window hears of it by a message, one at a time, whose handler
// takes the news.
class NameSearchThread : private NameListener {
public:
    NameSearchThread(const std::wstring& path, HWND window, UINT message);
    // Cancels and waits for the thread.
    ~NameSearchThread();
    NameSearchThread(const NameSearchThread&) = delete;
    NameSearchThread& operator=(const NameSearchThread&) = delete;
    void Cancel() { cancel_ = true; }

    struct News {
        DWORD Links = 0;
        std::vector<std::wstring> Found;       // since the last news
        std::vector<std::wstring> Unreadable;  // all so far
        std::wstring Folder;                   // being read
        bool Done = false;
        NameSearch Result;                     // once done
    };
    News Take();

private:
    void Post();
    void Counted(DWORD links) override;
    void NameFound(const std::wstring& path) override;
    void FolderUnreadable(const std::wstring& folder) override;
    bool Continue(const std::wstring& folder, size_t foldersRead) override;

    const HWND window_;
    const UINT message_;
    std::atomic<bool> cancel_{false}, posted_{false};
    std::mutex lock_;
    News news_;
    DWORD lastProgress_ = 0;
    std::thread thread_;
};

}  // namespace fs
