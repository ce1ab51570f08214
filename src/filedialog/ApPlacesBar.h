// The places of the extended open dialog, and the bar window that shows them
// as the dialog sees it.
#pragma once

#include "toolkit/Classes.h"
#include "toolkit/Handles.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

class TApPlacesBarOptions;

// What the places bar needs of the dialog that shows it.
class TApPlacesBarHost {
public:
    virtual HWND DialogHandle() const = 0;
    virtual TApPlacesBarOptions* PlacesBar() const = 0;
    // Opens a folder in the dialog; anything but an existing folder is
    // ignored.
    virtual void NavigateTo(const std::string& path) = 0;
    virtual std::string CurrentFolderPath() = 0;
    // Kept by the dialog until the next query.
    virtual LPCITEMIDLIST CurrentFolderPidl() = 0;
    virtual void SetFileNameText(const std::string& text) = 0;
    virtual IShellFolder* DesktopFolder() = 0;

protected:
    ~TApPlacesBarHost() = default;
};

enum TApSpecShellFolder {
    ftNone, ftRecycleBin, ftCommonDesktopDir, ftCommonPrograms, ftCommonStartMenu, ftCommonStartup, ftControls,
    ftDesktop, ftDesktopDir, ftDrives, ftFonts, ftNethood, ftNetwork, ftPersonal, ftFavorites, ftPrinters,
    ftPrograms, ftRecent, ftSendTo, ftStartMenu, ftStartup, ftTemplates
};

// The shell folder number stored for a special folder, and back: only the
// four folders a place can fully name come back, any other number is ftNone.
int ApSpecFolderCsidl(TApSpecShellFolder folder);
TApSpecShellFolder ApSpecFolderOfCsidl(int csidl);
// Those four, in the order in which every list shows them.
constexpr TApSpecShellFolder kApSupportedFolders[] = {ftDesktop, ftDrives, ftPersonal, ftFavorites};
// A special folder's name as the system gives it; empty for most folders.
std::string SpecialFolderCaption(TApSpecShellFolder folder);
std::vector<std::string> ApSupportedFolderCaptions();
// A string of the shell's resources; empty when it has none of that number.
std::string ShellString(UINT id);
// The path held by the registry value that a registry place names; empty
// when the key or the value cannot be read.
std::string ApRegistryPlacePath(const std::string& regPath);

enum TApPlaceKind { pkPath, pkRegistry, pkSpecial };

// One place: a folder, a file, a folder named by a registry value, or a
// special shell folder.
class TApPlace : public tk::CollectionItem {
public:
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApPlace& other);

    // The caption shown: the stored one, or with AutoCaption one derived from
    // the target.
    std::string PlaceName() const;
    void SetPlaceName(const std::string& v) { placeName_ = v; }
    std::string PlacePath() const { return placePath_; }
    void SetPlacePath(const std::string& v) { placePath_ = v; }
    std::string PlaceRegPath() const { return placeRegPath_; }
    void SetPlaceRegPath(const std::string& v) { placeRegPath_ = v; }
    TApSpecShellFolder PlaceSpecPath = ftNone;
    std::string PlaceDesc() const { return placeDesc_; }
    void SetPlaceDesc(const std::string& v) { placeDesc_ = v; }
    std::string PlaceIconDll() const { return placeIconDll_; }
    void SetPlaceIconDll(const std::string& v) { placeIconDll_ = v; }
    int PlaceIcon = 0;
    int PlaceHotIcon = 0;
    bool AutoCaption = false;

    TApPlaceKind Kind() const;
    // The folder or file that a path or registry place points to.
    std::string TargetPath() const;
    // The shell's item list of the place; empty when there is none.
    tk::CoTaskMem PlacePidl(IShellFolder* desktop) const;

private:
    std::string placeName_, placePath_, placeRegPath_, placeDesc_, placeIconDll_;
};

class TApPlaces : public tk::Collection {
public:
    TApPlaces();
    TApPlace* Items(int i) const { return static_cast<TApPlace*>(Item(i)); }
    TApPlace* AddPlace() { return static_cast<TApPlace*>(Add()); }
    void Assign(const TApPlaces& other);
    // A path place by its shown caption (exact case) and its path (any
    // case), or a special-folder place by its folder; null when there is none.
    TApPlace* FindPlace(const std::string& name, TApSpecShellFolder folder, const std::string& path) const;
    // Moves place a to index b; those in between shift up or down by one.
    void MovePlace(int a, int b);
};

enum class TApBarBorder { bsNone, bsSingle };

// The dialog's PlacesBar property.
class TApPlacesBarOptions : public tk::Persistent {
public:
    explicit TApPlacesBarOptions(TApPlacesBarHost* dialog);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    void Assign(const TApPlacesBarOptions& other);

    TApPlacesBarHost* Dialog() const { return dialog_; }
    std::string RegistryKey() const { return registryKey_; }
    void SetRegistryKey(const std::string& v) { registryKey_ = v; }
    TApPlaces* Places() const { return places_.get(); }
    void SetPlaces(const TApPlaces& places) { places_->Assign(places); }
    bool Visible = false;
    bool AllowEdit = true;
    bool AllowDelete = true;
    bool AllowDrop = true;
    bool AutoScroll = true;
    TApBarBorder BorderStyle = TApBarBorder::bsNone;
    bool Native = false;
    // The width of the bar: a single border takes two pixels on each side.
    int BarWidth() const { return BorderStyle == TApBarBorder::bsSingle ? 91 : 87; }

    // Merges the places stored under RegistryKey into Places; says so when
    // the key cannot be opened.
    void LoadPlaces();
    // Stores Places under RegistryKey in place of whatever was stored there.
    void SavePlaces();

private:
    TApPlacesBarHost* dialog_;
    std::string registryKey_;
    std::unique_ptr<TApPlaces> places_;
};

// The bar window, while the dialog shows one of its own. Destroying it
// destroys the window; the dialog hides and detaches it first.
class TApPlacesBarWindow {
public:
    virtual ~TApPlacesBarWindow() = default;
    virtual HWND Handle() = 0;
    virtual void SetHeight(int height) = 0;
    // Presses the place of the dialog's current folder.
    virtual void FolderSync() = 0;
};

