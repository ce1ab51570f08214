#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace automation;
using testsupport::IdentityOf;
using testsupport::TempDir;

namespace {

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The start-up refusal: one Error box with the text, no other window, and
// exit code 0 once it is answered.
void ExpectRefusal(Program& program, const std::string& text) {
    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(StaticTexts(box), text));
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box});
    HWND ok = FindDescendant(box, "Button", "OK");
    ASSERT_NE(ok, nullptr);
    PressButton(ok);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

TEST(EndToEnd, CreatesAHardLinkThroughTheMainWindow) {
    TempDir dir;
    std::string source = dir.MakeFile("source.dat", "payload");
    Program program(dir.Path());
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);

    // Controls where the form puts them: the file list and the name field.
    HWND files = ChildAt(main, 24 + 20, 168 + 20);
    HWND name = ChildAt(main, 248 + 20, 280 + 10);
    ASSERT_EQ(ClassOf(files), "ListBox");
    ASSERT_EQ(ClassOf(name), "Edit");
    EXPECT_EQ(TextOf(name), "*.*");
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(files, LB_GETCOUNT, 0, 0) == 1; }));

    Click(files, 20, 5);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == "source.dat"; })) << TextOf(name);
    TypeText(name, "linked.dat");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == "linked.dat"; })) << TextOf(name);
    PressButton(FindDescendant(main, "Button", "Create"));

    HWND box = program.WaitForWindow("Information");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(StaticTexts(box), "Hard Link Created"));
    PressButton(FindDescendant(box, "Button", "OK"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }));

    auto a = IdentityOf(source), b = IdentityOf(dir / "linked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(b.links, 2u);

    // The same name again: the system's sentence, in the same kind of box.
    PressButton(FindDescendant(main, "Button", "Create"));
    box = program.WaitForWindow("Information");
    ASSERT_NE(box, nullptr);
    auto texts = StaticTexts(box);
    EXPECT_TRUE(Contains(texts, "Cannot create a file when that file already exists (183)") ||
                Contains(texts, "The file exists (80)"));
    PressButton(FindDescendant(box, "Button", "OK"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }));
    EXPECT_EQ(IdentityOf(source).links, 2u);

    PressButton(FindDescendant(main, "Button", "Exit"));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(EndToEnd, ClosingTheMainWindowEndsTheProgramWithCodeZero) {
    TempDir dir;
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(EndToEnd, RefusesASystemOutsideTheNtFamily) {
    ScopedRegValue win98(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ombrel.exe", "Version", "win98");
    TempDir dir;
    Program program(dir.Path());
    ASSERT_TRUE(program.Started());
    ExpectRefusal(program, "This application works under Windows NT/2000/XP or further only");
}

// Runs in a prefix of its own whose drives are all CD-ROMs (see the ctest
// entry that sets QUENMOOR_DRIVES).
TEST(EndToEnd, RefusesAMachineWithoutNtfsVolumes) {
    const char* kind = std::getenv("QUENMOOR_DRIVES");
    if (!kind || std::string(kind) != "cdrom") GTEST_SKIP() << "needs a prefix whose drives are CD-ROMs";
    TempDir dir;
    Program program(dir.Path());
    ASSERT_TRUE(program.Started());
    ExpectRefusal(program, "There is no NTFS partitions on this machine");
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
    HWND files = ChildAt(main, 24 + 20, 168 + 20);
    HWND name = ChildAt(main, 248 + 20, 280 + 10);
    ASSERT_EQ(ClassOf(folders), "ListBox");
    LRESULT lines = SendMessageA(folders, LB_GETCOUNT, 0, 0);
    ASSERT_GE(lines, 2);
    LRESULT height = SendMessageA(folders, LB_GETITEMHEIGHT, 0, 0);
    SendMessageA(folders, LB_SETTOPINDEX, static_cast<WPARAM>(lines - 1), 0);
    LRESULT top = SendMessageA(folders, LB_GETTOPINDEX, 0, 0);
    DoubleClick(folders, 30, static_cast<int>((lines - 1 - top) * height + height / 2));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(files, LB_GETCOUNT, 0, 0) == 1; }));

    // The keyboard picks the file; its name fills the link-name field.
    PressKey(files, VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == "deep.dat"; })) << TextOf(name);
    TypeText(name, "walked.dat");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == "walked.dat"; }));
    PressButton(FindDescendant(main, "Button", "Create"));
    HWND box = program.WaitForWindow("Information");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(StaticTexts(box), "Hard Link Created"));
    PressButton(FindDescendant(box, "Button", "OK"));

    // The output list stayed where it was: the link lies in the first folder.
    auto a = IdentityOf(source), b = IdentityOf(dir / "walked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(b.links, 2u);
}
