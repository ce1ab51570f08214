#include "filedialog/ApPlacesBarForm.h"

#include "filedialog/ApAddPlaceForm.h"
#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"

#include <cstdlib>

using tk::Make;

namespace {
constexpr int kLookIn = 1137;  // cmb2, the dialog's folder combo box

std::wstring FileSystemPath(LPCITEMIDLIST pidl) {
    std::wstring s = fs::ItemPath(pidl);
    if (s.size() > 3 && s.back() == L'\\') s.pop_back();
    return s;
}

// The shell's comparison, and where it tells two lists apart, the folders
// they name on disk: Wine gives My Documents an item list of its own that
// differs from the list of the folder it stands for.
bool SameFolder(IShellFolder* desktop, LPCITEMIDLIST current, LPCITEMIDLIST place) {
    const HRESULT hr = desktop->CompareIDs(0, current, place);
    if (SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0) return true;
    const std::wstring path = FileSystemPath(current);
    return !path.empty() && lstrcmpiW(path.c_str(), FileSystemPath(place).c_str()) == 0;
}
}  // namespace

// ---- TApPlaceButton ----

const tk::ClassInfo& TApPlaceButton::StaticClass() {
    static const tk::ClassInfo info{"TApPlaceButton", &tk::ToolButton::StaticClass(), {}, {}};
    return info;
}

void TApPlaceButton::SetIconDll(const std::string& v) {
    iconDll_ = v;
    icon_ = tk::ExtractIconFrom(v, 0);
    Invalidate();
}

void TApPlaceButton::SetIconIndex(int v) {
    iconIndex_ = v;
    icon_ = tk::ExtractIconFrom(iconDll_, v);
    Invalidate();
}

void TApPlaceButton::SetIconSelIndex(int v) {
    iconSelIndex_ = v;
    selIcon_ = tk::ExtractIconFrom(iconDll_, v);
    Invalidate();
}

bool TApPlaceButton::Hot() {
    POINT pt;
    return GetCursorPos(&pt) && tk::Control::ControlAtPos(pt) == this;
}

void TApPlaceButton::Paint(HDC screen) {
    const int w = Width(), h = Height();
    if (!GetToolBar() || w <= 0 || h <= 0) return;
    const SIZE have = tk::BitmapSize(buffer_.get());
    if (have.cx != w || have.cy != h) buffer_.reset(CreateCompatibleBitmap(screen, w, h));
    tk::MemDc mem(CreateCompatibleDC(screen));
    const HDC dc = mem.get();
    tk::SelectObj bitmap(dc, buffer_.get());
    tk::SelectObj font(dc, EffectiveFont());
    const COLORREF shadow = tk::ColorToRGB(tk::clBtnShadow);
    tk::BrushHandle face(CreateSolidBrush(shadow));
    RECT all{0, 0, w, h};
    FillRect(dc, &all, face.get());

    auto extent = [dc](const std::string& s) { return tk::TextExtent(dc, s); };
    const std::string caption = Caption();
    const int th = extent(caption).cy;
    const bool pressed = Down();
    if (HICON icon = pressed ? selIcon_.get() : icon_.get()) {
        const SIZE size = tk::IconSize(icon);
        DrawIconEx(dc, w / 2 - size.cx / 2, h / 2 - size.cy / 2 - th / 2, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    }

    tk::PenHandle black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0))), white(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    auto line = [dc](HPEN pen, int x1, int y1, int x2, int y2) {
        tk::SelectObj use(dc, pen);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    };
    if (pressed) {
        line(black.get(), 0, 0, w - 1, 0);
        line(black.get(), 0, 0, 0, h);
        line(white.get(), w - 1, 0, w - 1, h);
        line(white.get(), w - 1, h - 1, 0, h - 1);
    } else if (Hot()) {
        line(black.get(), 0, h - 1, w - 1, h - 1);
        line(black.get(), w - 1, 0, w - 1, h);
        line(white.get(), 0, 0, w - 1, 0);
        line(white.get(), 0, 0, 0, h - 1);
    }

    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, shadow);
    SetTextColor(dc, tk::ColorToRGB(tk::clHighlightText));
    const int tw = extent(caption).cx;
    if (tw <= w - 4) {
        tk::WriteText(dc, w / 2 - tw / 2, h - th - 2, caption);
    } else {
        // Cut where the text grows wider than the room left beside "...",
        // between whole characters.
        const int room = w - extent("...").cx - 6;
        const std::wstring wide = fs::Widen(caption);
        size_t cut = 1;
        for (size_t i = 0; i <= wide.size(); ++i) {
            if (i < wide.size() && IS_LOW_SURROGATE(wide[i])) continue;
            if (extent(fs::Narrow(wide.substr(0, i))).cx > room) {
                cut = i;
                break;
            }
        }
        const std::string text = fs::Narrow(wide.substr(0, cut)) + "...";
        RECT clip{3, h - th - 2, w - 1, h - 2};
        tk::WriteText(dc, 3, h - th - 4, text, ETO_CLIPPED | ETO_OPAQUE, &clip);
    }
    BitBlt(screen, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

// ---- TApPlacesBarFrm ----

const tk::ClassInfo& TApPlacesBarFrm::StaticClass() {
    static const tk::ClassInfo info{"TApPlacesBarFrm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TApPlacesBarFrm::TApPlacesBarFrm(tk::Component* owner) : tk::Form(owner) {
    Describe({"ApPlacesBarFrm", "", 119, 232, tk::BorderStyle::None, 0, tk::FormPosition::Designed});

    Panel1 = Make<tk::Panel>(this, this, "Panel1", {0, 0, 119, 232});
    ps1 = Make<tk::PageScroller>(this, Panel1, "ps1", {0, 0, 119, 232});
    ToolBar1 = Make<tk::ToolBar>(this, ps1, "ToolBar1", {0, 0, 87, 0});
    pop1 = tk::MakeComponent<tk::PopupMenu>(this, "pop1");
    Deleteplace1 = pop1->Add("Deleteplace1", "Delete place...");
    Changeplace1 = pop1->Add("Changeplace1", "Properties...");

    Panel1->Color = tk::clBtnShadow;
    Panel1->SetBorder(true);
    ps1->Vertical = true;
    ps1->Color = tk::clBtnShadow;
    ps1->SetControl(ToolBar1);
    ToolBar1->SetButtonSize(87, 49);
    ToolBar1->Color = tk::clBtnShadow;
    ToolBar1->SetPopupMenu(pop1);

    // The panel fills the window and the scroller the panel.
    OnResize = [this] { Panel1->SetBounds(0, 0, Width(), Height()); };
    Panel1->OnResize = [this] {
        const RECT r = Panel1->ClientRect();
        ps1->SetBounds(0, 0, r.right, r.bottom);
    };
    OnCreate = [this] { FormCreate(); };
    Deleteplace1->OnClick = [this] { Deleteplace1Click(); };
    Changeplace1->OnClick = [this] { Changeplace1Click(); };
    OnDropFiles = [this](const std::vector<std::string>& names) { FormDropFiles(names); };
}

void TApPlacesBarFrm::FormCreate() {
    // The shell's own words for the two commands, where it has them.
    if (std::string text = ShellString(33553); !text.empty()) Deleteplace1->SetCaption(text + "...");
    if (std::string text = ShellString(33555); !text.empty()) Changeplace1->SetCaption(text + "...");
    ToolBar1->OnCustomDrawButton = [](tk::ToolButton*, bool& defaultDraw) { defaultDraw = false; };
}

void TApPlacesBarFrm::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void TApPlacesBarFrm::AddPlaceButton(const TApPlace& place) {
    auto* button = new TApPlaceButton(this);
    button->Style = tk::ToolButtonStyle::Check;
    button->Grouped = true;
    button->SetCaption(place.PlaceName());
    button->SetHint(place.PlaceDesc());
    button->ShowHint = true;
    button->SetIconDll(place.PlaceIconDll());
    button->SetIconIndex(place.PlaceIcon);
    button->SetIconSelIndex(place.PlaceHotIcon);
    button->OnClick = [this, button] { PlaceButtonClick(button); };
    button->OnMouseDown = [this](tk::MouseButton b, tk::ShiftState, int x, int y) {
        if (b == tk::MouseButton::Left) pressedAt_ = {x, y};
    };
    button->OnMouseMove = [this, button](tk::ShiftState shift, int x, int y) {
        if (!(shift & tk::ssLeft) || tk::Control::Dragging()) return;
        if (std::abs(x - pressedAt_.x) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(y - pressedAt_.y) > GetSystemMetrics(SM_CYDRAG))
            button->BeginDrag();
    };
    button->OnDragOver = [button](tk::Control* source, int, int, bool& accept) {
        accept = source != button && dynamic_cast<TApPlaceButton*>(source);
    };
    // The rebuild this causes keeps the dragged button until its drag is over.
    button->OnEndDrag = [this, button](tk::Control* target, int, int) {
        auto* onto = dynamic_cast<TApPlaceButton*>(target);
        if (!onto || onto == button || !Places) return;
        Places->MovePlace(button->Index(), onto->Index());
        RebuildButtons();
    };
    ToolBar1->AddButton(button);
}

void TApPlacesBarFrm::RebuildButtons() {
    // A button may be running the handler that asked for this: it goes later.
    while (ButtonCount() > 0) {
        TApPlaceButton* button = Buttons(ButtonCount() - 1);
        ToolBar1->RemoveButton(button);
        tk::Release(button);
    }
    if (Places)
        for (int i = 0; i < Places->Count(); ++i) AddPlaceButton(*Places->Items(i));
    ps1->Recalc();
    // The current folder's button stays pressed through a new order.
    if (Dialog && Dialog->DialogHandle()) FolderSync();
}

void TApPlacesBarFrm::FolderSync() {
    if (!Dialog || !Places || !Dialog->DesktopFolder()) return;
    IShellFolder* desktop = Dialog->DesktopFolder();
    const LPCITEMIDLIST current = Dialog->CurrentFolderPidl();
    auto isCurrent = [&](int i) {
        tk::CoTaskMem pidl = Places->Items(i)->PlacePidl(desktop);
        return current && pidl && SameFolder(desktop, current, static_cast<LPCITEMIDLIST>(pidl.get()));
    };
    const int n = std::min(Places->Count(), ButtonCount());
    for (int i = 0; i < n; ++i)
        if (Buttons(i)->Down()) {
            if (!isCurrent(i)) Buttons(i)->SetDown(false);
            break;
        }
    for (int i = 0; i < n; ++i)
        if (isCurrent(i)) {
            Buttons(i)->SetDown(true);
            break;
        }
}

void TApPlacesBarFrm::SelectInLookIn(TApSpecShellFolder folder) {
    Dialog->NavigateTo(Dialog->CurrentFolderPath());
    const HWND dialog = Dialog->DialogHandle();
    const HWND combo = GetDlgItem(dialog, kLookIn);
    if (!combo) return;
    const std::string caption = SpecialFolderCaption(folder);
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(caption.c_str()));
    for (WORD code : {CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kLookIn, code), reinterpret_cast<LPARAM>(combo));
}

void TApPlacesBarFrm::NavigateToSpecialFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(Dialog->DialogHandle(), csidl, &pidl))) return;
    tk::CoTaskMem owned(pidl);
    if (const std::wstring path = fs::ItemPath(pidl); !path.empty()) Dialog->NavigateTo(tk::CarriedName(path));
}

void TApPlacesBarFrm::PlaceButtonClick(TApPlaceButton* button) {
    const int i = button->Index();
    if (!Dialog || !Places || i < 0 || i >= Places->Count()) return;
    const TApPlace& place = *Places->Items(i);
    if (place.Kind() == pkSpecial) {
        switch (place.PlaceSpecPath) {
        case ftDesktop:
        case ftDrives: SelectInLookIn(place.PlaceSpecPath); break;
        case ftPersonal: NavigateToSpecialFolder(CSIDL_PERSONAL); break;
        default: NavigateToSpecialFolder(CSIDL_FAVORITES); break;
        }
        return;
    }
    // A target that is gone leads nowhere.
    const std::string target = place.TargetPath();
    if (target.empty()) return;
    if (tk::DirectoryExists(target)) {
        Dialog->NavigateTo(target);
    } else if (tk::FileExists(target)) {
        Dialog->NavigateTo(tk::ExtractFilePath(target));
        Dialog->SetFileNameText(tk::ExtractFileName(target));
    }
}

TApPlaceButton* TApPlacesBarFrm::PopupButton() {
    if (!ToolBar1->HandleAllocated()) return nullptr;
    POINT pt = pop1->PopupPoint();
    ScreenToClient(ToolBar1->Handle(), &pt);
    return dynamic_cast<TApPlaceButton*>(ToolBar1->GraphicChildAt(pt, false));
}

void TApPlacesBarFrm::Deleteplace1Click() {
    TApPlaceButton* button = PopupButton();
    if (!button || !Places) return;
    const std::string question = "Are you sure you want to delete this place?\rPlace: " + button->Caption();
    if (tk::ShowMessageBox(question, "Place bar", MB_ICONQUESTION | MB_YESNO) != IDYES) return;
    Places->Delete(button->Index());
    ToolBar1->RemoveButton(button);
    delete button;
    ps1->Recalc();
}

void TApPlacesBarFrm::Changeplace1Click() {
    TApPlaceButton* button = PopupButton();
    if (!button || !Places) return;
    TApPlace* place = Places->Items(button->Index());
    std::unique_ptr<TApAddPlaceFrm> window(new TApAddPlaceFrm(tk::App));
    window->AfterConstruction();
    window->Places = Places;
    window->Place = place;
    window->FillFromPlace(*place);
    if (window->ShowModal() != tk::mrOk) return;
    button->SetIconDll(place->PlaceIconDll());
    button->SetCaption(place->PlaceName());
    button->SetHint(place->PlaceDesc());
    button->SetIconIndex(place->PlaceIcon);
    button->SetIconSelIndex(place->PlaceHotIcon);
    button->Invalidate();
}

void TApPlacesBarFrm::FormDropFiles(const std::vector<std::string>& names) {
    if (!Places) return;
    std::unique_ptr<TApAddPlaceFrm> window(new TApAddPlaceFrm(tk::App));
    window->AfterConstruction();
    for (const std::string& name : names) {
        window->FillFromName(name);
        window->Places = Places;
        window->Place = nullptr;
        if (tk::App) tk::App->CancelHint();
        window->ShowModal();
    }
    window.reset();
    RebuildButtons();
}

std::unique_ptr<TApPlacesBarWindow> ApCreatePlacesBar(TApPlacesBarHost& dialog, HWND dialogWnd) {
    std::unique_ptr<TApPlacesBarFrm> bar(new TApPlacesBarFrm(tk::App));
    bar->AfterConstruction();
    const HWND h = bar->Handle();
    SetWindowLongPtrA(h, GWL_STYLE, (GetWindowLongPtrA(h, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(h, dialogWnd);
    TApPlacesBarOptions& options = *dialog.PlacesBar();
    bar->Panel1->SetBorder(options.BorderStyle == TApBarBorder::bsSingle);
    bar->tk::Control::SetVisible(false);
    bar->Dialog = &dialog;
    if (!options.RegistryKey().empty()) options.LoadPlaces();
    bar->SetAcceptFiles(options.AllowDrop);
    bar->SetBounds(4, 33, options.BarWidth(), bar->Height());
    bar->tk::Control::SetVisible(true);
    bar->ps1->SetAutoScroll(options.AutoScroll);
    bar->Changeplace1->Enabled = options.AllowEdit;
    bar->Deleteplace1->Enabled = options.AllowDelete;
    bar->Places = options.Places();
    bar->RebuildButtons();
    return bar;
}
