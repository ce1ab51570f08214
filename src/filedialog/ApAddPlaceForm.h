// The window that describes one place of the places bar: a new one, or one
// being edited.
#pragma once

#include "filedialog/ApPlacesBar.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Grids.h"
#include "toolkit/StdCtrls.h"

class TApAddPlaceFrm : public tk::Form {
public:
    explicit TApAddPlaceFrm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* Label7;
    tk::Panel* Panel1;
    tk::Image* Image1;
    tk::Label* Label8;
    tk::ComboBox* cbTargetType;
    tk::Label* Label1;
    tk::ComboBox* ePath;
    tk::Label* Label2;
    tk::Edit* eShort;
    tk::CheckBox* chkAutoCap;
    tk::Label* Label3;
    tk::Edit* eHint;
    tk::Label* Label6;
    tk::Edit* eIconLib;
    tk::SpeedButton* btnShowIcons;
    tk::SpeedButton* btnBrowseLib;
    tk::Label* Label4;
    tk::Label* Label5;
    tk::DrawGrid* dg1;
    tk::DrawGrid* dg2;
    tk::Bevel* Bevel1;
    tk::Button* Button1;
    tk::Button* Button2;

    // Where OK writes: the place being edited, or a new one appended to the
    // places.
    TApPlaces* Places = nullptr;
    TApPlace* Place = nullptr;
    // The library whose icons the grids show; empty until icons were shown.
    std::string IconLibrary() const { return iconLibrary_; }

    void FillFromPlace(const TApPlace& place);
    // A new path place for a name dropped from the shell.
    void FillFromName(const std::string& name);

    void FormShow();
    void cbTargetTypeChange();
    void chkAutoCapClick();
    void btnShowIconsClick();
    void btnBrowseLibClick();
    void dgDrawCell(HDC dc, int col, int row, RECT rect, unsigned state);
    void Button1Click();

private:
    enum TargetType { ttPath, ttSpecial, ttRegistry };
    void SetTargetType(TargetType type);
    void SelectIcons(int normal, int selected);
    std::string iconLibrary_;
    // The place's icon numbers and the columns first shown for them: a library
    // that cannot be read shows fewer icons than the place names.
    int storedIcons_[2] = {}, shownIcons_[2] = {};
};
