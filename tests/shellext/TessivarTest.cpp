// tessivar.dll from the product folder, loaded and driven as Explorer drives
// it: class factory, initialisation with dropped files, a real menu, commands
// by offset and by verb, the job on its own thread, the server's counts and
// its registration.
#include "e2e/Automation.h"
#include "fs/FileSystem.h"
#include "settings/ShellIntegration.h"
#include "shellext/ContextMenu.h"
#include "shellext/Worker.h"
#include "support/DropData.h"
#include "support/Files.h"
#include "support/RawRegistry.h"
#include "support/Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <thread>

// The system's structures are filled by name; the rest stays zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace testsupport;
using Texts = std::vector<std::wstring>;

namespace {

std::wstring ProductDir() { return Wide(WinePath(QUENMOOR_PRODUCT_DIR) + "\\"); }

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgFn = HRESULT(STDAPICALLTYPE*)();

// An object of the factory initialised with dropped paths and, for a drop,
// the target folder (none: a right-click on the paths).
template <class I>
I* Initialised(IClassFactory* factory, const Texts& paths, const std::wstring& target = L"") {
    IShellExtInit* init = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    factory->Release();
    auto* data = new TDropData(paths);
    PIDLIST_ABSOLUTE folder = target.empty() ? nullptr : ILCreateFromPathW(target.c_str());
    EXPECT_EQ(init->Initialize(folder, data, nullptr), S_OK);
    ILFree(folder);
    data->Release();
    I* out = nullptr;
    EXPECT_EQ(init->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&out)), S_OK);
    init->Release();
    return out;
}

// The failure box a job of this process shows, once it can be answered.
HWND FailureBox() {
    HWND box = nullptr;
    WaitUntil([&] {
        box = VisibleWindowOf(GetCurrentProcessId(), "Quenmoor");
        return box && FindDescendant(box, "Button", "OK");
    }, 30000);
    return box && FindDescendant(box, "Button", "OK") ? box : nullptr;
}

class Tessivar : public testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        dll = LoadLibraryW((ProductDir() + L"tessivar.dll").c_str());
        ASSERT_NE(dll, nullptr);
        getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(dll, "DllGetClassObject"));
        canUnloadNow = reinterpret_cast<NoArgFn>(GetProcAddress(dll, "DllCanUnloadNow"));
        registerServer = reinterpret_cast<NoArgFn>(GetProcAddress(dll, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<NoArgFn>(GetProcAddress(dll, "DllUnregisterServer"));
        ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
        CLSIDFromString(Wide(ShellIntegration::ClassId).c_str(), &classId);
    }
    static void TearDownTestSuite() {
        FreeLibrary(dll);
        CoUninitialize();
    }
    void SetUp() override { ASSERT_EQ(canUnloadNow(), S_OK); }

    static IContextMenu* MakeMenu(const Texts& paths, const std::wstring& target = L"") {
        return Initialised<IContextMenu>(Factory(), paths, target);
    }

    static IClassFactory* Factory() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    // The items the object adds to a real menu, by id from 100.
    static Texts Items(IContextMenu* menu, UINT flags = CMF_NORMAL, UINT last = 199) {
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 1, L"Copy here");
        HRESULT hr = menu->QueryContextMenu(popup, 0, 100, last, flags);
        Texts out;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == 1) continue;
            wchar_t text[256] = {};
            GetMenuStringW(popup, i, text, 256, MF_BYPOSITION);
            EXPECT_EQ(id, 100u + out.size());
            out.push_back(text);
        }
        EXPECT_EQ(HRESULT_CODE(hr), static_cast<int>(out.size()));
        DestroyMenu(popup);
        return out;
    }

    // Invokes a command, lets the object go and waits until the job's
    // thread is done: the server unlocks only then.
    static HRESULT Run(IContextMenu* menu, CMINVOKECOMMANDINFO* info) {
        HRESULT hr = menu->InvokeCommand(info);
        menu->Release();
        EXPECT_TRUE(WaitUntil([] { return canUnloadNow() == S_OK; }, 30000));
        return hr;
    }
    // Without a progress dialog: Wine takes two seconds to close one.
    static HRESULT RunOffset(IContextMenu* menu, UINT offset) {
        CMINVOKECOMMANDINFO info{.cbSize = sizeof info, .fMask = CMIC_MASK_FLAG_NO_UI, .lpVerb = MAKEINTRESOURCEA(offset)};
        return Run(menu, &info);
    }

    static inline HMODULE dll = nullptr;
    static inline CLSID classId{};
    static inline GetClassObjectFn getClassObject = nullptr;
    static inline NoArgFn canUnloadNow = nullptr, registerServer = nullptr, unregisterServer = nullptr;

    TempDir dir;
};

// Makes a file or folder under its very name: a plain path would drop a
// final dot or space.
std::wstring MakeExact(const std::wstring& path, bool folder = false) {
    std::wstring exact = fs::ExtendedPath(std::wstring_view(path));
    if (folder) CreateDirectoryW(exact.c_str(), nullptr);
    else CloseHandle(CreateFileW(exact.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    return path;
}

// Takes a page as a property sheet would.
BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

const wchar_t LinksHere[] = L"Create hard links here";
const wchar_t CloneHere[] = L"Create hard link clone here";
const wchar_t WithQuenmoor[] = L"Create hard links with Quenmoor...";

}  // namespace

TEST_F(Tessivar, MenusOfferOnlyWhatTheItemsAndTheTargetAllowAndTellTheirCommands) {
    std::wstring file = Wide(dir.MakeFile("a.txt")), folder = Wide(dir.MakeDir("tree"));
    std::wstring target = Wide(dir.MakeDir("target"));
    std::wstring otherVolume = ProductDir();  // Z:, while the files lie on C:
    std::wstring dot = MakeExact(Wide(dir / "dot."), true), space = MakeExact(Wide(dir / "space "));
    std::wstring root = Wide(dir.Path()).substr(0, 3);
    struct Row {
        const char* what;
        Texts paths;
        std::wstring target;
        Texts items;
    } rows[] = {
        {"files", {file}, target, {LinksHere}},
        {"a folder", {folder}, target, {CloneHere}},
        {"both", {folder, file}, target, {LinksHere, CloneHere}},
        {"target on another volume", {file, folder}, otherVolume, {}},
        {"target a file", {folder}, file, {}},
        {"a source gone", {file, Wide(dir / "gone.txt")}, target, {}},
        {"names ending in a dot or a space", {dot, space}, target, {LinksHere, CloneHere}},
        {"a drive root is no folder to clone", {root, file}, target, {LinksHere}},
        {"right-click on files", {file, folder}, L"", {WithQuenmoor}},
        {"right-click on a folder", {folder}, L"", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        IContextMenu* menu = MakeMenu(row.paths, row.target);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Items(menu), row.items);
        menu->Release();
    }

    // A host that hands a right-click the items' folder as well.
    IContextMenu* menu = MakeMenu({folder, file}, Wide(dir.Path()));
    EXPECT_EQ(Items(menu, CMF_ITEMMENU | CMF_CANRENAME), Texts{WithQuenmoor});
    menu->Release();
    // Command strings, ANSI and Unicode, of a menu of two.
    menu = MakeMenu({folder, file}, target);
    char ansi[64];
    wchar_t wide[64];
    auto ansiOf = [&](UINT id, UINT type, UINT size = 64) {
        std::memset(ansi, 'x', sizeof ansi);
        return menu->GetCommandString(id, type, nullptr, ansi, size) == S_OK ? std::string(ansi) : "(failed)";
    };
    auto wideOf = [&](UINT id, UINT type) {
        return menu->GetCommandString(id, type, nullptr, reinterpret_cast<char*>(wide), 64) == S_OK
                   ? std::wstring(wide) : L"(failed)";
    };
    EXPECT_EQ(ansiOf(0, GCS_VERBA), "CreateHardLinks");
    EXPECT_EQ(wideOf(1, GCS_HELPTEXTW), L"Recreates the dragged folders here and links every file in them");
    EXPECT_EQ(ansiOf(0, GCS_VERBA, 6), "Creat");  // cut to the buffer, still terminated
    EXPECT_EQ(menu->GetCommandString(2, GCS_VALIDATEA, nullptr, nullptr, 0), S_FALSE);
    EXPECT_EQ(ansiOf(2, GCS_VERBA), "(failed)");  // no third item in this menu
    for (LPCSTR verb : {LPCSTR("NoSuchVerb"), LPCSTR(MAKEINTRESOURCEA(2))}) {
        CMINVOKECOMMANDINFO unknown{.cbSize = sizeof unknown, .lpVerb = verb};
        EXPECT_EQ(menu->InvokeCommand(&unknown), E_INVALIDARG);
    }
    EXPECT_EQ(Items(menu, CMF_DEFAULTONLY), Texts{});
    EXPECT_EQ(Items(menu, CMF_NORMAL, 100), Texts{LinksHere});  // room for one id only
    menu->Release();
}

TEST_F(Tessivar, LinksHereMakesRealLinksAndNeverReplaces) {
    std::wstring target = Wide(dir.MakeDir("target"));
    std::wstring a = Wide(dir.MakeFile("a.txt", "new")), b = Wide(dir.MakeFile("b.dat"));
    // A name the ANSI code page cannot hold.
    std::wstring unicode = Wide(dir.Path()) + L"\\\u65E5\u672C\u8A9E.txt";
    ASSERT_TRUE(std::ofstream(std::filesystem::path(unicode)) << "data");
    std::string taken = WriteFile(dir / "target\\a.txt", "taken");

    IContextMenu* menu = MakeMenu({a, b, unicode}, target);
    ASSERT_EQ(Items(menu), Texts{LinksHere});
    EXPECT_EQ(RunOffset(menu, 0), S_OK);
    EXPECT_EQ(ReadFile(taken), "taken");
    EXPECT_EQ(SharedLinks(a, target + L"\\a (2).txt"), 2u);
    EXPECT_EQ(SharedLinks(b, target + L"\\b.dat"), 2u);
    EXPECT_EQ(SharedLinks(unicode, target + L"\\\u65E5\u672C\u8A9E.txt"), 2u);

    // By verb, ANSI then Unicode: each run takes the next free number.
    CMINVOKECOMMANDINFOEX byVerb{.cbSize = sizeof byVerb, .fMask = CMIC_MASK_FLAG_NO_UI, .lpVerb = "createhardlinks"};
    EXPECT_EQ(Run(MakeMenu({a, b}, target), reinterpret_cast<CMINVOKECOMMANDINFO*>(&byVerb)), S_OK);
    byVerb.fMask = CMIC_MASK_FLAG_NO_UI | CMIC_MASK_UNICODE;
    byVerb.lpVerbW = L"CreateHardLinks";
    EXPECT_EQ(Run(MakeMenu({a}, target), reinterpret_cast<CMINVOKECOMMANDINFO*>(&byVerb)), S_OK);
    EXPECT_EQ(SharedLinks(a, target + L"\\a (3).txt"), 4u);
    EXPECT_EQ(SharedLinks(a, target + L"\\a (4).txt"), 4u);
    EXPECT_EQ(SharedLinks(b, target + L"\\b (2).dat"), 3u);
}

TEST_F(Tessivar, CloneRecreatesTheTreeAndMergesWithoutReplacing) {
    for (const char* folder : {"src", "src\\sub", "src\\sub\\empty", "target", "target\\src"}) dir.MakeDir(folder);
    std::wstring x = Wide(dir.MakeFile("src\\x.txt")), y = Wide(dir.MakeFile("src\\sub\\y.txt"));
    std::wstring loose = Wide(dir.MakeFile("loose.txt")), target = Wide(dir / "target");
    std::string taken = WriteFile(dir / "target\\src\\x.txt", "taken");

    IContextMenu* menu = MakeMenu({Wide(dir / "src"), loose}, target);
    ASSERT_EQ(Items(menu), (Texts{LinksHere, CloneHere}));
    EXPECT_EQ(RunOffset(menu, 1), S_OK);
    EXPECT_EQ(ReadFile(taken), "taken");
    EXPECT_EQ(SharedLinks(x, target + L"\\src\\x (2).txt"), 2u);
    EXPECT_EQ(SharedLinks(y, target + L"\\src\\sub\\y.txt"), 2u);
    EXPECT_TRUE(DirExists(dir / "target\\src\\sub\\empty"));
    EXPECT_EQ(SharedLinks(loose, target + L"\\loose.txt"), 2u);

    // Names ending in a dot or a space are linked under their own name.
    std::wstring odd = MakeExact(Wide(dir / "odd "), true), oddFile = MakeExact(odd + L"\\file.");
    EXPECT_EQ(RunOffset(MakeMenu({odd, oddFile}, target), 1), S_OK);
    auto exact = [](const std::wstring& path) { return fs::ExtendedPath(std::wstring_view(path)); };
    EXPECT_EQ(SharedLinks(exact(oddFile), exact(target + L"\\odd \\file.")), 3u);
    EXPECT_EQ(SharedLinks(exact(oddFile), exact(target + L"\\file.")), 3u);
}

TEST_F(Tessivar, AskedNotToRunAsynchronouslyTheJobIsDoneOnReturn) {
    std::wstring target = Wide(dir.MakeDir("target"));
    Texts files;
    for (int i = 0; i < 50; ++i) files.push_back(Wide(dir.MakeFile(std::to_string(i) + ".dat")));
    IContextMenu* menu = MakeMenu(files, target);
    CMINVOKECOMMANDINFO info{.cbSize = sizeof info, .fMask = CMIC_MASK_FLAG_NO_UI | CMIC_MASK_NOASYNC, .lpVerb = MAKEINTRESOURCEA(0)};
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    // The last link at once: a job on a thread of its own has barely begun.
    EXPECT_EQ(SharedLinks(files.back(), target + L"\\49.dat"), 2u);
    menu->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Tessivar, ServerCountsObjectsAndRegistersTheOptionsWindowsKeys) {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_TRUE(factory = Factory());
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    IUnknown* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&object)), S_OK);
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    object->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // still locked
    ASSERT_TRUE(factory = Factory());
    factory->LockServer(FALSE);
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);

    const std::string folder = fs::Narrow(ProductDir());
    ShellIntegration::Unregister(folder);
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_TRUE(ShellIntegration::IsRegistered(folder));
    // The table's values; the server is this very library.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(dll, path, MAX_PATH);
    for (const auto& entry : ShellIntegration::Entries)
        for (const auto& v : std::span(entry.Values, entry.ValueCount))
            EXPECT_EQ(Wide(RawValue(HKEY_CLASSES_ROOT, entry.Key + 1, v.Name)), v.Data ? Wide(v.Data) : path) << entry.Key;
    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(ShellIntegration::IsRegistered(folder));
    EXPECT_TRUE(RawKeyExists(HKEY_CLASSES_ROOT, "Directory\\shellex\\DragDropHandlers"));
    EXPECT_EQ(unregisterServer(), S_OK);  // nothing left to remove is no error
}

// Another copy's registration survives this one's removal: the class's
// server, in this program's view and in the 32-bit one, decides.
TEST_F(Tessivar, UnregisteringRemovesOnlyItsOwnRegistration) {
    const std::wstring self = ProductDir() + L"tessivar.dll";
    TempDir temp;
    const std::wstring copy = Wide(temp.MakeFile("tessivar.dll", "another copy"));
    const std::wstring server = L"CLSID\\" + Wide(ShellIntegration::ClassId) + L"\\InProcServer32";
    auto set = [&](REGSAM view, const std::wstring& path) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr);
        RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), DWORD((path.size() + 1) * 2));
        RegCloseKey(key);
    };
    auto removeClass = [&](REGSAM view) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
        RegDeleteTreeW(key, Wide(ShellIntegration::ClassId).c_str());
        RegCloseKey(key);
    };
    const struct {
        std::wstring own, other;  // empty: no class in that view
        bool handlersStay, classStays;
    } cases[] = {
        {self, L"", false, false},
        {ProductDir() + L"..\\QUENMOOR\\.\\Tessivar.DLL", L"", false, false},
        {copy, L"", true, true},
        {L"C:\\Gone\\tessivar.dll", L"", true, true},  // a copy deleted since
        {self, copy, true, false},  // a 32-bit copy shares the handler keys
        {L"", L"", false, false},  // keys that name no server are nobody's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fs::Narrow(c.own + L" | " + c.other));
        ASSERT_EQ(registerServer(), S_OK);
        if (c.own.empty()) removeClass(0);
        else set(0, c.own);
        if (!c.other.empty()) set(KEY_WOW64_32KEY, c.other);
        EXPECT_EQ(unregisterServer(), S_OK);
        for (const auto& entry : ShellIntegration::Entries) {
            bool isClass = std::string_view(entry.Key).starts_with("\\CLSID\\");
            EXPECT_EQ(RawKeyExists(HKEY_CLASSES_ROOT, entry.Key + 1), isClass ? c.classStays : c.handlersStay) << entry.Key;
        }
        if (c.classStays) {
            EXPECT_EQ(Wide(RawValue(HKEY_CLASSES_ROOT, fs::Narrow(server), "")), c.own);
        }
        removeClass(KEY_WOW64_32KEY);
        for (const auto& entry : ShellIntegration::Entries) RegDeleteTreeA(HKEY_CLASSES_ROOT, entry.Key + 1);
    }
}

// The Properties of a file with three names: the page Explorer would show,
// in a real property sheet, fills itself from its own thread.
TEST_F(Tessivar, ThePropertyPageListsEveryNameOfAFile) {
    const std::wstring top = Wide(dir.Path()), cyrillic = top + L"\\\u0436\u0443\u0440\u043D\u0430\u043B";
    ASSERT_TRUE(CreateDirectoryW((top + L"\\a").c_str(), nullptr) && CreateDirectoryW(cyrillic.c_str(), nullptr));
    Texts names = {top + L"\\a\\file.txt", top + L"\\copy.txt", cyrillic + L"\\\u0444.txt"};
    WriteFile(dir / "a\\file.txt", "three names");
    for (size_t i = 1; i < names.size(); ++i) ASSERT_TRUE(CreateHardLinkW(names[i].c_str(), names[0].c_str(), nullptr));

    IShellPropSheetExt* sheetExt = Initialised<IShellPropSheetExt>(Factory(), {names[0]});
    ASSERT_NE(sheetExt, nullptr);
    std::vector<HPROPSHEETPAGE> pages;
    ASSERT_EQ(sheetExt->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
    sheetExt->Release();
    ASSERT_EQ(pages.size(), 1u);

    PROPSHEETHEADERW header{.dwSize = sizeof header, .dwFlags = PSH_MODELESS, .pszCaption = L"file.txt",
                            .nPages = 1, .phpage = pages.data()};
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    HWND list = FindDescendant(sheet, "ListBox");
    auto pump = [] {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    };
    EXPECT_TRUE(WaitUntil([&] { return pump(), SendMessageW(list, LB_GETCOUNT, 0, 0) == 3; }));
    wchar_t tab[64] = {};
    TCITEMW item{.mask = TCIF_TEXT, .pszText = tab, .cchTextMax = 64};
    SendMessageW(PropSheet_GetTabControl(sheet), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"Hard Links");
    EXPECT_NE(FindWideText(sheet, L"3 names"), nullptr);
    Texts items = automation::ItemsOf(list);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(items, names);
    DestroyWindow(sheet);
    pump();
    EXPECT_TRUE(WaitUntil([&] { return pump(), canUnloadNow() == S_OK; }));
}

// What the extension hands the program: the names as they are while they fit
// on one command line, else a list file of them.
TEST(StartQuenmoor, HandsTheNamesAsTheyAreAndALongSelectionInAList) {
    const std::wstring program = L"C:\\Program Files\\Quenmoor\\ombrel.exe", quotedProgram = L"\"" + program + L"\"";
    const std::wstring name = L"C:\\\u65E5\u672C\\\u015Cample-\U0001F600.txt", broken = L"C:\\half-\xD800.txt";
    // Names that make a command line of this many characters.
    auto namesFor = [&](size_t length) {
        Texts names;
        for (size_t used = quotedProgram.size(); used < length; used += names.back().size() + 3)
            names.push_back(L"C:\\" + std::wstring(std::min<size_t>(length - used - 3, 250) - 3, L'x'));
        return names;
    };
    struct Row {
        const char* what;
        Texts names;
        bool listed;
    } rows[] = {
        {"two names", {name, L"C:\\b c.txt"}, false},
        {"CreateProcessW's limit less its terminating zero", namesFor(32766), false},
        {"one character more", namesFor(32767), true},
        {"half a surrogate pair stays on the line", [&] { Texts t = namesFor(40000); t.insert(t.begin() + 1, broken); return t; }(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::wstring list = L"left", line = tessivar::QuenmoorCommandLine(program, row.names, list);
        std::wstring expected = quotedProgram;
        std::string content;
        for (const std::wstring& n : row.names) {
            if (!row.listed || n == broken) expected += L" \"" + n + L"\"";
            else content += fs::Narrow(n, CP_UTF8) + "\r\n";
        }
        ASSERT_EQ(list.empty(), !row.listed);
        if (!row.listed) {
            EXPECT_TRUE(line == expected) << line.size();
            continue;
        }
        // The extension's pattern, in the user's temporary folder.
        EXPECT_EQ(list.substr(0, fs::TemporaryFolder().size() + 9), fs::TemporaryFolder() + L"Quenmoor-");
        EXPECT_EQ(list.size(), fs::TemporaryFolder().size() + 21);
        EXPECT_EQ(list.substr(list.size() - 4), L".lst");
        EXPECT_TRUE(line == expected + L" \"/list:" + list + L"\"");
        std::ifstream in(std::filesystem::path(list), std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == content);
        in.close();
        DeleteFileW(list.c_str());
    }
}

TEST_F(Tessivar, RightClickStartsQuenmoorWithTheFileSelected) {
    dir.MakeDir("some folder");
    std::string file = dir.MakeFile("some folder\\picked file.dat");
    IContextMenu* menu = MakeMenu({Wide(file)});
    ASSERT_EQ(Items(menu), Texts{WithQuenmoor});
    EXPECT_EQ(RunOffset(menu, 0), S_OK);
    // The program's main window, in a process of its own.
    HWND main = nullptr;
    WaitUntil([&] {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, nullptr, "Quenmoor")) != nullptr;) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != GetCurrentProcessId() && IsWindowVisible(w)) main = w;
        }
        return main != nullptr;
    }, 20000);
    ASSERT_NE(main, nullptr);
    HWND field = ChildWindowFromPoint(main, POINT{248 + 20, 280 + 10});
    EXPECT_TRUE(WaitUntil([&] { return TextOf(field) == "picked file.dat"; })) << TextOf(field);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(main); }));
}

// A job that runs out of memory after its work so far, as one on a huge tree.
TEST(LinkJobOnItsThread, AnExceptionEndsTheJobWithTheBoxAndReleasesTheThreadsCom) {
    struct Exhausted : tessivar::TLinkJob {
        using TLinkJob::TLinkJob;
        void Run(tessivar::TProgress& progress) override {
            TLinkJob::Run(progress);
            throw std::bad_alloc();
        }
    };
    TempDir dir;
    std::wstring target = Wide(dir.MakeDir("target")), gone = Wide(dir / "gone.txt");
    HRESULT comAfter = E_FAIL;
    // Waited for on a thread without COM, so what the job leaves of it shows.
    std::thread caller([&] {
        std::vector<tessivar::TSource> sources{{target, true}, {gone, false}};
        tessivar::StartJob(std::make_unique<Exhausted>(tessivar::TDropCommand::Clone, sources, target), true, true);
        comAfter = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(comAfter)) CoUninitialize();
    });
    HWND box = FailureBox();
    EXPECT_NE(box, nullptr);
    std::vector<std::string> lines = box ? TextsOf(box, "Static") : std::vector<std::string>();
    if (box) PostMessageA(FindDescendant(box, "Button", "OK"), BM_CLICK, 0, 0);
    caller.join();
    EXPECT_EQ(comAfter, S_OK);
    const std::string into = fs::Narrow(target, CP_UTF8);
    EXPECT_EQ(lines, std::vector<std::string>{"These items could not be linked:\n\n" + into +
                                              ": The target folder is this folder itself\n" + fs::Narrow(gone, CP_UTF8) +
                                              ": The system cannot find the file specified (2)\n" + into +
                                              ": Not enough memory resources are available to process this command (8)"});
}

// Explorer frees the DLL once DllCanUnloadNow allows and no object is left;
// a job still running keeps its own reference. Its failures are shown once,
// at the end, in the program's language.
TEST(TessivarModule, StaysLoadedWhileItsJobRunsAndShowsItsFailuresInTheProgramsLanguage) {
    ScopedRegValue german(HKEY_LOCAL_MACHINE, ShellIntegration::SettingsKey, "Language", "German");
    std::wstring path = ProductDir() + L"tessivar.dll";
    ASSERT_EQ(GetModuleHandleW(path.c_str()), nullptr);  // no other load of it in this process
    HMODULE dll = LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(dll, "DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<NoArgFn>(GetProcAddress(dll, "DllCanUnloadNow"));
    CLSID id{};
    CLSIDFromString(Wide(ShellIntegration::ClassId).c_str(), &id);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    TempDir dir;
    std::string gone = dir.MakeFile("gone.txt");
    IContextMenu* menu = Initialised<IContextMenu>(factory, {Wide(gone), Wide(dir.MakeFile("kept.txt"))}, Wide(dir.MakeDir("target")));
    HMENU popup = CreatePopupMenu();
    // One item: the drop checks find both there.
    EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1));
    DestroyMenu(popup);
    DeleteFileA(gone.c_str());
    CMINVOKECOMMANDINFO info{.cbSize = sizeof info, .lpVerb = "CreateHardLinks"};
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    menu->Release();

    // The failure box holds the job, and the server, until it is answered.
    HWND box = FailureBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    // German.lng is in code page 1252; this process reads texts back in UTF-8.
    EXPECT_EQ(TextsOf(box, "Static"), std::vector<std::string>{"Diese Elemente konnten nicht verknüpft werden:\n\n" + gone +
                                                                ": Das System kann die angegebene Datei nicht finden (2)"});
    EXPECT_TRUE(FileExists(dir / "target\\kept.txt"));
    FreeLibrary(dll);
    EXPECT_NE(GetModuleHandleW(path.c_str()), nullptr);
    PostMessageA(FindDescendant(box, "Button", "OK"), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetModuleHandleW(path.c_str()) == nullptr; }));
}
