// The duplicates window driven from outside: a tree of known groups found,
// linked, and checked on disk; a linking run cancelled half way.
#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;

namespace {

struct Window {
    HWND form, folders, summary, status, leftAlone;
};

Window OpenDuplicates(Program& program) {
    HWND main = program.WaitForWindow("Quenmoor");
    if (!main) return {};
    PressButton(FindDescendant(main, "Button", "Duplicates"));
    HWND form = program.WaitForWindow("Find Duplicates");
    if (!form) return {};
    return {form, ChildAt(form, 64 + 20, 8 + 10), ChildAt(form, 8 + 100, 306 + 5), ChildAt(form, 8 + 100, 56 + 5),
            ChildAt(form, 8 + 100, 342 + 20)};
}

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

// Types the folder, presses Find and waits for the summary.
std::string Find(const Window& w, const std::string& folder) {
    TypeText(w.folders, folder);
    WaitUntil([&] { return TextOf(w.folders) == folder; });
    PressButton(FindDescendant(w.form, "Button", "Find"));
    WaitUntil([&] { return TextOf(w.summary).find("can be freed") != std::string::npos; }, 60000);
    return TextOf(w.summary);
}

// Presses Link and answers its question with Yes.
bool Link(Program& program, const Window& w, const std::string& question) {
    PressButton(FindDescendant(w.form, "Button", "Link"));
    HWND box = program.WaitForWindow("Confirm");
    if (!box || TextsOf(box, "Static") != std::vector<std::string>{question}) return false;
    Answer(box, "&Yes");
    return true;
}

}  // namespace

TEST(EndToEnd, DuplicatesWindowLinksKnownGroupsAndLeavesTheRest) {
    TempDir dir;
    const std::string photo(100 * 1024, 'P'), song = "song bytes", letter = "letter";
    struct File {
        std::string name, content;
        int age;
    };
    const std::vector<File> files = {
        {"a\\photo.jpg", photo, 9},     {"b\\photo.jpg", photo, 5},      {"c\\photo.jpg", photo, 4},
        {"ro\\photo.jpg", photo, 1},    {"d\\song.mp3", song, 8},        {"e\\song.mp3", song, 2},
        {"f\\one.txt", letter, 9},      {"g\\three.txt", letter, 1},     {"h\\last1.bin", "same size 1", 3},
        {"h\\last2.bin", "same size 2", 3}, {"h\\empty1", "", 3},       {"h\\empty2", "", 3},
    };
    for (const File& f : files) {
        dir.MakeDir(f.name.substr(0, f.name.find('\\')));
        dir.MakeFile(f.name, f.content);
        SetAge(dir / f.name, f.age);
    }
    SetFileAttributesA((dir / "ro\\photo.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateHardLinkA((dir / "f\\two.txt").c_str(), (dir / "f\\one.txt").c_str(), nullptr));

    Program program(dir.Path());
    Window w = OpenDuplicates(program);
    ASSERT_TRUE(w.form && w.folders && w.summary && w.leftAlone);
    const size_t canFree = 2 * photo.size() + song.size() + letter.size();
    EXPECT_TRUE(StartsWith(Find(w, dir.Path()), "3 groups, 4 duplicates, " + std::to_string(canFree) + " bytes can be freed"))
        << TextOf(w.summary);
    EXPECT_EQ(ItemsOf(w.leftAlone),
              std::vector<std::wstring>{Wide(dir / "ro\\photo.jpg") +
                                        L": Its read-only, hidden or system attribute differs from the kept file's"});

    // Changed after the search: the same size, other bytes.
    const std::string changed = std::string(photo.size() - 1, 'P') + "X";
    WriteFile(dir / "c\\photo.jpg", changed);
    ASSERT_TRUE(Link(program, w, "Replace 4 duplicates with hard links?"));
    const std::string freed = std::to_string(photo.size() + song.size() + letter.size());
    ASSERT_TRUE(WaitUntil([&] { return StartsWith(TextOf(w.summary), "3 duplicates linked, " + freed + " bytes freed"); }, 60000))
        << TextOf(w.summary);

    for (const File& f : files)
        EXPECT_EQ(ReadFile(dir / f.name), f.name == "c\\photo.jpg" ? changed : f.content) << f.name;
    EXPECT_EQ(SharedLinks(dir / "a\\photo.jpg", dir / "b\\photo.jpg"), 2u);
    EXPECT_EQ(SharedLinks(dir / "d\\song.mp3", dir / "e\\song.mp3"), 2u);
    EXPECT_EQ(SharedLinks(dir / "f\\two.txt", dir / "g\\three.txt"), 3u);
    for (const char* alone : {"c\\photo.jpg", "ro\\photo.jpg", "h\\last1.bin", "h\\empty1"})
        EXPECT_EQ(IdentityOf(dir / alone).links, 1u) << alone;
    std::vector<std::wstring> left = ItemsOf(w.leftAlone);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind(Wide(dir / "ro\\photo.jpg") + L": ", 0), 0u);
    EXPECT_EQ(left[1].rfind(Wide(dir / "c\\photo.jpg") + L": ", 0), 0u);
    EXPECT_NE(left[1].find(L"left alone"), std::wstring::npos);

    PressButton(FindDescendant(w.form, "Button", "Close"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(w.form); }));
}

TEST(EndToEnd, DuplicatesLinkingCancelledHalfWayLosesNothing) {
    TempDir dir;
    // Small pairs first, then one large enough that the Cancel comes while
    // it is being compared.
    std::vector<std::string> contents;
    for (int i = 0; i < 10; ++i) contents.push_back(std::string(4096, static_cast<char>('a' + i)));
    contents.push_back(std::string(96 << 20, 'z'));
    for (size_t i = 0; i < contents.size(); ++i) {
        SetAge(WriteFile(dir / ("p" + std::to_string(i + 10) + "old"), contents[i]), 9);
        SetAge(WriteFile(dir / ("p" + std::to_string(i + 10) + "new"), contents[i]), 1);
    }
    Program program(dir.Path());
    Window w = OpenDuplicates(program);
    ASSERT_TRUE(w.form && w.summary && w.status);
    EXPECT_TRUE(StartsWith(Find(w, dir.Path()), "11 groups, 11 duplicates, ")) << TextOf(w.summary);
    ASSERT_TRUE(Link(program, w, "Replace 11 duplicates with hard links?"));
    // The button gets its window when first shown.
    HWND cancel = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (cancel = FindDescendant(w.form, "Button", "Cancel")) && IsWindowVisible(cancel); }));
    PressButton(cancel);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(w.summary).find("duplicates linked") != std::string::npos; }, 60000));
    EXPECT_EQ(TextOf(w.status), "Cancelled");

    size_t linked = 0;
    for (size_t i = 0; i < contents.size(); ++i) {
        const std::string old = dir / ("p" + std::to_string(i + 10) + "old"), fresh = dir / ("p" + std::to_string(i + 10) + "new");
        EXPECT_TRUE(ReadFile(old) == contents[i]) << old;
        EXPECT_TRUE(ReadFile(fresh) == contents[i]) << fresh;
        linked += SharedLinks(old, fresh) == 2;
    }
    EXPECT_LT(linked, contents.size());
    EXPECT_TRUE(StartsWith(TextOf(w.summary), std::to_string(linked) + " duplicates linked, ")) << TextOf(w.summary);
    WIN32_FIND_DATAA fd;
    EXPECT_EQ(FindFirstFileA((dir / "*.quenmoor-replaced").c_str(), &fd), INVALID_HANDLE_VALUE);
}
