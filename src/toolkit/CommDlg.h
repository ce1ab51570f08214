// The system's file-open dialog as a component.
#pragma once

#include "toolkit/Classes.h"

#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstddef>

namespace tk {

enum OpenOption {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
    ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
    ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks,
    ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
using OpenOptions = Set<OpenOption>;

// The OFN_ flags of a set of options; OFN_EXPLORER unless ofOldStyleDialog.
DWORD OpenOptionFlags(OpenOptions options);

// OPENFILENAMEA as the first explorer dialogs knew it (76 bytes in a 32-bit
// program), and with the fields that ask for the places bar (88 bytes).
constexpr DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
constexpr DWORD kOpenFileNameExSize = sizeof(OPENFILENAMEA);
static_assert(sizeof(void*) != 4 || (kOpenFileNameSize == 76 && kOpenFileNameExSize == 88));

// A text handed to the system in a buffer of 512 bytes: longer ones are cut.
std::array<char, 512> TextBuffer512(const std::string& text);

// The chosen paths in a file buffer that the dialog filled: one full path, or
// a folder followed by names (separated by zeros, or by blanks in the old
// style); a name that is already absolute is taken as it is.
std::vector<std::string> SplitFileBuffer(const char* buffer, size_t size, bool oldStyle);

class OpenDialog : public Component {
public:
    explicit OpenDialog(Component* owner);
    ~OpenDialog() override;
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    std::string Filter;  // "Text files|*.txt|All files|*.*"
    int FilterIndex = 1;
    std::string InitialDir;
    std::string DefaultExt;
    std::string FileName() const { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    // The chosen paths after a confirmed Execute, each a full path.
    Strings* Files() const { return files_.get(); }
    OpenOptions Options{ofHideReadOnly, ofEnableSizing};
    bool Ctl3D = true;
    int HelpContext = 0;
    virtual std::string Title() const { return title_; }
    virtual void SetTitle(const std::string& v) { title_ = v; }

    // Shows the dialog modally; true when the user confirmed a choice.
    virtual bool Execute();
    // The system's dialog window while it is open.
    HWND Handle() const { return handle_; }

    std::function<void()> OnShow;
    std::function<void()> OnClose;
    std::function<void(bool& canClose)> OnCanClose;
    std::function<void()> OnFolderChange;
    std::function<void()> OnSelectionChange;
    std::function<void()> OnTypeChange;
    // Asked for each item with ofEnableIncludeNotify.
    std::function<void(const OFNOTIFYEXA& item, bool& include)> OnIncludeItem;

protected:
    // Fills the structure, runs the dialog through run and takes the results.
    bool DoExecute(const std::function<BOOL(OPENFILENAMEA&)>& run);
    // The title handed to the system.
    virtual std::string SystemTitle() const { return title_; }
    // Notifications that the hook dialog gets; the hook dialog is an empty
    // child of the system's dialog window.
    virtual void DoShow() { if (OnShow) OnShow(); }
    virtual void DoClose() { if (OnClose) OnClose(); }
    virtual void DoFolderChange() { if (OnFolderChange) OnFolderChange(); }
    virtual void DoSelectionChange() { if (OnSelectionChange) OnSelectionChange(); }
    virtual void DoTypeChange() { if (OnTypeChange) OnTypeChange(); }
    virtual bool DoCanClose();
    // True when the violation was answered; result is then the message's.
    virtual bool DoShareViolation(const std::string& fileName, LRESULT& result) { return false; }
    virtual bool DoIncludeItem(const OFNOTIFYEXA& item);
    HWND HookDialog() const { return hookWnd_; }

private:
    static UINT_PTR CALLBACK HookProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    UINT_PTR Notify(const OFNOTIFYA& n);
    // Where the user was and what the name field held: the dialog shows them
    // again when the choice did not fit in the buffer.
    void KeepChoice();
    std::string folder_, spec_;
    std::string fileName_;
    std::string title_;
    std::unique_ptr<StringList> files_;
    HWND handle_ = nullptr;
    HWND hookWnd_ = nullptr;
};

}  // namespace tk
