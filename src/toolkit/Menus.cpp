#include "toolkit/Menus.h"

#include "toolkit/Controls.h"

namespace tk {

namespace {
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
using MenuHandle = UniqueHandle<HMENU, MenuTraits>;
}  // namespace

const ClassInfo& MenuItem::StaticClass() {
    static const ClassInfo info{"TMenuItem", &Component::StaticClass(),
                                {TextProp("Caption", &MenuItem::Caption, &MenuItem::SetCaption)}, {}};
    return info;
}

const ClassInfo& PopupMenu::StaticClass() {
    static const ClassInfo info{"TPopupMenu", &Component::StaticClass(), {}, {}};
    return info;
}

MenuItem* PopupMenu::Add(const char* name, const std::string& caption) {
    MenuItem* item = MakeComponent<MenuItem>(this, name);
    item->SetCaption(caption);
    return item;
}

void PopupMenu::Popup(int x, int y) {
    popupPoint_ = {x, y};
    MenuHandle menu(CreatePopupMenu());
    for (int i = 0; i < Count(); ++i) {
        MenuItem* item = Items(i);
        AppendMenuA(menu.get(), MF_STRING | (item->Enabled ? 0 : MF_GRAYED), static_cast<UINT_PTR>(i + 1),
                    item->Caption().c_str());
    }
    if (App) App->CancelHint();
    // The menu closes on a click elsewhere only when its owner is active.
    HWND owner = GetActiveWindow();
    if (!owner && App) owner = App->Handle();
    const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    if (chosen >= 1 && chosen <= Count()) {
        MenuItem* item = Items(chosen - 1);
        if (item->OnClick) item->OnClick();
    }
}

}  // namespace tk
