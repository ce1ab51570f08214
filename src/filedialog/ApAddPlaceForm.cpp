#include "filedialog/ApAddPlaceForm.h"

#include "toolkit/CommDlg.h"
#include "toolkit/Dialogs.h"

#include <algorithm>
#include <iterator>

using tk::Make;

namespace {
const char* const kTargetTypes[] = {"Folder/file path", "Special shell folder", "Registry value"};

void SetComboStyle(tk::ComboBox* combo, tk::ComboStyle style) {
    if (combo->Style == style) return;
    combo->Style = style;
    combo->RecreateWnd();
}
}  // namespace

const tk::ClassInfo& TApAddPlaceFrm::StaticClass() {
    static const tk::ClassInfo info{"TApAddPlaceFrm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TApAddPlaceFrm::TApAddPlaceFrm(tk::Component* owner) : tk::Form(owner) {
    Describe({"ApAddPlaceFrm", "Places bar item", 394, 319, tk::BorderStyle::Dialog, tk::biSystemMenu,
              tk::FormPosition::ScreenCenter});

    Label7 = Make<tk::Label>(this, this, "Label7", {8, 8, 332, 19}, "Fastest way to access your folders and files");
    Panel1 = Make<tk::Panel>(this, this, "Panel1", {8, 37, 97, 233}, "", 10);
    Image1 = Make<tk::Image>(this, Panel1, "Image1", {1, 1, 95, 231});
    Label8 = Make<tk::Label>(this, this, "Label8", {120, 40, 0, 0}, "&Target type:");
    cbTargetType = Make<tk::ComboBox>(this, this, "cbTargetType", {192, 40, 193, 21}, "", 0);
    Label1 = Make<tk::Label>(this, this, "Label1", {120, 72, 0, 0}, "Target:");
    ePath = Make<tk::ComboBox>(this, this, "ePath", {168, 72, 217, 21}, "", 1);
    Label2 = Make<tk::Label>(this, this, "Label2", {120, 104, 0, 0}, "&Caption:");
    eShort = Make<tk::Edit>(this, this, "eShort", {168, 104, 121, 21}, "", 2);
    chkAutoCap = Make<tk::CheckBox>(this, this, "chkAutoCap", {296, 104, 89, 17}, "&Auto caption", 3);
    Label3 = Make<tk::Label>(this, this, "Label3", {120, 136, 0, 0}, "&Hint:");
    eHint = Make<tk::Edit>(this, this, "eHint", {168, 136, 217, 21}, "", 4);
    Label6 = Make<tk::Label>(this, this, "Label6", {120, 168, 0, 0}, "&Icons from library:");
    eIconLib = Make<tk::Edit>(this, this, "eIconLib", {208, 168, 127, 21}, "shell32.dll", 5);
    btnShowIcons = Make<tk::SpeedButton>(this, this, "btnShowIcons", {336, 168, 23, 22});
    btnBrowseLib = Make<tk::SpeedButton>(this, this, "btnBrowseLib", {359, 168, 23, 22});
    Label4 = Make<tk::Label>(this, this, "Label4", {120, 200, 0, 0}, "&Normal:");
    Label5 = Make<tk::Label>(this, this, "Label5", {256, 200, 0, 0}, "S&elected:");
    dg1 = Make<tk::DrawGrid>(this, this, "dg1", {120, 216, 129, 57}, "", 6);
    dg2 = Make<tk::DrawGrid>(this, this, "dg2", {256, 216, 129, 57}, "", 7);
    Bevel1 = Make<tk::Bevel>(this, this, "Bevel1", {8, 280, 377, 10});
    Button1 = Make<tk::Button>(this, this, "Button1", {232, 288, 75, 25}, "OK", 8);
    Button2 = Make<tk::Button>(this, this, "Button2", {312, 288, 75, 25}, "Cancel", 9);

    tk::Font* title = Label7->GetFont();
    title->SetName("Arial");
    title->SetHeight(-16);
    title->SetBold(true);
    title->SetColor(tk::clBlack);
    Panel1->BevelInner = tk::BevelCut::Lowered;
    Bevel1->Shape = tk::BevelShape::TopLine;
    Image1->Picture()->SetHandle(tk::LoadResBitmap("ADDPLACEPICTURE").release());
    for (const char* type : kTargetTypes) cbTargetType->Items()->Add(type);
    cbTargetType->Style = tk::ComboStyle::DropDownList;
    ePath->Style = tk::ComboStyle::Simple;
    Label1->FocusControl = ePath;
    Label2->FocusControl = eShort;
    Label3->FocusControl = eHint;
    Label6->FocusControl = eIconLib;
    Label4->FocusControl = dg1;
    Label5->FocusControl = dg2;
    Label8->FocusControl = cbTargetType;
    eShort->SetHint("Caption");
    eHint->SetHint("Hint for this place");
    eIconLib->SetHint("Extract icons from this library");
    btnShowIcons->SetHint("Load images from selected library");
    btnBrowseLib->SetHint("Browse for icon file");
    dg1->SetHint("Select icon wich will be displayed when this place is not selected");
    dg2->SetHint("Select icon to represent this place when it is selected on the places bar");
    for (tk::Control* c : std::initializer_list<tk::Control*>{eShort, eHint, eIconLib, btnShowIcons, btnBrowseLib, dg1, dg2})
        c->ShowHint = true;
    for (tk::SpeedButton* b : {btnShowIcons, btnBrowseLib}) b->Flat = true;
    btnShowIcons->SetGlyph(tk::LoadResBitmap("SHOWICONS"));
    btnBrowseLib->SetGlyph(tk::LoadResBitmap("BROWSELIB"));
    for (tk::DrawGrid* grid : {dg1, dg2}) {
        grid->SetRowCount(1);
        grid->SetColCount(1);
        grid->SetCellSize(40, 40);
        grid->ThumbTracking = true;
        grid->OnDrawCell = [this](HDC dc, int col, int row, RECT rect, unsigned state) {
            dgDrawCell(dc, col, row, rect, state);
        };
    }
    Button1->Default = true;
    Button1->ModalResult = tk::mrOk;
    Button2->Cancel = true;
    Button2->ModalResult = tk::mrCancel;
    SetActiveControl(eShort);

    OnShow = [this] { FormShow(); };
    cbTargetType->OnChange = [this] { cbTargetTypeChange(); };
    chkAutoCap->OnClick = [this] { chkAutoCapClick(); };
    btnShowIcons->OnClick = [this] { btnShowIconsClick(); };
    btnBrowseLib->OnClick = [this] { btnBrowseLibClick(); };
    Button1->OnClick = [this] { Button1Click(); };
}

void TApAddPlaceFrm::FormShow() { SetCaption(Place ? "Places Bar item" : "New Places Bar item"); }

// Sets the type without the user's change event: the path field becomes a
// list of the special folders or a free text.
void TApAddPlaceFrm::SetTargetType(TargetType type) {
    cbTargetType->SetItemIndex(type);
    if (type == ttSpecial) {
        SetComboStyle(ePath, tk::ComboStyle::DropDownList);
        ePath->Items()->Assign(ApSupportedFolderCaptions());
    } else {
        SetComboStyle(ePath, tk::ComboStyle::Simple);
    }
}

void TApAddPlaceFrm::FillFromPlace(const TApPlace& place) {
    eShort->SetText(place.PlaceName());
    eHint->SetText(place.PlaceDesc());
    if (place.AutoCaption) {
        chkAutoCap->SetChecked(true);
        chkAutoCapClick();
    }
    switch (place.Kind()) {
    case pkSpecial: {
        SetTargetType(ttSpecial);
        auto it = std::find(std::begin(kApSupportedFolders), std::end(kApSupportedFolders), place.PlaceSpecPath);
        ePath->SetItemIndex(it == std::end(kApSupportedFolders) ? -1 : static_cast<int>(it - std::begin(kApSupportedFolders)));
        break;
    }
    case pkRegistry:
        SetTargetType(ttRegistry);
        ePath->SetText(place.PlaceRegPath());
        break;
    case pkPath:
        SetTargetType(ttPath);
        ePath->SetText(place.PlacePath());
        break;
    }
    eIconLib->SetText(place.PlaceIconDll());
    btnShowIconsClick();
    SelectIcons(place.PlaceIcon, place.PlaceHotIcon);
}

void TApAddPlaceFrm::FillFromName(const std::string& name) {
    SetTargetType(ttPath);
    ePath->Items()->Assign(ApSupportedFolderCaptions());
    ePath->SetText(name);
    eShort->SetText(tk::ExtractFileName(name));
    eHint->SetText(tk::ExtractFileName(name));
    eIconLib->SetText("Shell32.dll");
    btnShowIconsClick();
    if (tk::DirectoryExists(name)) SelectIcons(3, 4);
    else SelectIcons(0, 0);
}

// Each grid's chosen icon becomes its leftmost column shown; an index past
// the library's icons chooses the last one.
void TApAddPlaceFrm::SelectIcons(int normal, int selected) {
    int i = 0;
    for (auto [grid, col] : {std::pair{dg1, normal}, std::pair{dg2, selected}}) {
        grid->SetCol(col);
        grid->SetLeftCol(grid->Col());
        storedIcons_[i] = col;
        shownIcons_[i++] = grid->Col();
    }
}

void TApAddPlaceFrm::cbTargetTypeChange() {
    if (cbTargetType->ItemIndex() == ttSpecial) {
        SetTargetType(ttSpecial);
        // A special folder is always chosen.
        ePath->SetItemIndex(0);
    } else {
        SetComboStyle(ePath, tk::ComboStyle::Simple);
    }
}

void TApAddPlaceFrm::chkAutoCapClick() { eShort->SetEnabled(!chkAutoCap->Checked()); }

void TApAddPlaceFrm::btnShowIconsClick() {
    const std::string file = eIconLib->Text();
    const int n = tk::IconCount(file);
    if (n < 1) {
        tk::ShowMessageBox("No icons were found in the file", "New place - Icon library", MB_ICONHAND | MB_OK);
        // The icons shown stay, and so does the library they come from.
        if (!iconLibrary_.empty()) eIconLib->SetText(iconLibrary_);
        return;
    }
    iconLibrary_ = file;
    for (tk::DrawGrid* grid : {dg1, dg2}) {
        grid->SetColCount(n);
        grid->Invalidate();
    }
}

void TApAddPlaceFrm::btnBrowseLibClick() {
    tk::OpenDialog dialog(nullptr);
    dialog.Filter = "Executables|*.exe;*.dll;*.ocx;*.bpl;*.cpl;|Icons|*.ico|All files|*.*";
    dialog.SetTitle("Browse for icon library");
    dialog.SetFileName(eIconLib->Text());
    if (dialog.Execute()) eIconLib->SetText(dialog.FileName());
}

void TApAddPlaceFrm::dgDrawCell(HDC dc, int col, int row, RECT rect, unsigned state) {
    if (iconLibrary_.empty() || row != 0) return;
    if (state & tk::gdFocused) {
        tk::BrushHandle caption(CreateSolidBrush(tk::ColorToRGB(tk::clActiveCaption)));
        FillRect(dc, &rect, caption.get());
    }
    tk::IconHandle icon = tk::ExtractIconFrom(iconLibrary_, col);
    if (!icon) return;
    const SIZE size = tk::IconSize(icon.get());
    DrawIconEx(dc, rect.left + (rect.right - rect.left) / 2 - size.cx / 2,
               rect.top + (rect.bottom - rect.top) / 2 - size.cy / 2, icon.get(), size.cx, size.cy, 0, nullptr,
               DI_NORMAL);
}

void TApAddPlaceFrm::Button1Click() {
    if (!Places) return;
    if (!Place) Place = Places->AddPlace();
    TApPlace& p = *Place;
    p.SetPlaceName(eShort->Text());
    p.SetPlaceDesc(eHint->Text());
    p.AutoCaption = chkAutoCap->Checked();
    switch (cbTargetType->ItemIndex()) {
    case ttSpecial: {
        // Without a chosen entry the place keeps its folder.
        const int entry = ePath->ItemIndex();
        if (entry >= 0 && entry < static_cast<int>(std::size(kApSupportedFolders)))
            p.PlaceSpecPath = kApSupportedFolders[entry];
        p.SetPlaceRegPath("");
        p.SetPlacePath("");
        break;
    }
    case ttRegistry:
        p.PlaceSpecPath = ftNone;
        p.SetPlaceRegPath(ePath->GetText());
        p.SetPlacePath("");
        break;
    default:
        p.PlaceSpecPath = ftNone;
        p.SetPlaceRegPath("");
        p.SetPlacePath(ePath->GetText());
        break;
    }
    p.SetPlaceIconDll(eIconLib->Text());
    // Unless the user picked another icon, the stored one stays.
    p.PlaceIcon = dg1->Col() != shownIcons_[0] ? dg1->Col() : storedIcons_[0];
    p.PlaceHotIcon = dg2->Col() != shownIcons_[1] ? dg2->Col() : storedIcons_[1];
}
