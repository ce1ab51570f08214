// A small automation client: starts the real program, finds its windows,
// clicks and types through window messages, reads and answers its boxes.
#pragma once

#include "support/Files.h"
#include "support/RawRegistry.h"
#include "support/Windows.h"

#include <psapi.h>

namespace automation {

using namespace testsupport;

// The product folder as Wine sees it.
inline std::string ProductDir() { return WinePath(QUENMOOR_PRODUCT_DIR); }

class Program {
public:
    // Starts a program (of the product folder unless a full path) in a
    // working folder, with arguments after its name.
    explicit Program(const std::string& workDir, const std::string& exe = "ombrel.exe", const std::string& arguments = "")
        : Program(workDir, exe, Wide(arguments)) {}
    Program(const std::string& workDir, const std::string& exe, const std::wstring& arguments) {
        std::wstring path = Wide(exe.find('\\') != std::string::npos ? exe : ProductDir() + "\\" + exe);
        std::wstring cmd = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, Wide(workDir).c_str(), &si, &info_))
            info_ = {};
    }
    ~Program() {
        if (!info_.hProcess) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    // The exit code once the process ends; STILL_ACTIVE when it goes on.
    DWORD ExitCode(DWORD ms = 15000) {
        DWORD code = STILL_ACTIVE;
        if (info_.hProcess && WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    std::vector<HWND> VisibleWindows() const { return VisibleWindowsOf(info_.dwProcessId); }
    // The file names of the modules the process has loaded, in lower case.
    std::vector<std::string> Modules() const {
        std::vector<std::string> names;
        HMODULE mods[1024];
        DWORD bytes = 0;
        if (!info_.hProcess || !K32EnumProcessModules(info_.hProcess, mods, sizeof mods, &bytes)) return names;
        for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 1024); ++i) {
            char name[MAX_PATH] = {};
            if (K32GetModuleBaseNameA(info_.hProcess, mods[i], name, sizeof name)) names.push_back(CharLowerA(name));
        }
        return names;
    }
    // Waits for a visible top-level window with this caption.
    HWND WaitForWindow(const std::string& caption, DWORD ms = 15000) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = VisibleWindowOf(info_.dwProcessId, caption)) != nullptr; }, ms);
        return found;
    }

private:
    PROCESS_INFORMATION info_{};
};

// The direct child that covers a point of the parent's client area.
inline HWND ChildAt(HWND parent, int x, int y) {
    HWND h = ChildWindowFromPointEx(parent, POINT{x, y}, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    return h == parent ? nullptr : h;
}

// The batch window's list of input files.
inline HWND BatchInputList(HWND batch) { return ChildAt(ChildAt(batch, 8 + 10, 8 + 10), 8 + 20, 16 + 20); }

// Clicks, keys and typing as the window would get them from a person.
inline void Click(HWND wnd, int x, int y) {
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}
inline void PressButton(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

// Replaces the whole text of an edit by typing it.
inline void TypeText(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Every item of a list box as Unicode, the form in which Wine carries a
// list's text to another process.
inline std::vector<std::wstring> ItemsOf(HWND list) {
    std::vector<std::wstring> items;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring item(static_cast<size_t>(std::max<LRESULT>(SendMessageW(list, LB_GETTEXTLEN, i, 0), 0)) + 1, L'\0');
        item.resize(static_cast<size_t>(std::max<LRESULT>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data())), 0)));
        items.push_back(item);
    }
    return items;
}

// Answers a box with one of its buttons and waits until it is gone.
inline void Answer(HWND box, const std::string& button) {
    PressButton(FindDescendant(box, "Button", button));
    WaitUntil([&] { return !IsWindowVisible(box); });
}

}  // namespace automation
