#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace automation;
using testsupport::SharedLinks;
using testsupport::TempDir;
using Texts = std::vector<std::string>;

namespace {

// A start-up refusal: one Error box with the text, no other window, and exit
// code 0 once it is answered.
void ExpectRefusal(const std::string& text) {
    TempDir dir;
    Program program(dir.Path());
    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextsOf(box, "Static"), Texts{text});
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box});
    Answer(box, "OK");
    EXPECT_EQ(program.ExitCode(), 0u);
}

// The main window's file list and link-name field, where the form puts them.
HWND FileList(HWND main) { return ChildAt(main, 24 + 20, 168 + 20); }
HWND NameField(HWND main) { return ChildAt(main, 248 + 20, 280 + 10); }

// Types a link name, presses Create and answers the Information box.
Texts CreateLinkAs(Program& program, HWND main, const std::string& name) {
    HWND field = NameField(main);
    TypeText(field, name);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == name; })) << TextOf(field);
    PressButton(FindDescendant(main, "Button", "Create"));
    HWND box = program.WaitForWindow("Information");
    if (!box) return {};
    Texts texts = TextsOf(box, "Static");
    Answer(box, "OK");
    return texts;
}

}  // namespace

TEST(EndToEnd, AFileOnTheCommandLineIsSelectedAClickPicksAnotherAndCreateLinksIt) {
    TempDir dir;
    dir.MakeDir("deep folder");
    std::string named = dir.MakeFile("deep folder\\named file.dat", "named");
    std::string clicked = dir.MakeFile("deep folder\\another.dat", "another");
    Program program(dir.Path(), "ombrel.exe", "\"" + (dir / "no such file.dat") + "\" \"" + named + "\"");
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    // The shell's DLLs wait until first used: loading them is a good part of a start under Wine.
    std::vector<std::string> modules = program.Modules();
    auto loaded = [&](const char* m) { return std::find(modules.begin(), modules.end(), m) != modules.end(); };
    ASSERT_TRUE(loaded("ombrel.exe"));
    for (const char* late : {"shell32.dll", "shlwapi.dll", "comdlg32.dll", "mpr.dll"}) EXPECT_FALSE(loaded(late)) << late;
    HWND files = FileList(main), field = NameField(main);
    ASSERT_EQ(ClassOf(files) + "," + ClassOf(field), "ListBox,Edit");
    EXPECT_EQ(TextOf(field), "named file.dat");
    EXPECT_EQ(SelectedItemOf(files), "named file.dat");
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{main});  // no box for the missing name

    // A click picks the first file; its name fills the link-name field. The
    // selection moved the file lists only: Create links into the output
    // folder, still the working folder.
    Click(files, 20, 5);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == "another.dat"; })) << TextOf(field);
    EXPECT_EQ(CreateLinkAs(program, main, "linked.dat"), Texts{"Hard Link Created"});
    EXPECT_EQ(SharedLinks(clicked, dir / "linked.dat"), 2u);
    // The same name again: the system's sentence, in the same kind of box.
    Texts again = CreateLinkAs(program, main, "linked.dat");
    EXPECT_TRUE(again == Texts{"Cannot create a file when that file already exists (183)"} ||
                again == Texts{"The file exists (80)"});
    EXPECT_EQ(SharedLinks(clicked, dir / "linked.dat"), 2u);

    // About shows the about window; its Ok hides it again.
    PressButton(FindDescendant(main, "Button", "About"));
    HWND about = program.WaitForWindow("About");
    ASSERT_NE(about, nullptr);
    PressButton(FindDescendant(about, "Button", "Ok"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
    PressButton(FindDescendant(main, "Button", "Exit"));
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(EndToEnd, RefusesASystemOutsideTheNtFamily) {
    ScopedRegValue win98(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ombrel.exe", "Version", "win98");
    ExpectRefusal("This application works under Windows NT/2000/XP or further only");
}

// Runs in a prefix of its own whose drives are all CD-ROMs (the ctest entry
// that sets QUENMOOR_DRIVES).
TEST(EndToEnd, RefusesAMachineWithoutNtfsVolumes) {
    const char* kind = std::getenv("QUENMOOR_DRIVES");
    if (!kind || std::string(kind) != "cdrom") GTEST_SKIP() << "needs a prefix whose drives are CD-ROMs";
    ExpectRefusal("There is no NTFS partitions on this machine");
}

namespace {

// Russian.lng names its code page, so its texts show under any system code
// page. Each check runs in a prefix of its own with that code page (the ctest
// entries that start Wine with a Russian or an American locale). The texts
// are read back in Unicode, so bytes that merely round-trip through another
// code page fail.
void ExpectRussianCaptions() {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", "Russian");
    TempDir dir;
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FindWideText(main, L"Создать") != nullptr; }));
    for (const wchar_t* text : {L"Диск:", L" Исходный файл ", L" Новая жесткая ссылка ", L"Имя ссылки:",
                                L"Новая папка", L"Много ссылок", L"Настройки", L"Справка", L"О программе"})
        EXPECT_NE(FindWideText(main, text), nullptr) << text;
    PressButton(FindWideText(main, L"Выход"));
    EXPECT_EQ(program.ExitCode(), 0u);
}
}  // namespace

TEST(EndToEnd, StoredRussianShowsCyrillicUnderItsCodePage) {
    if (GetACP() != 1251) GTEST_SKIP() << "needs the ANSI code page 1251";
    ExpectRussianCaptions();
}

TEST(EndToEnd, StoredRussianShowsCyrillicUnderAWesternCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the ANSI code page 1252";
    ExpectRussianCaptions();
}
