// Helpers for tests that drive real windows and the real file system.
#pragma once

#include "settings/Registry.h"
#include "support/Files.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Records every message box instead of showing it, answering with queued
// results (OK by default, or the first button's result).
class MessageLog {
public:
    MessageLog() {
        tk::SetMessageResponder([this](const tk::MessageRecord& rec) {
            Boxes.push_back(rec);
            if (!Answers.empty()) {
                int a = Answers.front();
                Answers.pop_front();
                return a;
            }
            if (rec.Buttons.Has(tk::mbOK)) return tk::mrOk;
            for (int b = tk::mbYes; b <= tk::mbHelp; ++b)
                if (rec.Buttons.Has(static_cast<tk::MsgDlgBtn>(b))) return tk::MsgDlgButtonResult(static_cast<tk::MsgDlgBtn>(b));
            return tk::mrOk;
        });
    }
    ~MessageLog() { tk::SetMessageResponder(nullptr); }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    std::vector<tk::MessageRecord> Boxes;
    std::deque<int> Answers;
    const tk::MessageRecord& Last() const { return Boxes.back(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const tk::MessageRecord& box : Boxes) texts.push_back(box.Text);
        return texts;
    }
};

// Answers every modal showing of a form with a result, recording the names.
class ModalLog {
public:
    explicit ModalLog(int result = 2) {
        tk::App->ModalResponder = [this, result](tk::Form& f) {
            Shown.push_back(f.Name());
            return result;
        };
    }
    ~ModalLog() { tk::App->ModalResponder = nullptr; }
    ModalLog(const ModalLog&) = delete;
    ModalLog& operator=(const ModalLog&) = delete;
    std::vector<std::string> Shown;
};

// The program's five windows made in start-up order; false when start-up
// ended the program (its exit code then in exitCode).
bool CreateWindows(int* exitCode = nullptr);
// Destroys whichever of the five windows exist.
void DestroyWindows();

// Sends a control's notification (such as LBN_DBLCLK) to its parent, as a
// click or a pick in the control does.
inline void Notify(tk::Control* control, WORD code) {
    SendMessageA(control->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(control->Id(), code), reinterpret_cast<LPARAM>(control->Handle()));
}

// In place for every registry object while it lives: fails the key creations
// and value writes a test picks; the others reach the system.
class FailingCalls : public TRegistryCalls {
public:
    std::function<bool(const std::string& path)> FailCreate = [](const std::string&) { return false; };
    std::function<bool(const std::string& name)> FailSet = [](const std::string&) { return false; };
    FailingCalls() { SetRegistryCalls(this); }
    ~FailingCalls() override { SetRegistryCalls(nullptr); }

    LSTATUS CreateKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result) override {
        if (FailCreate(path)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::CreateKey(parent, path, access, result);
    }
    LSTATUS SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        if (FailSet(name)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::SetValue(key, name, type, data, size);
    }
};

}  // namespace testsupport
