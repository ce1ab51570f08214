#include "Automation.h"

namespace automation {

std::string ProductDir() { return WinePath(QUENMOOR_PRODUCT_DIR); }

Program::Program(const std::string& workDir, const std::string& exe, const std::string& arguments) {
    std::string path = exe.find('\\') != std::string::npos ? exe : ProductDir() + "\\" + exe;
    std::string cmd = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &info_))
        info_ = {};
}

Program::~Program() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD Program::ExitCode(DWORD ms) {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess && WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND Program::WaitForWindow(const std::string& caption, DWORD ms) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = VisibleWindowOf(info_.dwProcessId, caption)) != nullptr; }, ms);
    return found;
}

HWND ChildAt(HWND parent, int x, int y) {
    HWND h = ChildWindowFromPointEx(parent, POINT{x, y}, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    return h == parent ? nullptr : h;
}

void Click(HWND wnd, int x, int y) {
    PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressButton(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void TypeText(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void Answer(HWND box, const std::string& button) {
    PressButton(FindDescendant(box, "Button", button));
    WaitUntil([&] { return !IsWindowVisible(box); });
}

}  // namespace automation
