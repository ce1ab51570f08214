// Helpers for tests that drive real windows and the real file system.
#pragma once

#include "support/Files.h"
#include "toolkit/Dialogs.h"

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace tk {
class Control;
}

namespace testsupport {

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

// The program's five windows made in start-up order; false when start-up
// ended the program (its exit code then in exitCode).
bool CreateWindows(int* exitCode = nullptr);
// Destroys whichever of the five windows exist.
void DestroyWindows();

// Lets pending window messages run.
void PumpMessages();

// Sends a control's notification (such as LBN_DBLCLK) to its parent, as a
// click or a pick in the control does.
void Notify(tk::Control* control, WORD code);

}  // namespace testsupport
