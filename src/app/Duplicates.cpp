#include "app/Duplicates.h"

#include "app/Errors.h"
#include "toolkit/Dialogs.h"

TDuplicatesForm* DuplicatesForm = nullptr;

using tk::Make;

namespace {

constexpr UINT kWorkDone = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;

// A message with its numbers put in for %1, %2...: a translation may order
// them as its language needs.
std::string Fill(std::string text, std::initializer_list<std::string> values) {
    int n = 1;
    for (const std::string& v : values) {
        const std::string mark = "%" + std::to_string(n++);
        if (size_t at = text.find(mark); at != std::string::npos) text = text.substr(0, at) + v + text.substr(at + mark.size());
    }
    return text;
}

std::string Number(ULONGLONG n) { return std::to_string(n); }

// " (1.5 MiB)", or nothing below a KiB.
std::string HumanSize(ULONGLONG bytes) {
    if (bytes < 1024) return "";
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double v = static_cast<double>(bytes) / 1024;
    int u = 0;
    while (v >= 1024 && u < 3) v /= 1024, ++u;
    return tk::Format(" (%.1f %s)", v, units[u]);
}

}  // namespace

const tk::ClassInfo& TDuplicatesForm::StaticClass() {
    static const tk::ClassInfo info{"TDuplicatesForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TDuplicatesForm::TDuplicatesForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"DuplicatesForm", "Find Duplicates", 561, 449, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});

    FolderLabel = Make<tk::Label>(this, this, "FolderLabel", {8, 12, 40, 13}, "Folders:");
    FolderEdit = Make<TDirectoryEdit>(this, this, "FolderEdit", {64, 8, 401, 21}, "", 0);
    FindButton = Make<tk::Button>(this, this, "FindButton", {472, 6, 81, 25}, "Find", 1);
    ProgressBar = Make<tk::ProgressBar>(this, this, "ProgressBar", {8, 36, 545, 16}, "");
    StatusLabel = Make<tk::Label>(this, this, "StatusLabel", {8, 56, 545, 13}, "");
    ResultList = Make<tk::ListBox>(this, this, "ResultList", {8, 74, 545, 225}, "", 2);
    SummaryLabel = Make<tk::Label>(this, this, "SummaryLabel", {8, 306, 545, 13}, "");
    LeftAloneLabel = Make<tk::Label>(this, this, "LeftAloneLabel", {8, 326, 58, 13}, "Left alone:");
    LeftAloneList = Make<tk::ListBox>(this, this, "LeftAloneList", {8, 342, 545, 69}, "", 3);
    TickButton = Make<tk::Button>(this, this, "TickButton", {8, 418, 97, 25}, "Tick / Untick", 4);
    KeepButton = Make<tk::Button>(this, this, "KeepButton", {112, 418, 97, 25}, "Keep This One", 5);
    LinkButton = Make<tk::Button>(this, this, "LinkButton", {384, 418, 81, 25}, "Link", 6);
    CloseButton = Make<tk::Button>(this, this, "CloseButton", {472, 418, 81, 25}, "Close", 7);
    CancelButton = Make<tk::Button>(this, this, "CancelButton", {472, 418, 81, 25}, "Cancel", 8);
    DuplicatesTranslator = tk::MakeComponent<TvgTranslator>(this, "DuplicatesTranslator");

    FolderEdit->DialogKind = dkWin32;
    FolderEdit->MultipleDirs = true;
    FolderEdit->SetNumGlyphs(1);
    FindButton->Default = true;
    FindButton->OnClick = [this] { FindButtonClick(); };
    ProgressBar->SetMax(1000);
    StatusLabel->AutoSize = false;
    SummaryLabel->AutoSize = false;
    ResultList->OnDblClick = [this] { TickButtonClick(); };
    ResultList->OnKeyDown = [this](WORD& key, tk::ShiftState) {
        if (key == VK_SPACE) {
            TickButtonClick();
            key = 0;
        }
    };
    TickButton->OnClick = [this] { TickButtonClick(); };
    KeepButton->OnClick = [this] { KeepButtonClick(); };
    LinkButton->OnClick = [this] { LinkButtonClick(); };
    CloseButton->Cancel = true;
    CloseButton->OnClick = [this] { CloseButtonClick(); };
    CancelButton->Cancel = true;
    CancelButton->SetVisible(false);
    CancelButton->OnClick = [this] { CancelButtonClick(); };
    OnClose = [this](tk::CloseAction& action) { FormClose(action); };
}

TDuplicatesForm::~TDuplicatesForm() {
    progress_.Cancel = true;
    if (worker_.joinable()) worker_.join();
}

std::string TDuplicatesForm::Translate(const std::string& s) { return DuplicatesTranslator->TranslateText(s); }

std::pair<int, int> TDuplicatesForm::RowAt(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return {-1, -1};
    return rows_[static_cast<size_t>(row)];
}

void TDuplicatesForm::Start(std::function<void()> job, std::function<void()> done) {
    progress_.Cancel = false;
    progress_.Done = 0;
    progress_.Total = 0;
    progress_.SetCurrent("");
    done_ = std::move(done);
    for (tk::Control* c : std::initializer_list<tk::Control*>{FolderEdit, FindButton, ResultList, TickButton, KeepButton, LinkButton})
        c->SetEnabled(false);
    CloseButton->SetVisible(false);
    CancelButton->SetVisible(true);
    CancelButton->SetFocus();
    ProgressBar->SetPosition(0);
    SetTimer(Handle(), kProgressTimer, 100, nullptr);
    const HWND wnd = Handle();
    worker_ = std::thread([job = std::move(job), wnd] {
        job();
        PostMessageW(wnd, kWorkDone, 0, 0);
    });
}

void TDuplicatesForm::Finish() {
    if (worker_.joinable()) worker_.join();
    KillTimer(Handle(), kProgressTimer);
    for (tk::Control* c : std::initializer_list<tk::Control*>{FolderEdit, FindButton, ResultList, TickButton, KeepButton, LinkButton})
        c->SetEnabled(true);
    CancelButton->SetVisible(false);
    CloseButton->SetVisible(true);
    ProgressBar->SetPosition(progress_.Cancel ? ProgressBar->Position() : ProgressBar->Max());
    if (auto done = std::exchange(done_, nullptr)) done();
}

LRESULT TDuplicatesForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kWorkDone) {
        Finish();
        return 0;
    }
    if (msg == WM_TIMER && wp == kProgressTimer) {
        ShowProgress();
        return 0;
    }
    return tk::Form::WndProc(msg, wp, lp);
}

void TDuplicatesForm::ShowProgress() {
    const ULONGLONG total = progress_.Total, done = progress_.Done;
    if (total > 0) ProgressBar->SetPosition(static_cast<int>(std::min<ULONGLONG>(done, total) * 1000 / total));
    std::string current = progress_.Current();
    if (current.empty()) return;
    if (listing_ && total == 0) StatusLabel->SetCaption(Fill(Translate("Listing (%1 files): %2"), {Number(done), current}));
    else StatusLabel->SetCaption(Translate("Reading:") + " " + current);
}

void TDuplicatesForm::ShowGroups() {
    rows_.clear();
    std::vector<std::pair<std::string, void*>> items;
    for (size_t g = 0; g < groups_.size(); ++g) {
        const TDupGroup& group = groups_[g];
        bool any = false;
        for (const TDupFile& f : group.Files) any |= f.Checked;
        rows_.emplace_back(static_cast<int>(g), -1);
        items.emplace_back((any ? "[x] " : "[ ] ") + Fill(Translate("%1 files of %2 bytes"), {Number(group.Files.size()), Number(group.Files.front().Size)}),
                           nullptr);
        // The kept file first.
        std::vector<size_t> order{group.Kept};
        for (size_t i = 0; i < group.Files.size(); ++i)
            if (i != group.Kept) order.push_back(i);
        for (size_t i : order) {
            const TDupFile& f = group.Files[i];
            std::string tag;
            switch (RoleOf(group, i)) {
            case TDupRole::Kept: tag = "  <" + Translate("kept") + ">"; break;
            case TDupRole::LeftAlone: tag = "  <" + Translate("left alone: attributes differ") + ">"; break;
            default: break;
            }
            for (const std::string& name : f.Names) {
                rows_.emplace_back(static_cast<int>(g), static_cast<int>(i));
                items.emplace_back(std::string("      ") + (f.Checked ? "[x] " : "[ ] ") + name + tag, nullptr);
            }
        }
    }
    const int cursor = ResultList->ItemIndex();
    ResultList->Items()->Replace(std::move(items));
    ResultList->SetItemIndex(std::min(cursor, ResultList->Items()->Count() - 1));
    ShowSummary();
}

void TDuplicatesForm::AddAttributeLeftAlone(std::vector<std::pair<std::string, void*>>& items) {
    for (const TDupGroup& g : groups_)
        for (size_t i = 0; i < g.Files.size(); ++i)
            if (RoleOf(g, i) == TDupRole::LeftAlone)
                for (const std::string& name : g.Files[i].Names)
                    items.emplace_back(name + ": " + Translate("Its read-only, hidden or system attribute differs from the kept file's"),
                                       nullptr);
}

void TDuplicatesForm::ShowSummary() {
    TDupSummary s = Summarize(groups_);
    SummaryLabel->SetCaption(Fill(Translate("%1 groups, %2 duplicates, %3 bytes can be freed"),
                                  {Number(s.Groups), Number(s.Duplicates), Number(s.Bytes)}) +
                             HumanSize(s.Bytes));
    // The files linking would leave, and those the search could not read.
    std::vector<std::pair<std::string, void*>> items;
    for (const std::string& line : leftAlone_) items.emplace_back(line, nullptr);
    AddAttributeLeftAlone(items);
    LeftAloneList->Items()->Replace(std::move(items));
}

void TDuplicatesForm::FindButtonClick() {
    std::vector<std::string> folders = SplitFolders(FolderEdit->Text());
    groups_.clear();
    leftAlone_.clear();
    ShowGroups();
    SummaryLabel->SetCaption("");
    auto result = std::make_shared<TSearchResult>();
    listing_ = true;
    Start([this, folders, result] { *result = FindDuplicates(folders, progress_); },
          [this, result] {
              listing_ = false;
              if (!result->Refusal.empty()) {
                  StatusLabel->SetCaption("");
                  tk::MessageDlg(Translate(result->Refusal) + (result->RefusedPath.empty() ? "" : "\r\n" + result->RefusedPath),
                                 tk::MsgDlgType::Warning, {tk::mbOK});
                  return;
              }
              if (result->Cancelled) {
                  StatusLabel->SetCaption(Translate("Cancelled"));
                  return;
              }
              StatusLabel->SetCaption("");
              for (const TDupProblem& p : result->Problems)
                  leftAlone_.push_back(p.Path + ": " + Translate(p.Sentence.empty() ? ErrorText(static_cast<int>(p.Code)) : p.Sentence));
              groups_ = std::move(result->Groups);
              ShowGroups();
          });
}

void TDuplicatesForm::TickButtonClick() {
    auto [g, f] = RowAt(ResultList->ItemIndex());
    if (g < 0) return;
    TDupGroup& group = groups_[static_cast<size_t>(g)];
    if (f < 0) {
        bool any = false;
        for (const TDupFile& file : group.Files) any |= file.Checked;
        for (TDupFile& file : group.Files) file.Checked = !any;
    } else {
        group.Files[static_cast<size_t>(f)].Checked ^= true;
    }
    ShowGroups();
}

void TDuplicatesForm::KeepButtonClick() {
    auto [g, f] = RowAt(ResultList->ItemIndex());
    if (g < 0 || f < 0) return;
    TDupGroup& group = groups_[static_cast<size_t>(g)];
    group.Kept = static_cast<size_t>(f);
    group.Files[group.Kept].Checked = true;
    ShowGroups();
}

void TDuplicatesForm::LinkButtonClick() {
    const TDupSummary s = Summarize(groups_);
    if (s.Duplicates == 0) return;
    if (tk::MessageDlg(Fill(Translate("Replace %1 duplicates with hard links?"), {Number(s.Duplicates)}),
                       tk::MsgDlgType::Confirmation, {tk::mbYes, tk::mbNo}) != tk::mrYes)
        return;
    auto result = std::make_shared<TLinkResult>();
    Start([this, result] { *result = LinkDuplicates(groups_, progress_); },
          [this, result] {
              // What was linked is done; a new search shows what is left.
              std::vector<std::pair<std::string, void*>> items;
              AddAttributeLeftAlone(items);
              for (const TDupProblem& p : result->Problems)
                  items.emplace_back(p.Path + ": " + Translate(p.Sentence.empty() ? ErrorText(static_cast<int>(p.Code)) : p.Sentence),
                                     nullptr);
              groups_.clear();
              rows_.clear();
              leftAlone_.clear();
              ResultList->Items()->Clear();
              LeftAloneList->Items()->Replace(std::move(items));
              StatusLabel->SetCaption(result->Cancelled ? Translate("Cancelled") : "");
              SummaryLabel->SetCaption(Fill(Translate("%1 duplicates linked, %2 bytes freed"), {Number(result->Linked), Number(result->Freed)}) +
                                       HumanSize(result->Freed));
          });
}

void TDuplicatesForm::CancelButtonClick() { progress_.Cancel = true; }

void TDuplicatesForm::CloseButtonClick() { Close(); }

void TDuplicatesForm::FormClose(tk::CloseAction& action) {
    // Nothing is left half done: the run stops between two files.
    if (worker_.joinable()) {
        progress_.Cancel = true;
        Finish();
    }
}
