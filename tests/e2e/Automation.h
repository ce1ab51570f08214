// A small automation client: starts the real program, finds its windows,
// clicks and types through window messages, reads and answers its boxes.
#pragma once

#include "support/Files.h"
#include "support/RawRegistry.h"
#include "support/Windows.h"

namespace automation {

using namespace testsupport;

// The product folder as Wine sees it.
std::string ProductDir();

class Program {
public:
    // Starts a program (of the product folder unless a full path) in a
    // working folder, with arguments after its name.
    explicit Program(const std::string& workDir, const std::string& exe = "ombrel.exe",
                     const std::string& arguments = "");
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    // The exit code once the process ends; STILL_ACTIVE when it goes on.
    DWORD ExitCode(DWORD ms = 15000);
    std::vector<HWND> VisibleWindows() const { return VisibleWindowsOf(info_.dwProcessId); }
    // Waits for a visible top-level window with this caption.
    HWND WaitForWindow(const std::string& caption, DWORD ms = 15000) const;

private:
    PROCESS_INFORMATION info_{};
};

// The direct child that covers a point of the parent's client area.
HWND ChildAt(HWND parent, int x, int y);
// Clicks, keys and typing as the window would get them from a person.
void Click(HWND wnd, int x, int y);
void PressButton(HWND button);
// Replaces the whole text of an edit by typing it.
void TypeText(HWND edit, const std::string& text);
// Answers a box with one of its buttons and waits until it is gone.
void Answer(HWND box, const std::string& button);

}  // namespace automation
