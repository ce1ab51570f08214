// The extended open dialog: the system's explorer-style file dialog,
// reshaped while it is open.
#pragma once

#include "filedialog/ApPlacesBar.h"
#include "toolkit/CommDlg.h"
#include "toolkit/Controls.h"
#include "toolkit/Handles.h"

#include <shlobj.h>

#include <map>
#include <optional>

class TApCustomOpenDialog;

enum TApDlgSelectionType { stStandard, stCustom };
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TApOpenDlgControl {
    dcFolderCombo, dcFolderLabel, dcSelectionCtrl, dcOkBtn, dcCancelBtn, dcFileName, dcFileNameLabel, dcFileType,
    dcFileTypeLabel, dcToolBar
};
using TApOpenDlgControls = tk::Set<TApOpenDlgControl>;
const TApOpenDlgControls kAllDlgControls{dcFolderCombo, dcFolderLabel, dcSelectionCtrl, dcOkBtn, dcCancelBtn,
                                         dcFileName, dcFileNameLabel, dcFileType, dcFileTypeLabel, dcToolBar};
enum TApHotTrackStyle { htHandPoint, htUnderlineCold, htUnderlineHot };
using TApHotTrackStyles = tk::Set<TApHotTrackStyle>;
enum TApDlgPosition { dpDefault, dpScrCenter, dpMainFormCenter, dpOwnerCenter, dpFormCenter };

// A window message as the dialog's message events see it.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

using TApCtrlQueryEvent = std::function<void(tk::Component* Sender, bool& AllowProceed)>;
using TApMsgQueryEvent = std::function<void(tk::Component* Sender, TMessage m, bool& AllowDispatch)>;
using TApViewStyleQueryEvent = std::function<void(tk::Component* Sender, TViewStyle AStyle, bool& AllowChange)>;
using TApViewStyleEvent = std::function<void(tk::Component* Sender, TViewStyle AStyle)>;
using TApShareViolationEvent = std::function<void(tk::Component* Sender, int& DlgResult, const std::string& FileName)>;
using TApFileFilterEvent = std::function<void(tk::Persistent* Sender, const std::string& AFileName, bool& IncludeFile)>;

// Caption overrides of the dialog's buttons and labels; empty leaves the
// system's text.
class TApDlgCaptions : public tk::Persistent {
public:
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApDlgCaptions& other);
    std::string OK, Cancel, Help;
};

class TApOpenDlgCaptions : public TApDlgCaptions {
public:
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApOpenDlgCaptions& other);
    std::string ReadOnlyFlag, FileType, FileName, LookIn;
};

class TApListViewStyles : public tk::Persistent {
public:
    void Assign(const TApListViewStyles& other) { *this = other; }
    TApListViewStyles& operator=(const TApListViewStyles& other);
    bool HotTrack = false;
    TApHotTrackStyles HotTrackStyles;
    bool FlatScrollBars = false;
    bool GridLines = false;
    bool RowSelect = false;
    bool EnableRename = true;
    bool EnableDelete = true;
    bool PopupOnEmpty = true;
    bool PopupOnSelection = true;
};

// The LVS_EX_ bits that the styles add to the file list.
DWORD ApExtendedListStyles(const TApListViewStyles& styles);
// The view mode that bits 0-1 of a list view's window style stand for.
TViewStyle ApViewStyleOf(DWORD style);

class TApFileFilter : public tk::Persistent {
public:
    void Assign(const TApFileFilter& other);
    bool ShowFolders = true;
    bool Enabled = false;
    TApFileFilterEvent OnIncludeFile;
};

class TApToolBarOptions : public tk::Persistent {
public:
    explicit TApToolBarOptions(TApCustomOpenDialog* dialog) : dialog_(dialog) {}
    void Assign(const TApToolBarOptions& other);
    bool Flat = false;
    // A toolbar of the application, moved into the dialog beside the
    // system's toolbar while the dialog is open.
    tk::Control* CustomBar() const { return customBar_; }
    void SetCustomBar(tk::Control* bar);

private:
    friend class TApCustomOpenDialog;
    TApCustomOpenDialog* dialog_;
    tk::Control* customBar_ = nullptr;
};

class TApPosParams : public tk::Persistent {
public:
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApPosParams& other);
    int ShiftX = 0;
    int ShiftY = 0;
    std::string FormName() const { return formName_; }
    void SetFormName(const std::string& v);
    bool FitToScreen = false;

private:
    friend class TApCustomOpenDialog;
    std::string formName_;
    tk::Form* form_ = nullptr;  // resolved from FormName
};

class TApCustDlgParams : public tk::Persistent {
public:
    TApCustDlgParams();
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApCustDlgParams& other);

    TApDlgPosition Position = dpDefault;
    TApPosParams* PosParams() const { return posParams_.get(); }
    enum Side { Bottom, Right, Top, Left, Custom };
    std::string FormName(Side side) const { return names_[side]; }
    void SetFormName(Side side, const std::string& v);
    std::string BottomFormName() const { return names_[Bottom]; }
    void SetBottomFormName(const std::string& v) { SetFormName(Bottom, v); }
    std::string RightFormName() const { return names_[Right]; }
    void SetRightFormName(const std::string& v) { SetFormName(Right, v); }
    std::string TopFormName() const { return names_[Top]; }
    void SetTopFormName(const std::string& v) { SetFormName(Top, v); }
    std::string LeftFormName() const { return names_[Left]; }
    void SetLeftFormName(const std::string& v) { SetFormName(Left, v); }
    std::string CustFormName() const { return names_[Custom]; }
    void SetCustFormName(const std::string& v) { SetFormName(Custom, v); }

private:
    friend class TApCustomOpenDialog;
    std::unique_ptr<TApPosParams> posParams_;
    std::string names_[5];
    tk::Form* forms_[5] = {};  // resolved from the names
    // While a dialog is open:
    HWND dialog_ = nullptr;
    int clientWidth_ = 0, clientHeight_ = 0;  // at the last resize
    RECT custBounds_{};                        // left, top, right = width, bottom = height
    int extraWidth_ = 0, extraHeight_ = 0;     // added by the panels
};

// Where the dialog goes: the rectangles of the candidate forms, null when
// there is none, and the screen's size.
struct TApPlacement {
    TApDlgPosition Position = dpDefault;
    const RECT* MainForm = nullptr;
    const RECT* OwnerForm = nullptr;
    const RECT* PosForm = nullptr;
    int ShiftX = 0, ShiftY = 0;
    bool FitToScreen = false;
    int ScreenWidth = 0, ScreenHeight = 0;
};
RECT ApPlaceDialog(RECT dialog, const TApPlacement& p);

class TApCustomOpenDialog : public tk::OpenDialog, public TApPlacesBarHost {
    // Made before OnIncludeFile, which stands for its event.
    std::unique_ptr<TApFileFilter> extFilter_;

public:
    explicit TApCustomOpenDialog(tk::Component* owner);
    ~TApCustomOpenDialog() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    bool Execute() override;

    std::string Title() const override { return apTitle_; }
    void SetTitle(const std::string& v) override;
    TApDlgSelectionType SelectionType() const { return selectionType_; }
    void SetSelectionType(TApDlgSelectionType v);
    // The file list's view mode; vsList while no dialog is open.
    TViewStyle SelectionStyle() const;
    TApCustDlgParams* CustDlgParams() const { return custDlgParams_.get(); }
    TApOpenDlgCaptions* DlgItemsCaptions() const { return captions_.get(); }
    TApOpenDlgControls VisibleControls() const { return visibleControls_; }
    void SetVisibleControls(TApOpenDlgControls v);
    TApListViewStyles* ListViewStyles() const { return listViewStyles_.get(); }
    TApPlacesBarOptions* PlacesBar() const override { return placesBar_.get(); }
    TApFileFilter* ExtFilter() const { return extFilter_.get(); }
    TApToolBarOptions* ToolBar() const { return toolBar_.get(); }

    // The same event as ExtFilter's OnIncludeFile.
    TApFileFilterEvent& OnIncludeFile;
    std::function<void()> OnDesktopNavigate;
    TApCtrlQueryEvent OnDesktopNavigating;
    std::function<void()> OnUpLevelNavigate;
    TApCtrlQueryEvent OnUpLevelNavigating;
    std::function<void()> OnLastFolderNavigate;
    TApCtrlQueryEvent OnLastFolderNavigating;
    TApViewStyleEvent OnSelectionStyleChange;
    TApViewStyleQueryEvent OnSelectionStyleChanging;
    TApCtrlQueryEvent OnFolderCreating;
    std::function<void()> OnFilenameChange;
    TApCtrlQueryEvent OnFilenameEntering;
    // Asked before a change of the file-name field is passed on; not
    // published.
    TApCtrlQueryEvent OnFilenameChanging;
    std::function<void(TMessage& Message)> OnEventHook;
    TApMsgQueryEvent OnEventHooking;
    TApShareViolationEvent OnShareViolation;

    // For the places bar.
    HWND DialogHandle() const override { return dialogWnd_; }
    void NavigateTo(const std::string& path) override;
    std::string CurrentFolderPath() override;
    LPCITEMIDLIST CurrentFolderPidl() override;
    void SetFileNameText(const std::string& text) override;
    // Asked of the shell when first needed: loading shell32 is no part of start-up.
    IShellFolder* DesktopFolder() override;
    bool UseOwnPlacesBar() const;
    // The file-name field: edt1, or the newer combo box cmb13 where the
    // dialog has no edt1.
    HWND FileNameField() const;

    // The extended dialog that is open now, and the thread hooks in place.
    static TApCustomOpenDialog* ActiveDialog();
    static HHOOK KeyboardHook();
    static HHOOK CallWndProcHook();

protected:
    // The system's dialog call: the open or the save dialog.
    virtual BOOL SystemDialog(OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); }
    std::string SystemTitle() const override { return {}; }
    void DoShow() override;
    void DoClose() override;
    void DoFolderChange() override;
    void Notification(tk::Component* c, tk::Operation op) override;

private:
    friend class TApToolBarOptions;
    enum Kind { kHookDialog, kDialog, kShellView, kFileList };
    // One message to a subclassed window.
    struct Call {
        HWND Wnd;
        WNDPROC Proc;
        UINT Msg;
        WPARAM WParam;
        LPARAM LParam;
        bool Passed = false;
        LRESULT Previous() {
            Passed = true;
            return CallWindowProcA(Proc, Wnd, Msg, WParam, LParam);
        }
    };
    static LRESULT CALLBACK HookDialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ShellViewProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK FileListProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static WNDPROC ProcOf(Kind kind);
    static LRESULT Route(Kind kind, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK CallWndProc(int code, WPARAM wp, LPARAM lp);

    BOOL RunDialog(OPENFILENAMEA& ofn);
    void SubclassWindow(Kind kind, HWND wnd);
    void UnsubclassWindow(Kind kind);
    LRESULT DialogMessage(Call& c);
    LRESULT HookDialogMessage(Call& c);
    LRESULT ShellViewMessage(Call& c);
    LRESULT FileListMessage(Call& c);
    bool Command(Call& c, LRESULT& result);
    bool Ask(const TApCtrlQueryEvent& query);
    void ReSubclass();
    void ApplyListStyles();
    void ApplyVisibleControls();
    void ApplyFileListArea();
    void ShowSystemList();
    void HideSystemList();
    void ShowCustomForm();
    void HideCustomForm();
    void ExtensionFilter(HWND list, const std::string& folder);
    void FirstPaint();
    void Resize(int width, int height);
    void InsertPanels();
    void ResizePanels(int width, int height);
    void RemovePanels();
    tk::Form* ResolveForm(tk::Form*& slot, const std::string& name);
    void PlaceDialog();
    void DestroyPlacesBar();
    HWND Toolbar() const;
    HWND FileListArea() const;
    int FileNameId() const;
    bool Attached(tk::Form* form) const;
    void Attach(tk::Form* form, int left, int top, int width, int height);
    void Detach(tk::Form* form);
    void SetPlacesBarHeight();
    void Teardown();

    std::string apTitle_;
    TApDlgSelectionType selectionType_ = stStandard;
    TApOpenDlgControls visibleControls_ = kAllDlgControls;
    std::unique_ptr<TApCustDlgParams> custDlgParams_;
    std::unique_ptr<TApOpenDlgCaptions> captions_;
    std::unique_ptr<TApListViewStyles> listViewStyles_;
    std::unique_ptr<TApPlacesBarOptions> placesBar_;
    std::unique_ptr<TApToolBarOptions> toolBar_;
    IShellFolder* desktop_ = nullptr;

    // While a dialog is open.
    HWND dialogWnd_ = nullptr;
    HWND shellView_ = nullptr;
    HWND fileList_ = nullptr;
    HWND toolbar_ = nullptr;
    std::map<Kind, tk::WindowProcSwap> swaps_;
    struct SavedBar {
        HWND parent;
        bool visible;
        RECT bounds;
    };
    std::optional<SavedBar> savedCustomBar_;
    int rememberedWidth_ = 0, rememberedHeight_ = 0;
    int barWidth_ = 0;
    bool firstPaintPending_ = false;
    bool closing_ = false;
    bool setUp_ = false;
    tk::CoTaskMem folderPidl_;
    std::unique_ptr<TApPlacesBarWindow> bar_;
    TApCustomOpenDialog* savedActive_ = nullptr;
    HHOOK savedKeyboardHook_ = nullptr, savedCallWndHook_ = nullptr;
    HHOOK keyboardHook_ = nullptr, callWndHook_ = nullptr;
};

// Publishes the properties and events.
class TApOpenDialog : public TApCustomOpenDialog {
public:
    explicit TApOpenDialog(tk::Component* owner) : TApCustomOpenDialog(owner) {}
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
};

// The same dialog for saving.
class TApCustomSaveDialog : public TApCustomOpenDialog {
public:
    explicit TApCustomSaveDialog(tk::Component* owner) : TApCustomOpenDialog(owner) {}
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

protected:
    BOOL SystemDialog(OPENFILENAMEA& ofn) override { return GetSaveFileNameA(&ofn); }
};
