// Names of every script, and thousands of files, handed to the real program
// as the Explorer extension hands them: on the command line and in a list.
#include "Automation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace automation;

namespace {

std::string Utf8(const std::wstring& s) {
    std::string out(s.size() * 4, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

}  // namespace

TEST(EndToEnd, TheCommandLineAndAListBringEveryNameAndThousandsOfFilesToTheBatchWindow) {
    TempDir dir;
    // CJK, Cyrillic, Greek, an emoji beyond the basic plane, a combining accent.
    const std::wstring folder = Wide(dir.Path()) + L"\\", mixed = L"\u65E5\u672C-\u0436-\u03BB-\U0001F600-e\u0301-";
    std::vector<std::wstring> files;
    for (int i = 0; i < 2000; ++i) {
        files.push_back(folder + mixed + std::to_wstring(i) + L".txt");
        HANDLE file = CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    // All but the first and the last in a list as the extension writes it:
    // UTF-8 lines ending in CR LF, in the temporary folder under its pattern.
    wchar_t temporary[MAX_PATH + 1] = {};
    std::wstring list = std::wstring(temporary, GetTempPathW(MAX_PATH + 1, temporary)) + L"Quenmoor-E2E00001.lst";
    std::string content;
    for (size_t i = 1; i + 1 < files.size(); ++i) content += Utf8(files[i]) + "\r\n";
    ASSERT_TRUE(std::ofstream(std::filesystem::path(list), std::ios::binary) << content);
    // Half a surrogate pair: no code page carries it.
    std::wstring broken = folder + L"half-\xD800.txt";
    Program program(dir.Path(), "ombrel.exe",
                    L"\"" + files.front() + L"\" \"/list:" + list + L"\" \"" + broken + L"\" \"" + files.back() + L"\"");

    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    HWND text = FindDescendant(box, [&](HWND w) { return WideTextOf(w).find(folder + L"half-") != std::wstring::npos; });
    EXPECT_NE(text, nullptr);
    EXPECT_EQ(WideTextOf(text).rfind(L"These files were left out", 0), 0u) << Utf8(WideTextOf(text));
    Answer(box, "OK");
    HWND batch = program.WaitForWindow("Multi Hard Link", 30000);
    ASSERT_NE(batch, nullptr);
    std::vector<std::wstring> items = ItemsOf(BatchInputList(batch));
    EXPECT_TRUE(items == files) << items.size() << " items";
    EXPECT_NE(FindDescendant(batch, "Button", " Input (files: 2000) "), nullptr);
    EXPECT_EQ(GetFileAttributesW(list.c_str()), INVALID_FILE_ATTRIBUTES);  // read, then deleted

    PressButton(FindDescendant(batch, "Button", "Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(batch); }));
    PostMessageA(program.WaitForWindow("Quenmoor"), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}
