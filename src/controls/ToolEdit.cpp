#include "controls/ToolEdit.h"

#include "controls/BrowseFolder.h"

#include <shellapi.h>

#include <algorithm>

namespace {
constexpr int kButtonWidth = 21, kButtonHeight = 17, kEditHeight = 21;
constexpr int kComboArrowBitmap = 32738;  // OBM_COMBO

tk::BitmapHandle CopyBitmap(HBITMAP bmp) {
    return tk::BitmapHandle(bmp ? static_cast<HBITMAP>(CopyImage(bmp, IMAGE_BITMAP, 0, 0, 0)) : nullptr);
}

// Clears a flag when a scope ends, however it ends.
struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
};
}  // namespace

WORD ShortCut(WORD key, tk::ShiftState shift) {
    WORD code = key & 0xFF;
    if (shift & tk::ssShift) code |= 0x2000;
    if (shift & tk::ssCtrl) code |= 0x4000;
    if (shift & tk::ssAlt) code |= 0x8000;
    return code;
}

tk::Bounds ButtonHolderBounds(bool newStyleControls, bool ctl3D, bool border, int width, int height, int buttonWidth) {
    if (!newStyleControls || !border) return {width - buttonWidth, 0, buttonWidth, height};
    if (ctl3D) return {width - buttonWidth - 4, 0, buttonWidth, height - 4};
    return {width - buttonWidth - 2, 2, buttonWidth, height - 4};
}

tk::BitmapHandle MakeEllipsisGlyph(int buttonWidth) {
    int w = std::max(1, buttonWidth - 6);
    int gap = std::min(std::max((w - 6) / 2, 1), 3);
    int x0 = (w - 6 - 2 * gap) / 2;
    tk::BitmapHandle bmp(CreateBitmap(w, 4, 1, 1, nullptr));
    tk::MemDc dc(CreateCompatibleDC(nullptr));
    tk::SelectObj sel(dc.get(), bmp.get());
    PatBlt(dc.get(), 0, 0, w, 4, WHITENESS);
    for (int i = 0; i < 3; ++i) PatBlt(dc.get(), x0 + i * (gap + 2), 1, 2, 2, BLACKNESS);
    return bmp;
}

// ---- TEditButton ----

const tk::ClassInfo& TEditButton::StaticClass() {
    static const tk::ClassInfo info{"TEditButton", &tk::SpeedButton::StaticClass(), {}, {}};
    return info;
}

TEditButton::TEditButton(tk::Component* owner, TCustomComboEdit* edit) : tk::SpeedButton(owner), edit_(edit) {}

bool TEditButton::ShowsHint() const { return edit_->ShowsHint(); }

void TEditButton::PaintFace(HDC dc) {
    tk::SpeedButton::PaintFace(dc);
    if (Pressed()) return;
    // Two columns at the left edge carry the field's border into the face.
    int h = Height();
    RECT outer{0, 0, 1, h - 1}, inner{1, 1, 2, h - 2};
    FillRect(dc, &outer, GetSysColorBrush(NewStyleControls() ? COLOR_BTNFACE : COLOR_BTNSHADOW));
    FillRect(dc, &inner, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

void TEditButton::MouseDown(tk::MouseButton b, tk::ShiftState shift, int x, int y) {
    if (b == tk::MouseButton::Left && edit_->TabStop && edit_->CanFocus() && !edit_->Focused())
        edit_->FocusKeepingSelection();
    tk::SpeedButton::MouseDown(b, shift, x, y);
}

// ---- TCustomComboEdit ----

const tk::ClassInfo& TCustomComboEdit::StaticClass() {
    static const tk::ClassInfo info{
        "TCustomComboEdit",
        &tk::Edit::StaticClass(),
        {tk::TextProp("EditMask", &TCustomComboEdit::EditMask, &TCustomComboEdit::SetEditMask),
         tk::TextProp("ButtonHint", &TCustomComboEdit::ButtonHint, &TCustomComboEdit::SetButtonHint)},
        {}};
    return info;
}

TCustomComboEdit::TCustomComboEdit(tk::Component* owner) : tk::Edit(owner) {
    holder_ = new tk::Panel(this);
    holder_->SetBounds(0, 0, kButtonWidth, kButtonHeight);
    holder_->SetParent(this);
    button_ = new TEditButton(this, this);
    button_->SetBounds(0, 0, kButtonWidth, kButtonHeight);
    button_->SetParent(holder_);
    button_->OnClick = [this] { TriggerButton(); };
    SetBounds(Left(), Top(), Width(), kEditHeight);
}

void TCustomComboEdit::CreateParamsFor(tk::CreateParams& p) {
    tk::Edit::CreateParamsFor(p);
    // One line of a multi-line edit: only that kind honours a formatting
    // rectangle, which keeps the text clear of the button.
    p.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
    if (OEMConvert) p.Style |= ES_OEMCONVERT;
    if (borderStyle_ == tk::BorderStyle::None) {
        p.ExStyle &= ~WS_EX_CLIENTEDGE;
    } else if (!ctl3D_) {
        p.ExStyle &= ~WS_EX_CLIENTEDGE;
        p.Style |= WS_BORDER;
    }
}

void TCustomComboEdit::InitWnd() {
    tk::Edit::InitWnd();
    LayoutButton();
}

void TCustomComboEdit::FontChanged() {
    tk::Edit::FontChanged();
    UpdateTextArea();
}

void TCustomComboEdit::Resize() {
    if (!Loading() && HandleAllocated() && Height() < MinimumHeight()) {
        SetBounds(Left(), Top(), Width(), MinimumHeight());  // comes back here at the new height
        return;
    }
    LayoutButton();
    tk::Edit::Resize();
}

void TCustomComboEdit::LayoutButton() {
    tk::Bounds b = ButtonHolderBounds(NewStyleControls(), ctl3D_, borderStyle_ != tk::BorderStyle::None, Width(),
                                      Height(), ButtonWidth());
    holder_->SetBounds(b.Left, b.Top, b.Width, b.Height);
    button_->SetBounds(0, 0, ButtonWidth(), b.Height);
    UpdateTextArea();
}

void TCustomComboEdit::UpdateTextArea() {
    if (!HandleAllocated()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    RECT r{0, 0, client.right - holder_->Width() - 2, client.bottom + 1};
    SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

int TCustomComboEdit::TextHeight() {
    tk::WindowDc dc(nullptr);
    TEXTMETRICA system{}, own{};
    {
        tk::SelectObj sel(dc.get(), GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(dc.get(), &system);
    }
    tk::SelectObj sel(dc.get(), EffectiveFont());
    GetTextMetricsA(dc.get(), &own);
    return std::min(system.tmHeight, own.tmHeight);
}

int TCustomComboEdit::MinimumHeight() { return TextHeight() + 4 * GetSystemMetrics(SM_CYBORDER) + 1; }

void TCustomComboEdit::MakeCaret() {
    POINT at{};
    GetCaretPos(&at);
    CreateCaret(Handle(), nullptr, EffectiveFontObject()->Bold() ? 2 : 1, TextHeight());
    SetCaretPos(at.x, at.y);
    ShowCaret(Handle());
}

void TCustomComboEdit::SetButtonWidth(int v) {
    if (v == ButtonWidth()) return;
    holder_->SetVisible(v >= 2);
    if (creating_) {
        holder_->SetBounds(holder_->Left(), holder_->Top(), v, holder_->Height());
        button_->SetBounds(0, 0, v, button_->Height());
        RebuildGlyph(false);
    } else if (v < ClientRect().right) {
        button_->SetBounds(0, 0, v, button_->Height());
        LayoutButton();
        RebuildGlyph(false);
    }
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind v) {
    if (v == glyphKind_) return;
    glyphKind_ = v;
    if (v == gkCustom && Loading()) button_->SetGlyph({});
    RebuildGlyph(true);
}

void TCustomComboEdit::SetGlyph(tk::BitmapHandle bmp) {
    button_->SetGlyph(std::move(bmp));
    glyphKind_ = gkCustom;
}

void TCustomComboEdit::SetNumGlyphs(int v) {
    switch (glyphKind_) {
    case gkDropDown:
    case gkEllipsis: button_->SetNumGlyphs(1); break;
    case gkDefault: button_->SetNumGlyphs(defaultGlyphCount_); break;
    case gkCustom: button_->SetNumGlyphs(v); break;
    }
}

void TCustomComboEdit::RebuildGlyph(bool kindChanged) {
    // A kind brings its natural width; a width written afterwards stands,
    // even one that hides the button.
    switch (glyphKind_) {
    case gkCustom:
        break;
    case gkDefault:
        if (HBITMAP glyph = DefaultGlyph()) {
            button_->SetGlyph(CopyBitmap(glyph));
            button_->SetNumGlyphs(defaultGlyphCount_);
            if (kindChanged)
                SetButtonWidth(std::max(static_cast<int>(tk::BitmapSize(glyph).cx) / defaultGlyphCount_ + 6, ButtonWidth()));
        }
        break;
    case gkDropDown:
        button_->SetGlyph(tk::BitmapHandle(LoadBitmapA(nullptr, MAKEINTRESOURCEA(kComboArrowBitmap))));
        button_->SetNumGlyphs(1);
        if (kindChanged) SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
        break;
    case gkEllipsis:
        button_->SetGlyph(MakeEllipsisGlyph(ButtonWidth()));
        button_->SetNumGlyphs(1);
        break;
    }
}

void TCustomComboEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    UpdateReadOnly();
}

void TCustomComboEdit::SetDirectInput(bool v) {
    directInput_ = v;
    UpdateReadOnly();
}

void TCustomComboEdit::UpdateReadOnly() {
    tk::Edit::ReadOnly = readOnly_ || !directInput_;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, tk::Edit::ReadOnly, 0);
}

void TCustomComboEdit::SetCtl3D(bool v) {
    if (v == ctl3D_) return;
    ctl3D_ = v;
    RecreateWnd();
}

void TCustomComboEdit::SetBorderStyle(tk::BorderStyle v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    RecreateWnd();
}

void TCustomComboEdit::SetEnabled(bool v) {
    tk::Edit::SetEnabled(v);
    button_->SetEnabled(v);
}

void TCustomComboEdit::TriggerButton() {
    if (!readOnly_) ExecuteButton();
}

void TCustomComboEdit::ExecuteButton() {
    if (OnButtonClick) OnButtonClick();
}

void TCustomComboEdit::KeyDown(WORD& key, tk::ShiftState shift) {
    tk::Edit::KeyDown(key, shift);
    if (key == VK_INSERT && shift == tk::ssShift) {
        key = 0;
        if (directInput_ && !readOnly_) PasteFirstLine();
        return;
    }
    if (key && ButtonWidth() > 0 && ShortCut(key, shift) == ClickKey) {
        key = 0;
        TriggerButton();
    }
}

void TCustomComboEdit::FocusKeepingSelection() {
    FlagScope keeping(keepSelection_);
    if (CanFocus()) SetFocus();
}

void TCustomComboEdit::PasteFirstLine() {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(Handle())) return;
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    text.resize(std::min(text.size(), text.find_first_of("\r\n")));
    SendMessageA(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TCustomComboEdit::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_CTLCOLOREDIT && msg != WM_CTLCOLORSTATIC) return tk::Edit::Reflected(msg, wp, lp, result);
    auto dc = reinterpret_cast<HDC>(wp);
    COLORREF back = tk::ColorToRGB(Color), grey = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, !Enabled() && back != grey ? grey : tk::ColorToRGB(EffectiveFontObject()->Color()));
    SetBkColor(dc, back);
    if (!brush_ || brushColor_ != back) {
        brush_.reset(CreateSolidBrush(back));
        brushColor_ = back;
    }
    result = reinterpret_cast<LRESULT>(brush_.get());
    return true;
}

LRESULT TCustomComboEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_GETDLGCODE:
        // Tab, Enter and Escape belong to the form, as in a one-line edit.
        // Asked without the message, the system edit stays out of its
        // dialog mode, in which Escape would close the parent window.
        return DefaultProc(msg, wp, 0) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    case WM_CHAR:
        if (wp == '\r' || wp == '\n') {  // Enter, Ctrl+Enter: never a line break
            char key = static_cast<char>(wp);
            KeyPress(key);
            return 0;
        }
        break;
    case WM_PAINT:
        if (!wp) {
            // Wine's multi-line edit loses what it types after scrolling
            // within a formatting rectangle: one line is cheap to paint whole.
            // It paints with its parent's clipping (CS_PARENTDC), so the
            // button is left out by hand.
            InvalidateRect(Handle(), nullptr, TRUE);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            if (holder_->Visible())
                ExcludeClipRect(dc, holder_->Left(), holder_->Top(), holder_->Left() + holder_->Width(),
                                holder_->Top() + holder_->Height());
            DefaultProc(msg, reinterpret_cast<WPARAM>(dc), 0);
            EndPaint(Handle(), &ps);
            return 0;
        }
        break;
    case WM_NCPAINT: {
        // Wine draws the themed border of an edit over the whole window,
        // its children included: the button goes on top again.
        LRESULT r = tk::Edit::WndProc(msg, wp, lp);
        if (holder_->HandleAllocated() && holder_->Visible())
            RedrawWindow(holder_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return r;
    }
    case WM_PASTE:
        if (directInput_ && !readOnly_) PasteFirstLine();
        return 0;
    case WM_CUT:
        if (!directInput_ || readOnly_) return 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        FlagScope pressing(keepSelection_);
        return tk::Edit::WndProc(msg, wp, lp);
    }
    case WM_SETFOCUS: {
        LRESULT r = tk::Edit::WndProc(msg, wp, lp);
        if (AutoSelect && !keepSelection_ && directInput_) SelectAll();
        MakeCaret();
        return r;
    }
    default:
        break;
    }
    return tk::Edit::WndProc(msg, wp, lp);
}

// ---- TFileDirEdit ----

const tk::ClassInfo& TFileDirEdit::StaticClass() {
    static const tk::ClassInfo info{"TFileDirEdit", &TCustomComboEdit::StaticClass(), {}, {}};
    return info;
}

TFileDirEdit::TFileDirEdit(tk::Component* owner) : TCustomComboEdit(owner) {
    OEMConvert = true;
    FlagScope creating(creating_);
    SetGlyphKind(gkDefault);
}

HBITMAP TFileDirEdit::DefaultGlyph() const {
    static const tk::BitmapHandle shared = tk::LoadResBitmap("FEDITBMP");
    return shared.get();
}

void TFileDirEdit::SetAcceptFiles(bool v) {
    acceptFiles_ = v;
    if (HandleAllocated()) DragAcceptFiles(Handle(), v);
}

void TFileDirEdit::InitWnd() {
    TCustomComboEdit::InitWnd();
    if (acceptFiles_) DragAcceptFiles(Handle(), TRUE);
}

void TFileDirEdit::FireBeforeDialog(std::string& name, bool& action) {
    if (OnBeforeDialog) OnBeforeDialog(this, name, action);
}

void TFileDirEdit::FireAfterDialog(std::string& name, bool& action) {
    if (OnAfterDialog) OnAfterDialog(this, name, action);
}

void TFileDirEdit::TakeChoice(const std::string& name) {
    std::string text = Text();
    SetText(text.empty() || !MultipleDirs ? name : text + ";" + name);
}

void TFileDirEdit::DropFiles(HDROP drop) {
    tk::DropHandle finish(drop);
    if (!acceptFiles_) return;
    bool taken = false;
    for (const std::string& name : tk::DroppedFiles(drop)) {
        // An empty list still counts one empty name; it must not wipe the text.
        if (name.empty()) continue;
        AcceptName(name);
        taken = true;
        if (!MultipleDirs) break;
    }
    if (taken && OnDropFiles) OnDropFiles();
}

LRESULT TFileDirEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_DESTROY:
        if (acceptFiles_) DragAcceptFiles(Handle(), FALSE);
        break;
    default:
        break;
    }
    return TCustomComboEdit::WndProc(msg, wp, lp);
}

// ---- TDirectoryEdit ----

const tk::ClassInfo& TDirectoryEdit::StaticClass() {
    static const tk::ClassInfo info{
        "TDirectoryEdit",
        &TFileDirEdit::StaticClass(),
        {tk::TextProp("DialogText", &TDirectoryEdit::DialogText, &TDirectoryEdit::SetDialogText),
         tk::TextProp("InitialDir", &TDirectoryEdit::InitialDir, &TDirectoryEdit::SetInitialDir)},
        {}};
    return info;
}

TDirectoryEdit::TDirectoryEdit(tk::Component* owner) : TFileDirEdit(owner) {}

void TDirectoryEdit::ExecuteButton() {
    TFileDirEdit::ExecuteButton();
    std::string name = Text();
    bool action = true;
    FireBeforeDialog(name, action);
    if (!action) return;
    {
        // The system gives the focus back as the dialog closes.
        FlagScope keeping(keepSelection_);
        // Before the start folder is looked at: a drive without media must
        // not raise a system box either.
        tk::ErrorModeScope quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        const std::string root(1, '\\');  // of the current drive
        if (name.empty()) name = initialDir_.empty() ? root : initialDir_;
        if (!IsExistingFolder(name)) name = root;
        action = DialogKind == dkWin32 && NewStyleControls() ? ChooseFolder(name, dialogText_, HelpContext)
                                                              : SelectDirectory(name, DialogOptions, HelpContext);
    }
    FocusKeepingSelection();
    FireAfterDialog(name, action);
    if (!action) return;
    if (HandleAllocated()) SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    TakeChoice(name);
    if (!name.empty() && IsExistingFolder(name)) initialDir_ = name;
}

void TDirectoryEdit::AcceptName(const std::string& name) {
    TakeChoice(tk::FileExists(name) ? tk::ExtractFilePath(name) : name);
}
