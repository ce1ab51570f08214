// Message boxes with the program's own kinds, captions and buttons.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

namespace tk {

enum class MsgDlgType { Warning, Error, Information, Confirmation, Custom };
enum MsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

class MsgDlgButtons {
public:
    MsgDlgButtons() = default;
    MsgDlgButtons(std::initializer_list<MsgDlgBtn> list) {
        for (MsgDlgBtn b : list) bits_ |= 1u << b;
    }
    bool Has(MsgDlgBtn b) const { return bits_ & (1u << b); }
    bool operator==(const MsgDlgButtons&) const = default;

private:
    unsigned bits_ = 0;
};

// What a message box shows; handed to the test responder.
struct MessageRecord {
    std::string Caption;
    std::string Text;
    MsgDlgType Type = MsgDlgType::Information;
    MsgDlgButtons Buttons;
    bool StandardErrorBox = false;  // the application's box for uncaught errors
};

// Shows a message box centred on the screen and returns the modal result of
// the button pressed.
int MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext = 0);

// The system's message box with a caption of the caller's and MB_ flags;
// returns IDOK, IDYES... (the same numbers as the modal results). The test
// responder sees the kind that the icon flag stands for.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);

std::string MsgDlgCaption(MsgDlgType type);
std::string MsgDlgButtonCaption(MsgDlgBtn b);
int MsgDlgButtonResult(MsgDlgBtn b);

// Test seam: while a responder is installed, every message box is handed to
// it instead of being shown, and its answer is the button's modal result.
using MessageResponder = std::function<int(const MessageRecord&)>;
void SetMessageResponder(MessageResponder responder);
// Hands a box to the responder; false when none is installed.
bool RespondToMessage(const MessageRecord& rec, int* result = nullptr);

}  // namespace tk
