// The batch window driven from outside: files picked in the open dialog or
// named on the command line, an output folder typed, Go!.
#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::SharedLinks;
using testsupport::TempDir;

namespace {
HWND InputList(HWND batch) { return ChildAt(ChildAt(batch, 8 + 10, 8 + 10), 8 + 20, 16 + 20); }
}  // namespace

TEST(EndToEnd, BatchWindowLinksTheFilesPickedInTheOpenDialog) {
    TempDir dir;
    std::string a = dir.MakeFile("a.dat", "A"), b = dir.MakeFile("b.dat", "B"), out = dir.MakeDir("out");
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    PressButton(FindDescendant(main, "Button", "Multi Hard Link"));
    HWND batch = program.WaitForWindow("Multi Hard Link");
    ASSERT_NE(batch, nullptr);
    HWND list = InputList(batch);
    ASSERT_EQ(ClassOf(list), "ListBox");
    for (const std::string& file : {a, b}) {
        PressButton(FindDescendant(batch, "Button", "Add..."));
        HWND dialog = program.WaitForWindow("Choose Files");
        ASSERT_NE(dialog, nullptr);
        HWND name = FindDescendant(dialog, "Edit");
        TypeText(name, file);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == file; }));
        PressButton(FindDescendant(dialog, "Button", "Add"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    }
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 2; }));
    EXPECT_NE(FindDescendant(batch, "Button", " Input (files: 2) "), nullptr);
    TypeText(ChildAt(batch, 72 + 20, 256 + 10), out);
    PressButton(FindDescendant(batch, "Button", "Go!"));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 0; }));
    for (const std::string& file : {a, b}) EXPECT_EQ(SharedLinks(file, out + file.substr(file.rfind('\\'))), 2u) << file;
    PressButton(FindDescendant(batch, "Button", "Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(batch); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(EndToEnd, SeveralFilesOnTheCommandLineOpenTheBatchWindowWithThem) {
    TempDir dir;
    std::string a = dir.MakeFile("a file.dat"), b = dir.MakeFile("b.dat");
    Program program(dir.Path(), "ombrel.exe", "\"" + a + "\" \"" + (dir / "missing.dat") + "\" " + b);
    HWND batch = program.WaitForWindow("Multi Hard Link");
    ASSERT_NE(batch, nullptr);
    EXPECT_EQ(SendMessageA(InputList(batch), LB_GETCOUNT, 0, 0), 2);
    EXPECT_NE(FindDescendant(batch, "Button", " Input (files: 2) "), nullptr);
    // Over the main window, which closes the program as usual.
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    PressButton(FindDescendant(batch, "Button", "Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(batch); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}
