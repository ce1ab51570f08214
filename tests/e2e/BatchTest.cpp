// The batch window driven from outside: files picked in the open dialog or
// named on the command line, an output folder typed, Go!.
#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::SharedLinks;
using testsupport::TempDir;

// Files named on the command line open the batch window over the main
// window; one more is picked in the open dialog.
TEST(EndToEnd, BatchWindowLinksTheFilesOfTheCommandLineAndOfTheOpenDialog) {
    TempDir dir;
    std::string a = dir.MakeFile("a file.dat", "A"), b = dir.MakeFile("b.dat", "B"), c = dir.MakeFile("c.dat", "C");
    std::string out = dir.MakeDir("out");
    Program program(dir.Path(), "ombrel.exe", "\"" + a + "\" \"" + (dir / "missing.dat") + "\" " + b);
    HWND batch = program.WaitForWindow("Multi Hard Link"), main = program.WaitForWindow("Quenmoor");
    ASSERT_TRUE(batch && main);
    HWND list = BatchInputList(batch);
    ASSERT_EQ(ClassOf(list), "ListBox");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_NE(FindDescendant(batch, "Button", " Input (files: 2) "), nullptr);
    PressButton(FindDescendant(batch, "Button", "Add..."));
    HWND dialog = program.WaitForWindow("Choose Files");
    ASSERT_NE(dialog, nullptr);
    HWND name = FindDescendant(dialog, "Edit");
    TypeText(name, c);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == c; }));
    PressButton(FindDescendant(dialog, "Button", "Add"));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 3; }));
    EXPECT_NE(FindDescendant(batch, "Button", " Input (files: 3) "), nullptr);
    TypeText(ChildAt(batch, 72 + 20, 256 + 10), out);
    PressButton(FindDescendant(batch, "Button", "Go!"));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 0; }));
    for (const std::string& file : {a, b, c}) EXPECT_EQ(SharedLinks(file, out + file.substr(file.rfind('\\'))), 2u) << file;
    // Closed, and shown again by the main window's button.
    for (HWND button : {FindDescendant(batch, "Button", "Cancel"), FindDescendant(main, "Button", "Multi Hard Link"),
                        FindDescendant(batch, "Button", "Cancel")}) {
        const bool shown = IsWindowVisible(batch);
        PressButton(button);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(batch) != shown; })) << TextOf(button);
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}
