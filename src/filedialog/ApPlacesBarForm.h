// The places bar window: a column of place buttons at the left of the
// extended open dialog.
#pragma once

#include "filedialog/ApPlacesBar.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Menus.h"


// A place's button: its icons come from a library file, and it paints
// itself, caption and all.
class TApPlaceButton : public tk::ToolButton {
public:
    explicit TApPlaceButton(tk::Component* owner) : tk::ToolButton(owner) {}
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string IconDll() const { return iconDll_; }
    void SetIconDll(const std::string& v);
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int v);
    int IconSelIndex() const { return iconSelIndex_; }
    void SetIconSelIndex(int v);
    // The control under the pointer is this button.
    bool Hot();
    void Paint(HDC dc) override;

private:
    std::string iconDll_;
    int iconIndex_ = 0, iconSelIndex_ = 0;
    tk::IconHandle icon_, selIcon_;
    tk::BitmapHandle buffer_;
};

class TApPlacesBarFrm : public tk::Form, public TApPlacesBarWindow {
public:
    explicit TApPlacesBarFrm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Panel* Panel1;
    tk::PageScroller* ps1;
    tk::ToolBar* ToolBar1;
    tk::PopupMenu* pop1;
    tk::MenuItem* Deleteplace1;
    tk::MenuItem* Changeplace1;

    // The dialog that shows the bar, and the places it shows.
    TApPlacesBarHost* Dialog = nullptr;
    TApPlaces* Places = nullptr;

    void FormCreate();
    void RebuildButtons();
    int ButtonCount() const { return ToolBar1->ButtonCount(); }
    TApPlaceButton* Buttons(int i) const { return static_cast<TApPlaceButton*>(ToolBar1->Buttons(i)); }
    void PlaceButtonClick(TApPlaceButton* button);
    void Deleteplace1Click();
    void Changeplace1Click();
    void FormDropFiles(const std::vector<std::string>& names);

    HWND Handle() override { return tk::Form::Handle(); }
    void SetHeight(int height) override;
    void FolderSync() override;

private:
    void AddPlaceButton(const TApPlace& place);
    // The button under the point where the pop-up menu was opened.
    TApPlaceButton* PopupButton();
    void SelectInLookIn(TApSpecShellFolder folder);
    void NavigateToSpecialFolder(int csidl);
    POINT pressedAt_{};
};

// Makes the bar a child of the dialog window, placed and shown.
std::unique_ptr<TApPlacesBarWindow> ApCreatePlacesBar(TApPlacesBarHost& dialog, HWND dialogWnd);
