#include "support/GuiFixture.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"
#include "toolkit/Controls.h"

#include <atomic>

namespace testsupport {

MessageLog::MessageLog() {
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

MessageLog::~MessageLog() { tk::SetMessageResponder(nullptr); }

ModalLog::ModalLog(int result) {
    tk::App->ModalResponder = [this, result](tk::Form& f) {
        Shown.push_back(f.Name());
        return result;
    };
}

ModalLog::~ModalLog() { tk::App->ModalResponder = nullptr; }

bool CreateWindows(int* exitCode) {
    try {
        tk::App->CreateForm(MainForm);
        tk::App->CreateForm(MultiHardLinkForm);
        tk::App->CreateForm(NewFolderForm);
        tk::App->CreateForm(AboutForm);
        tk::App->CreateForm(OptionsForm);
    } catch (const tk::EHalt& halt) {
        if (exitCode) *exitCode = halt.ExitCode;
        return false;
    }
    return true;
}

void DestroyWindows() {
    auto drop = [](auto*& form) {
        delete form;
        form = nullptr;
    };
    drop(OptionsForm);
    drop(AboutForm);
    drop(NewFolderForm);
    drop(MultiHardLinkForm);
    drop(MainForm);
}

void Notify(tk::Control* control, WORD code) {
    SendMessageA(control->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(control->Id(), code),
                 reinterpret_cast<LPARAM>(control->Handle()));
}

}  // namespace testsupport
