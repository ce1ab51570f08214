// The folder edit field: a one-line edit with a browse button inside its
// right edge, made of four layers: the edit with its embedded button, the
// button, the dialog events and drops, and the folder dialog.
#pragma once

#include "controls/FileCtrl.h"
#include "toolkit/StdCtrls.h"

enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
enum TDirDialogKind { dkVCL, dkWin32 };
// Sender, name (in/out), action (in/out).
using TExecOpenDialogEvent = std::function<void(tk::Component* sender, std::string& name, bool& action)>;

class TCustomComboEdit;

// The embedded button: it takes the focus for its field when pressed and
// blends into the field's border.
class TEditButton : public tk::SpeedButton {
public:
    TEditButton(tk::Component* owner, TCustomComboEdit* edit);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    bool ShowsHint() const override;

protected:
    void PaintFace(HDC dc) override;
    void MouseDown(tk::MouseButton b, tk::ShiftState shift, int x, int y) override;

private:
    TCustomComboEdit* edit_;
};

class TCustomComboEdit : public tk::Edit {
public:
    explicit TCustomComboEdit(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TEditButton* Button() const { return button_; }
    tk::Panel* ButtonHolder() const { return holder_; }
    std::function<void()> OnButtonClick;
    // Virtual-key code in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
    WORD ClickKey = 0x8028;
    bool AutoSelect = true;
    COLORREF Color = 0x80000000 | COLOR_WINDOW;
    int HelpContext = 0;

    // Blocks typing and the button.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // False keeps the text from typing, pasting and cutting; the button works.
    bool DirectInput() const { return directInput_; }
    void SetDirectInput(bool v);
    TGlyphKind GlyphKind() const { return glyphKind_; }
    void SetGlyphKind(TGlyphKind v);
    HBITMAP Glyph() const { return button_->Glyph(); }
    void SetGlyph(tk::BitmapHandle bmp);
    int NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(int v);
    int ButtonWidth() const { return button_->Width(); }
    void SetButtonWidth(int v);
    std::string ButtonHint() const { return button_->Hint(); }
    void SetButtonHint(const std::string& v) { button_->SetHint(v); }
    // Kept for the form description; the field applies no mask.
    std::string EditMask() const { return editMask_; }
    void SetEditMask(const std::string& v) { editMask_ = v; }
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    tk::BorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(tk::BorderStyle v);
    void SetEnabled(bool v) override;

    int MinimumHeight();
    // The button's action, unless the field is read-only.
    void TriggerButton();
    // Focus from the button or back from its dialog: what the user selected
    // stays selected, since the choice replaces the selection.
    void FocusKeepingSelection();

protected:
    virtual void ExecuteButton();
    // The picture for gkDefault, owned by whoever returns it.
    virtual HBITMAP DefaultGlyph() const { return nullptr; }
    void CreateParamsFor(tk::CreateParams& p) override;
    void InitWnd() override;
    void FontChanged() override;
    void Resize() override;
    void KeyDown(WORD& key, tk::ShiftState shift) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    bool OEMConvert = false;
    // Set while a constructor applies settings: widths apply directly.
    bool creating_ = false;
    // Set while focus arrives by a press or from the dialog: no AutoSelect.
    bool keepSelection_ = false;

private:
    void LayoutButton();
    void UpdateTextArea();
    void RebuildGlyph(bool kindChanged);
    void UpdateReadOnly();
    void PasteFirstLine();
    int TextHeight();
    void MakeCaret();

    tk::Panel* holder_;
    TEditButton* button_;
    bool readOnly_ = false;
    bool directInput_ = true;
    TGlyphKind glyphKind_ = gkCustom;
    int defaultGlyphCount_ = 1;
    std::string editMask_;
    bool ctl3D_ = true;
    tk::BorderStyle borderStyle_ = tk::BorderStyle::Single;
    tk::BrushHandle brush_;
    COLORREF brushColor_ = CLR_INVALID;
};

class TFileDirEdit : public TCustomComboEdit {
public:
    explicit TFileDirEdit(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    // The field is a drop target for names dragged from the shell.
    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool v);
    // The text may hold several folders separated by ";".
    bool MultipleDirs = false;
    std::function<void()> OnDropFiles;
    TExecOpenDialogEvent OnBeforeDialog;
    TExecOpenDialogEvent OnAfterDialog;

protected:
    HBITMAP DefaultGlyph() const override;
    // Takes one dropped name into the field.
    virtual void AcceptName(const std::string& name) = 0;
    virtual void FireBeforeDialog(std::string& name, bool& action);
    virtual void FireAfterDialog(std::string& name, bool& action);
    // Writes a choice: in place of the text, or after ";" with MultipleDirs.
    void TakeChoice(const std::string& name);
    void InitWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void DropFiles(HDROP drop);
    bool acceptFiles_ = false;
};

class TDirectoryEdit : public TFileDirEdit {
public:
    explicit TDirectoryEdit(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TDirDialogKind DialogKind = dkVCL;
    // Shown above the shell dialog's folder tree.
    std::string DialogText() const { return dialogText_; }
    void SetDialogText(const std::string& v) { dialogText_ = v; }
    TSelectDirOpts DialogOptions;
    // Start folder while the text is empty; follows each choice.
    std::string InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& v) { initialDir_ = v; }

protected:
    void ExecuteButton() override;
    void AcceptName(const std::string& name) override;

private:
    std::string dialogText_;
    std::string initialDir_;
};

// A key with its shift state in the encoding of ClickKey.
WORD ShortCut(WORD key, tk::ShiftState shift);
// Where the button holder lies in the edit's client area, for the edit's
// outer size and look.
tk::Bounds ButtonHolderBounds(bool newStyleControls, bool ctl3D, bool border, int width, int height, int buttonWidth);
// Three black dots centred on white, for a button of that width.
tk::BitmapHandle MakeEllipsisGlyph(int buttonWidth);
