// The duplicates window: finds files of equal bytes and makes them hard
// links of one another.
#pragma once

#include "app/DuplicateFinder.h"
#include "controls/ToolEdit.h"
#include "i18n/vgNLS.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/StdCtrls.h"

#include <thread>

class TDuplicatesForm : public tk::Form {
public:
    explicit TDuplicatesForm(tk::Component* owner);
    ~TDuplicatesForm() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* FolderLabel;
    TDirectoryEdit* FolderEdit;
    tk::Button* FindButton;
    tk::ProgressBar* ProgressBar;
    tk::Label* StatusLabel;
    tk::ListBox* ResultList;
    tk::Label* SummaryLabel;
    tk::Label* LeftAloneLabel;
    tk::ListBox* LeftAloneList;
    tk::Button* TickButton;
    tk::Button* KeepButton;
    tk::Button* LinkButton;
    tk::Button* CloseButton;
    tk::Button* CancelButton;
    TvgTranslator* DuplicatesTranslator;

    void FindButtonClick();
    void TickButtonClick();
    void KeepButtonClick();
    void LinkButtonClick();
    void CloseButtonClick();
    void CancelButtonClick();
    void FormClose(tk::CloseAction& action);

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::string Translate(const std::string& s);
    // Runs a job on the worker thread; done runs on the window's thread after.
    void Start(std::function<void()> job, std::function<void()> done);
    void Finish();
    void ShowProgress();
    void ShowGroups();
    // The files whose attributes keep them from being linked.
    void AddAttributeLeftAlone(std::vector<std::pair<std::string, void*>>& items);
    void ShowSummary();
    // The group and file of a row of the result list; file -1 for a group's row.
    std::pair<int, int> RowAt(int row) const;

    std::vector<TDupGroup> groups_;
    std::vector<std::pair<int, int>> rows_;
    std::vector<std::string> leftAlone_;
    TDupProgress progress_;
    std::thread worker_;
    std::function<void()> done_;
    bool listing_ = false;
};

extern TDuplicatesForm* DuplicatesForm;
