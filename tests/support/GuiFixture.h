// Helpers for tests that drive real windows and the real file system.
#pragma once

#include "toolkit/Dialogs.h"

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    std::string MakeFile(const std::string& name, const std::string& content = "data");
    std::string MakeDir(const std::string& name);

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::string ReadFile(const std::string& path);

// What the file system says about one file: volume, file index, link count.
struct FileIdentity {
    bool ok = false;
    DWORD volume = 0;
    ULONGLONG index = 0;
    DWORD links = 0;
};
FileIdentity IdentityOf(const std::string& path);

// Records every message box instead of showing it, answering with queued
// results (OK by default, or the first button's result).
class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    std::vector<tk::MessageRecord> Boxes;
    std::deque<int> Answers;
    const tk::MessageRecord& Last() const { return Boxes.back(); }
};

// Answers every modal showing of a form with a result, recording the names.
class ModalLog {
public:
    explicit ModalLog(int result = 2);
    ~ModalLog();
    ModalLog(const ModalLog&) = delete;
    ModalLog& operator=(const ModalLog&) = delete;
    std::vector<std::string> Shown;
};

// Lets pending window messages run.
void PumpMessages();

}  // namespace testsupport
