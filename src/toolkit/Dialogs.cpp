#include "toolkit/Dialogs.h"

#include "toolkit/StdCtrls.h"

#include <algorithm>

namespace tk {

namespace {
MessageResponder g_responder;

// The box's picture: a static control showing a system icon.
class IconImage : public Control {
public:
    IconImage(Component* owner, HICON icon) : Control(owner), icon_(icon) {}

protected:
    void CreateParamsFor(CreateParams& p) override {
        p.ClassName = "STATIC";
        p.Style |= SS_ICON;
    }
    void InitWnd() override { SendMessageA(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0); }

private:
    HICON icon_;
};

LPCSTR IconFor(MsgDlgType type) {
    switch (type) {
    case MsgDlgType::Warning: return IDI_WARNING;
    case MsgDlgType::Error: return IDI_ERROR;
    case MsgDlgType::Information: return IDI_INFORMATION;
    case MsgDlgType::Confirmation: return IDI_QUESTION;
    default: return nullptr;
    }
}
}  // namespace

std::string MsgDlgCaption(MsgDlgType type) {
    switch (type) {
    case MsgDlgType::Warning: return "Warning";
    case MsgDlgType::Error: return "Error";
    case MsgDlgType::Information: return "Information";
    case MsgDlgType::Confirmation: return "Confirm";
    default: return App ? App->Title : std::string();
    }
}

std::string MsgDlgButtonCaption(MsgDlgBtn b) {
    static const char* const captions[] = {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry",
                                           "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
    return captions[b];
}

int MsgDlgButtonResult(MsgDlgBtn b) {
    static const int results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll,
                                  mrYesToAll, mrNone};
    return results[b];
}

void SetMessageResponder(MessageResponder responder) { g_responder = std::move(responder); }

bool RespondToMessage(const MessageRecord& rec, int* result) {
    if (!g_responder) return false;
    int r = g_responder(rec);
    if (result) *result = r;
    return true;
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    MsgDlgType type = MsgDlgType::Custom;
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: type = MsgDlgType::Error; break;
    case MB_ICONQUESTION: type = MsgDlgType::Confirmation; break;
    case MB_ICONEXCLAMATION: type = MsgDlgType::Warning; break;
    case MB_ICONASTERISK: type = MsgDlgType::Information; break;
    default: break;
    }
    MsgDlgButtons buttons{mbOK};
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {mbOK, mbCancel}; break;
    case MB_YESNO: buttons = {mbYes, mbNo}; break;
    case MB_YESNOCANCEL: buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_RETRYCANCEL: buttons = {mbRetry, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {mbAbort, mbRetry, mbIgnore}; break;
    default: break;
    }
    int answer = IDOK;
    if (RespondToMessage({caption, text, type, buttons, false}, &answer)) return answer;
    return MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), flags);
}

int MessageDlg(const std::string& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext) {
    MessageRecord rec{MsgDlgCaption(type), text, type, buttons, false};
    int answer = mrNone;
    if (RespondToMessage(rec, &answer)) return answer;

    Form box(nullptr);
    box.SetName("MessageBox");
    box.FormBorderStyle = BorderStyle::Dialog;
    box.FormBorderIcons = biSystemMenu;
    box.Position = FormPosition::ScreenCenter;
    box.SetCaption(rec.Caption);

    // Measure the text with the message font of the system.
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    box.GetFont()->SetName(ncm.lfMessageFont.lfFaceName);
    box.GetFont()->SetHeight(ncm.lfMessageFont.lfHeight);
    RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
        WindowDc dc(nullptr);
        SelectObj sel(dc.get(), box.GetFont()->Handle());
        PaintText(dc.get(), text.empty() ? " " : text, &textRect,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    const int margin = 12, iconSize = 32, buttonW = 75, buttonH = 25, gap = 6;
    LPCSTR iconId = IconFor(type);
    int textLeft = margin + (iconId ? iconSize + margin : 0);
    int textTop = margin + (iconId && textRect.bottom < iconSize ? (iconSize - textRect.bottom) / 2 : 0);

    std::vector<MsgDlgBtn> order;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons.Has(static_cast<MsgDlgBtn>(b))) order.push_back(static_cast<MsgDlgBtn>(b));
    if (order.empty()) order.push_back(mbOK);
    int buttonsW = static_cast<int>(order.size()) * buttonW + (static_cast<int>(order.size()) - 1) * gap;
    int clientW = std::max(textLeft + static_cast<int>(textRect.right) + margin, buttonsW + 2 * margin);
    int buttonsTop = std::max(textTop + static_cast<int>(textRect.bottom), margin + (iconId ? iconSize : 0)) + margin + 4;
    box.SetClientSize(clientW, buttonsTop + buttonH + margin);

    if (iconId) {
        auto* icon = new IconImage(&box, LoadIconA(nullptr, iconId));
        icon->SetName("Image");
        icon->SetParent(&box);
        icon->SetBounds(margin, margin, iconSize, iconSize);
    }
    auto* message = new Label(&box);
    message->SetName("Message");
    message->ShowAccelChar = false;
    message->AutoSize = false;
    message->WordWrap = true;
    message->SetParent(&box);
    message->SetBounds(textLeft, textTop, textRect.right + 4, textRect.bottom);
    message->SetCaption(text);

    // Enter presses OK or Yes; Escape presses Cancel, No or OK.
    MsgDlgBtn defaultBtn = buttons.Has(mbOK) ? mbOK : buttons.Has(mbYes) ? mbYes : order.front();
    MsgDlgBtn cancelBtn = buttons.Has(mbCancel) ? mbCancel : buttons.Has(mbNo) ? mbNo : buttons.Has(mbOK) ? mbOK : order.back();
    int x = (clientW - buttonsW) / 2;
    Button* focus = nullptr;
    for (MsgDlgBtn b : order) {
        auto* button = new Button(&box);
        button->SetParent(&box);
        button->SetBounds(x, buttonsTop, buttonW, buttonH);
        button->SetCaption(MsgDlgButtonCaption(b));
        button->ModalResult = MsgDlgButtonResult(b);
        button->Default = (b == defaultBtn);
        button->Cancel = (b == cancelBtn);
        button->SetTabOrder(static_cast<int>(b));
        if (b == mbHelp && helpContext) button->OnClick = [helpContext] { WinHelpA(nullptr, nullptr, HELP_CONTEXT, static_cast<ULONG_PTR>(helpContext)); };
        if (b == defaultBtn) focus = button;
        x += buttonW + gap;
    }
    box.AfterConstruction();
    // The text must stay readable by automation: keep it a plain static.
    SendMessageA(message->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    box.SetActiveControl(focus);
    if (!buttons.Has(mbCancel) && !buttons.Has(mbNo) && !buttons.Has(mbOK))
        EnableMenuItem(GetSystemMenu(box.Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    int result = box.ShowModal();
    if (result == mrCancel && !buttons.Has(mbCancel)) result = MsgDlgButtonResult(cancelBtn);
    return result;
}

}  // namespace tk
