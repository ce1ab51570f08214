// The hard-links window: every name of the file selected in the main window.
#pragma once

#include "fs/LinkNames.h"
#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

#include <memory>
#include <string>

class THardLinksForm : public tk::Form {
public:
    explicit THardLinksForm(tk::Component* owner);
    ~THardLinksForm() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* CountLabel;
    tk::ListBox* NamesList;
    tk::Label* UnreadableLabel;
    tk::Label* StatusLabel;
    tk::Button* ExplorerButton;
    tk::Button* CancelButton;
    tk::Button* CloseButton;
    TvgTranslator* HardLinksTranslator;

    void ExplorerButtonClick();
    void CancelButtonClick();

    // Reads the file's names anew and shows them, modally, as they are found.
    void ShowNames(const std::string& path);

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ShowFound();
    std::unique_ptr<fs::NameSearchThread> search_;
    std::string selected_;
};

extern THardLinksForm* HardLinksForm;

// A message whose "%d" stands for a count, translated.
std::string CountText(TvgTranslator* translator, const char* one, const char* many, size_t count);
