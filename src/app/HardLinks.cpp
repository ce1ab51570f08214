#include "app/HardLinks.h"

#include "app/Errors.h"
#include "fs/FileSystem.h"
#include "fs/LinkNames.h"
#include "toolkit/Dialogs.h"

#include <shellapi.h>


THardLinksForm* HardLinksForm = nullptr;

using tk::Make;

namespace {

// The search's news waits until the window takes it.
constexpr UINT kNews = WM_APP + 1;

// A list box as wide as its longest path: the paths run deep.
class TNamesListBox : public tk::ListBox {
public:
    using tk::ListBox::ListBox;
    void FitWidth() {
        HDC dc = GetDC(Handle());
        HGDIOBJ old = SelectObject(dc, EffectiveFont());
        LONG widest = 0;
        for (int i = 0; i < Items()->Count(); ++i) widest = std::max(widest, tk::TextExtent(dc, Items()->Get(i)).cx);
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
        SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 6), 0);
    }

protected:
    void CreateParamsFor(tk::CreateParams& p) override {
        tk::ListBox::CreateParamsFor(p);
        p.Style |= WS_HSCROLL;
    }
};

}  // namespace

std::string CountText(TvgTranslator* translator, const char* one, const char* many, size_t count) {
    std::string text = translator->TranslateText(count == 1 ? one : many);
    size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(count));
    return text;
}

const tk::ClassInfo& THardLinksForm::StaticClass() {
    static const tk::ClassInfo info{"THardLinksForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

THardLinksForm::THardLinksForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"HardLinksForm", "Hard Links", 505, 297, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::MainFormCenter});

    CountLabel = Make<tk::Label>(this, this, "CountLabel", {8, 8, 489, 13}, "");
    NamesList = Make<TNamesListBox>(this, this, "NamesList", {8, 26, 489, 184}, "", 0);
    UnreadableLabel = Make<tk::Label>(this, this, "UnreadableLabel", {8, 216, 489, 13}, "");
    StatusLabel = Make<tk::Label>(this, this, "StatusLabel", {8, 236, 489, 13}, "");
    ExplorerButton = Make<tk::Button>(this, this, "ExplorerButton", {8, 264, 129, 25}, "Show in Explorer", 1);
    CancelButton = Make<tk::Button>(this, this, "CancelButton", {334, 264, 75, 25}, "Cancel", 2);
    CloseButton = Make<tk::Button>(this, this, "CloseButton", {422, 264, 75, 25}, "Close", 3);
    HardLinksTranslator = tk::MakeComponent<TvgTranslator>(this, "HardLinksTranslator");

    for (tk::Label* label : {CountLabel, UnreadableLabel, StatusLabel}) {
        label->AutoSize = false;
        label->ShowAccelChar = false;  // paths may hold "&"
        label->ShowHint = true;
    }
    ExplorerButton->OnClick = [this] { ExplorerButtonClick(); };
    CancelButton->OnClick = [this] { CancelButtonClick(); };
    CloseButton->Cancel = true;
    CloseButton->ModalResult = tk::mrOk;
}

THardLinksForm::~THardLinksForm() = default;

void THardLinksForm::ShowNames(const std::string& path) {
    selected_ = path;
    NamesList->Items()->Clear();
    NamesList->Items()->Sorted = true;
    for (tk::Label* label : {CountLabel, UnreadableLabel, StatusLabel}) label->SetText("");
    CancelButton->SetEnabled(true);
    search_ = std::make_unique<fs::NameSearchThread>(fs::Widen(path), Handle(), kNews);
    ShowModal();
    search_.reset();
}

LRESULT THardLinksForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kNews) return tk::Form::WndProc(msg, wp, lp);
    ShowFound();
    return 0;
}

void THardLinksForm::ShowFound() {
    if (!search_) return;
    fs::NameSearchThread::News news = search_->Take();
    const std::vector<std::wstring>& found = news.Found;
    const std::vector<std::wstring>& unreadable = news.Unreadable;
    const fs::NameSearch& result = news.Result;
    const bool done = news.Done;
    TvgTranslator* t = HardLinksTranslator;
    if (news.Links) CountLabel->SetText(CountText(t, "1 name", "%1 names", news.Links));
    for (const std::wstring& name : found) NamesList->Items()->Add(fs::Narrow(name));
    // The name the main window showed is the one marked.
    const std::wstring selected = fs::Widen(selected_);
    for (int i = 0; !found.empty() && i < NamesList->Items()->Count(); ++i)
        if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, fs::Widen(NamesList->Items()->Get(i)).c_str(), -1,
                           selected.c_str(), -1) == CSTR_EQUAL)
            NamesList->SetItemIndex(i);
    if (!found.empty()) static_cast<TNamesListBox*>(NamesList)->FitWidth();
    if (!unreadable.empty()) {
        std::string text = CountText(t, "1 folder could not be read", "%1 folders could not be read", unreadable.size());
        for (size_t i = 0; i < unreadable.size(); ++i) text += (i ? "; " : ": ") + fs::Narrow(unreadable[i]);
        UnreadableLabel->SetText(text);
        UnreadableLabel->SetHint(text);
    }
    std::string status;
    if (!done) {
        if (!news.Folder.empty()) status = t->TranslateText("Searching") + ": " + fs::Narrow(news.Folder);
    } else if (result.Error) {
        status = t->TranslateText(ErrorText(static_cast<int>(result.Error)));
    } else {
        if (result.Cancelled) status = t->TranslateText("The search was cancelled");
        if (result.Missing())
            status += (status.empty() ? "" : ". ") + CountText(t, "1 name is missing", "%1 names are missing", result.Missing());
    }
    StatusLabel->SetText(status);
    StatusLabel->SetHint(status);
    if (done) CancelButton->SetEnabled(false);
}

void THardLinksForm::CancelButtonClick() {
    if (search_) search_->Cancel();
}

void THardLinksForm::ExplorerButtonClick() {
    int i = NamesList->ItemIndex();
    if (i < 0) return;
    std::string arguments = "/select,\"" + NamesList->Items()->Get(i) + "\"";
    SetLastError(0);
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(Handle(), nullptr, "explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        int code = ShellExecuteErrorCode(result, static_cast<int>(GetLastError()));
        tk::MessageDlg(HardLinksTranslator->TranslateText(ErrorText(code)), tk::MsgDlgType::Error, {tk::mbOK});
    }
}
