// A small automation client: starts the real program, finds its windows,
// clicks and types through window messages, reads and answers its boxes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace automation {

// The product folder as Wine sees it.
std::string ProductDir();

class Program {
public:
    // Starts ombrel.exe (or another program of the product folder) in a
    // working folder.
    Program(const std::string& workDir, const std::string& exe = "ombrel.exe");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Pid() const { return info_.dwProcessId; }
    bool Started() const { return info_.hProcess != nullptr; }
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD ms, DWORD* exitCode);
    // Visible top-level windows of the process.
    std::vector<HWND> VisibleWindows() const;
    // Waits for a visible top-level window with this caption.
    HWND WaitForWindow(const std::string& caption, DWORD ms = 15000) const;

private:
    PROCESS_INFORMATION info_{};
};

std::string TextOf(HWND wnd);
std::string ClassOf(HWND wnd);
// A descendant window with this class (case-insensitive) and text; empty
// text matches any.
HWND FindDescendant(HWND parent, const std::string& className, const std::string& text = "");
// The direct child that covers a point of the parent's client area.
HWND ChildAt(HWND parent, int x, int y);
// Texts of the static controls of a box, in order, without empty ones.
std::vector<std::string> StaticTexts(HWND box);

// A left click at a point of a window's client area.
void Click(HWND wnd, int x, int y);
void DoubleClick(HWND wnd, int x, int y);
void PressButton(HWND button);
// Replaces the whole text of an edit by typing it.
void TypeText(HWND edit, const std::string& text);
void PressKey(HWND wnd, WORD vk);
// Polls a condition until it holds or the time is up.
template <class F>
bool WaitUntil(F cond, DWORD ms = 10000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (cond()) return true;
    return cond();
}

// A registry value of the Wine prefix for one test; afterwards the value,
// and the key if the test made it, are as they were.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const std::string& value);
    ~ScopedRegValue();
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    HKEY root_;
    std::string key_, name_;
    bool keyExisted_ = false, valueExisted_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
};

}  // namespace automation
