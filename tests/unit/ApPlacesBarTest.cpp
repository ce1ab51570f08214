#include "filedialog/ApPlacesBar.h"
#include "support/GuiFixture.h"
#include "support/RawRegistry.h"
#include "toolkit/Controls.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace testsupport;

namespace {

const std::string kKey = "Software\\Quenmoor\\Tests\\Places";

TApPlace* Add(TApPlaces& places, const std::string& name, const std::string& path = "",
              TApSpecShellFolder folder = ftNone) {
    TApPlace* p = places.AddPlace();
    p->SetPlaceName(name);
    p->SetPlacePath(path);
    p->PlaceSpecPath = folder;
    return p;
}

std::string Names(const TApPlaces& places) {
    std::string out;
    for (int i = 0; i < places.Count(); ++i) out.append(i ? "," : "").append(places.Items(i)->PlaceName());
    return out;
}

class StoredPlaces : public testing::Test {
protected:
    StoredPlaces() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str());
        options.SetRegistryKey(kKey + "\\");
    }
    ~StoredPlaces() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str()); }
    TApPlacesBarOptions options{nullptr};
    TApPlaces& places = *options.Places();
};

}  // namespace

TEST(Places, DisplayNameFollowsTheKindOfPlace) {
    TApPlaces places;
    TApPlace* p = Add(places, "Stored");
    struct Case {
        std::string path, regPath;
        TApSpecShellFolder folder;
        bool autoCaption;
        std::string shown;
    } cases[] = {
        {"C:\\a\\b", "", ftNone, false, "Stored"},
        {"C:\\a\\b", "", ftNone, true, "b"},
        {"C:\\a\\", "", ftNone, true, "C:\\a\\"},
        {"D:", "", ftNone, true, "D:"},
        {"", "\\Software\\Key\\Value", ftNone, true, "Value"},
        {"C:\\a\\b", "Personal", ftNone, true, "Personal"},
        {"C:\\a\\b", "Personal", ftFavorites, true, "Favorites"},
        {"", "", ftRecent, true, "Recent"},
        {"", "", ftPrinters, true, ""},
    };
    for (const Case& c : cases) {
        p->SetPlacePath(c.path);
        p->SetPlaceRegPath(c.regPath);
        p->PlaceSpecPath = c.folder;
        p->AutoCaption = c.autoCaption;
        EXPECT_EQ(p->PlaceName(), c.shown) << c.path << " " << c.regPath << " " << c.folder;
    }
    // A copy keeps the stored caption, not the shown one.
    TApPlace copy;
    copy.Assign(*p);
    copy.AutoCaption = false;
    EXPECT_EQ(copy.PlaceName(), "Stored");
}

TEST(Places, SpecialFolderCaptionsComeFromTheRegistryOrFallBack) {
    const std::string drives = "SOFTWARE\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    {
        ScopedRegValue named(HKEY_CURRENT_USER, drives, "", "Our machine");
        EXPECT_EQ(SpecialFolderCaption(ftDrives), "Our machine");
    }
    // Wine's shell has no string for it: the fixed name.
    EXPECT_EQ(ApSupportedFolderCaptions(), (std::vector<std::string>{"Desktop", "My Computer", "My Documents", "Favorites"}));
}

// The stored numbers are the shell's: only the four the bar supports come back.
TEST(Places, ShellFolderNumbersBothWays) {
    for (auto [folder, csidl] : {std::pair{ftNone, -1976}, {ftDesktop, CSIDL_DESKTOP}, {ftDrives, CSIDL_DRIVES},
                                 {ftPersonal, CSIDL_PERSONAL}, {ftFavorites, CSIDL_FAVORITES}, {ftPrinters, CSIDL_PRINTERS}}) {
        EXPECT_EQ(ApSpecFolderCsidl(folder), csidl) << folder;
        EXPECT_EQ(ApSpecFolderOfCsidl(csidl), folder == ftPrinters ? ftNone : folder) << csidl;
    }
}

TEST(Places, MovingAPlaceShiftsThoseBetween) {
    for (auto [from, to, order] : {std::tuple{1, 1, "a,b,c,d"}, {0, 3, "b,c,d,a"}, {3, 0, "d,a,b,c"}, {1, 2, "a,c,b,d"}}) {
        TApPlaces places;
        for (const char* name : {"a", "b", "c", "d"}) Add(places, name);
        places.Items(from)->PlaceIcon = 42;
        places.MovePlace(from, to);
        EXPECT_EQ(Names(places), order) << from << " onto " << to;
        EXPECT_EQ(places.Items(to)->PlaceIcon, 42);  // the whole place moves
    }
}

TEST_F(StoredPlaces, SaveThenLoadRoundTripsMergesAndLeavesNoStaleSubkeys) {
    TApPlace* p = Add(places, "Tools", "C:\\tools");
    p->SetPlaceRegPath("Personal");
    p->SetPlaceDesc("hint");
    p->SetPlaceIconDll("shell32.dll");
    p->PlaceIcon = 3;
    p->PlaceHotIcon = 4;
    p->AutoCaption = true;
    Add(places, "Desk", "", ftDesktop);
    Add(places, "Old", "C:\\old");
    options.SavePlaces();
    places.Delete(2);
    options.SavePlaces();
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, kKey + "\\Place_2"));

    TApPlacesBarOptions loaded(nullptr);
    loaded.SetRegistryKey(kKey);
    Add(*loaded.Places(), "Personal", "D:\\elsewhere");  // the same caption, another place
    Add(*loaded.Places(), "Personal", "C:\\TOOLS");      // merged: its shown name and its folder
    Add(*loaded.Places(), "My desk", "", ftDesktop);      // and by its special folder
    loaded.LoadPlaces();
    ASSERT_EQ(Names(*loaded.Places()), "Personal,Personal,Desk");
    EXPECT_EQ(loaded.Places()->Items(0)->PlacePath(), "D:\\elsewhere");
    const TApPlace& q = *loaded.Places()->Items(1);
    EXPECT_EQ((std::vector<std::string>{q.PlaceName(), q.PlacePath(), q.PlaceRegPath(), q.PlaceDesc(), q.PlaceIconDll()}),
              (std::vector<std::string>{"Personal", "C:\\tools", "Personal", "hint", "shell32.dll"}));
    EXPECT_EQ((std::vector<int>{q.PlaceIcon, q.PlaceHotIcon, q.AutoCaption, q.PlaceSpecPath}), (std::vector<int>{3, 4, 1, ftNone}));

    // Saving replaces the places it wrote and nothing else of the key.
    RawSetString(HKEY_CURRENT_USER, kKey + "\\Settings", "Name", "not a place");
    options.SavePlaces();
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, kKey + "\\Settings"));
}

TEST_F(StoredPlaces, MoreThanTenComeBackInTheirOrder) {
    for (int i = 0; i < 12; ++i) Add(places, std::to_string(i));
    options.SavePlaces();
    places.Clear();
    options.LoadPlaces();
    EXPECT_EQ(Names(places), "0,1,2,3,4,5,6,7,8,9,10,11");
}

TEST_F(StoredPlaces, OddValuesLoadAsDefaultsAndAnUnsupportedFolderAsAPath) {
    const std::string sub = kKey + "\\Place_0";
    RawSetString(HKEY_CURRENT_USER, sub, "Name", "Odd");
    RawSetString(HKEY_CURRENT_USER, sub, "Icon", "7");  // a string where a number belongs
    for (auto [name, number] : {std::pair{"SpecFolder", DWORD{4}}, {"IconHot", DWORD{5}}, {"Path", DWORD{5}}})  // printers
        RegSetKeyValueA(HKEY_CURRENT_USER, sub.c_str(), name, REG_DWORD, &number, sizeof number);
    options.LoadPlaces();
    ASSERT_EQ(places.Count(), 1);
    const TApPlace& p = *places.Items(0);
    EXPECT_EQ((std::vector<std::string>{p.PlaceName(), p.PlacePath(), p.PlaceDesc()}), (std::vector<std::string>{"Odd", "", ""}));
    EXPECT_EQ((std::vector<int>{p.PlaceSpecPath, p.PlaceIcon, p.PlaceHotIcon, p.AutoCaption}), (std::vector<int>{ftNone, 0, 5, 0}));
}

TEST_F(StoredPlaces, AKeyThatCannotBeOpenedSaysSoOnceAndKeepsThePlaces) {
    Add(places, "Kept");
    MessageLog boxes;
    options.LoadPlaces();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Korvane Places Bar: Could not load data from registry");
    EXPECT_EQ(Names(places), "Kept");
    // A key of backslashes alone is no key: nothing is read, nothing emptied.
    options.SetRegistryKey("\\");
    options.SavePlaces();
    options.LoadPlaces();
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, "Software"));
}
