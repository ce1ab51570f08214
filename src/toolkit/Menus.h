// Pop-up menus.
#pragma once

#include "toolkit/Classes.h"

#include <windows.h>

#include <functional>

namespace tk {

class MenuItem : public Component {
public:
    explicit MenuItem(Component* owner) : Component(owner) {}
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    bool Enabled = true;
    std::function<void()> OnClick;

private:
    std::string caption_;
};

// A menu shown at a point of the screen; its items are the components it
// owns, in order. The menu is built afresh at every showing.
class PopupMenu : public Component {
public:
    explicit PopupMenu(Component* owner) : Component(owner) {}
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    MenuItem* Add(const char* name, const std::string& caption);
    MenuItem* Items(int i) const { return static_cast<MenuItem*>(Components(i)); }
    int Count() const { return ComponentCount(); }
    // Shows the menu and runs the chosen item's OnClick.
    void Popup(int x, int y);
    // Where the menu was last shown, on the screen.
    POINT PopupPoint() const { return popupPoint_; }

private:
    POINT popupPoint_{};
};

}  // namespace tk
