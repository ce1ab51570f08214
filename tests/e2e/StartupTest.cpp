#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace automation;
using testsupport::IdentityOf;
using testsupport::TempDir;

namespace {

bool Shows(HWND box, const std::string& text) {
    auto texts = StaticTexts(box);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void ExpectExitCodeZero(Program& program) {
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

// A start-up refusal: one Error box with the text, no other window, and exit
// code 0 once it is answered.
void ExpectRefusal(const std::string& text) {
    TempDir dir;
    Program program(dir.Path());
    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Shows(box, text));
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box});
    Answer(box, "OK");
    ExpectExitCodeZero(program);
}

// The main window's file list and link-name field, where the form puts them.
HWND FileList(HWND main) { return ChildAt(main, 24 + 20, 168 + 20); }
HWND NameField(HWND main) { return ChildAt(main, 248 + 20, 280 + 10); }

// Types a link name, presses Create and answers the Information box.
std::vector<std::string> CreateLinkAs(Program& program, HWND main, const std::string& name) {
    HWND field = NameField(main);
    TypeText(field, name);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == name; })) << TextOf(field);
    PressButton(FindDescendant(main, "Button", "Create"));
    HWND box = program.WaitForWindow("Information");
    if (!box) return {};
    auto texts = StaticTexts(box);
    Answer(box, "OK");
    return texts;
}

}  // namespace

TEST(EndToEnd, CreatesAHardLinkThroughTheMainWindowAndExits) {
    TempDir dir;
    std::string source = dir.MakeFile("source.dat", "payload");
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    // Controls where the form puts them.
    HWND files = FileList(main);
    HWND field = NameField(main);
    ASSERT_EQ(ClassOf(files), "ListBox");
    ASSERT_EQ(ClassOf(field), "Edit");
    EXPECT_EQ(TextOf(field), "*.*");
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(files, LB_GETCOUNT, 0, 0) == 1; }));

    Click(files, 20, 5);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == "source.dat"; })) << TextOf(field);
    EXPECT_EQ(CreateLinkAs(program, main, "linked.dat"), std::vector<std::string>{"Hard Link Created"});
    auto a = IdentityOf(source), b = IdentityOf(dir / "linked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(b.links, 2u);

    // The same name again: the system's sentence, in the same kind of box.
    auto again = CreateLinkAs(program, main, "linked.dat");
    EXPECT_TRUE(again == std::vector<std::string>{"Cannot create a file when that file already exists (183)"} ||
                again == std::vector<std::string>{"The file exists (80)"});
    EXPECT_EQ(IdentityOf(source).links, 2u);

    PressButton(FindDescendant(main, "Button", "Exit"));
    ExpectExitCodeZero(program);
}

TEST(EndToEnd, WalksToAFileWithMouseAndKeyboardAndLinksIt) {
    TempDir dir;
    dir.MakeDir("inner");
    std::string source = dir.MakeFile("inner\\deep.dat", "deep");
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    // The volume list offers the drives, each as its letter and caption.
    HWND drives = ChildAt(main, 96 + 20, 8 + 5);
    ASSERT_EQ(ClassOf(drives), "ComboBox");
    EXPECT_GE(SendMessageA(drives, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(TextOf(drives).substr(1, 2), ": ");

    // Double-click the subfolder, the last line of the folder list.
    HWND folders = ChildAt(main, 24 + 20, 48 + 20);
    HWND files = FileList(main);
    LRESULT lines = SendMessageA(folders, LB_GETCOUNT, 0, 0);
    ASSERT_GE(lines, 2);
    LRESULT height = SendMessageA(folders, LB_GETITEMHEIGHT, 0, 0);
    SendMessageA(folders, LB_SETTOPINDEX, static_cast<WPARAM>(lines - 1), 0);
    LRESULT top = SendMessageA(folders, LB_GETTOPINDEX, 0, 0);
    DoubleClick(folders, 30, static_cast<int>((lines - 1 - top) * height + height / 2));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(files, LB_GETCOUNT, 0, 0) == 1; }));

    // The keyboard picks the file; its name fills the link-name field.
    PressKey(files, VK_DOWN);
    HWND field = NameField(main);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == "deep.dat"; })) << TextOf(field);
    EXPECT_EQ(CreateLinkAs(program, main, "walked.dat"), std::vector<std::string>{"Hard Link Created"});
    // The output list stayed where it was: the link lies in the first folder.
    auto a = IdentityOf(source), b = IdentityOf(dir / "walked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);

    // About shows the about window; its Ok hides it again.
    PressButton(FindDescendant(main, "Button", "About"));
    HWND about = program.WaitForWindow("About");
    ASSERT_NE(about, nullptr);
    PressButton(FindDescendant(about, "Button", "Ok"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));

    PostMessageA(main, WM_CLOSE, 0, 0);
    ExpectExitCodeZero(program);
}

TEST(EndToEnd, AFileOnTheCommandLineIsSelectedAndAMissingOneIgnored) {
    TempDir dir;
    dir.MakeDir("deep folder");
    std::string source = dir.MakeFile("deep folder\\named file.dat", "named");
    dir.MakeFile("other.dat");
    Program program(dir.Path(), "ombrel.exe", "\"" + (dir / "no such file.dat") + "\" \"" + source + "\"");
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(TextOf(NameField(main)), "named file.dat");
    EXPECT_EQ(SelectedItemOf(FileList(main)), "named file.dat");
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{main});  // no box for the missing name
    // The selection is the file itself: Create links it into the output folder, the working folder.
    EXPECT_EQ(CreateLinkAs(program, main, "linked.dat"), std::vector<std::string>{"Hard Link Created"});
    auto a = IdentityOf(source), b = IdentityOf(dir / "linked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    PressButton(FindDescendant(main, "Button", "Exit"));
    ExpectExitCodeZero(program);
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

// Runs in a prefix of its own whose ANSI code page is Cyrillic (the ctest
// entry that starts Wine with a Russian locale). The texts are read back in
// Unicode, so bytes that merely round-trip through another code page fail.
TEST(EndToEnd, StoredRussianShowsCyrillicUnderItsCodePage) {
    if (GetACP() != 1251) GTEST_SKIP() << "needs the ANSI code page 1251";
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
    ExpectExitCodeZero(program);
}

TEST(EndToEnd, AStoredLanguageWithoutFileAsksAndNoEndsTheProgram) {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", "Klingon");
    TempDir dir;
    Program program(dir.Path());
    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Shows(box, "Klingon messages not found. Do you want to run the program in US English?"));
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box});  // no window shown yet
    EXPECT_EQ(TextsOf(box, "Button"), (std::vector<std::string>{"&Yes", "&No"}));
    PressButton(FindDescendant(box, "Button", "&No"));
    ExpectExitCodeZero(program);
}
