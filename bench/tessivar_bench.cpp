// A drop of 10,000 files onto a folder through tessivar.dll ("Create hard
// links here") against bare CreateHardLinkW calls for the same files: once
// without user interface, once with the progress dialog as Explorer invokes
// it. And a right-click on 20,000 files (the menu object made, initialised
// and asked for its items) against the bare reading of their names from the
// data object, the least any menu costs, and against a bare look at each of
// them (GetFileAttributesW), the least a menu asking the disk per file would
// add. Run by hand under Wine (see README.md); the argument "menu" measures
// the right-click alone.
#include "Clock.h"
#include "support/DropData.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int FileCount = 10000;
constexpr int SelectionCount = 20000;
constexpr int Rounds = 2;
constexpr int MenuRounds = 9;

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgFn = HRESULT(STDAPICALLTYPE*)();

std::wstring ProductDir() {
    std::string p = "Z:" + std::string(QUENMOOR_PRODUCT_DIR) + "\\";
    std::wstring w(p.begin(), p.end());
    std::replace(w.begin(), w.end(), L'/', L'\\');
    return w;
}

std::wstring Name(int i) { return L"file" + std::to_wstring(i) + L".dat"; }

void Empty(const std::wstring& folder) {
    for (int i = 0; i < FileCount; ++i) DeleteFileW((folder + L"\\" + Name(i)).c_str());
    RemoveDirectoryW(folder.c_str());
}

double Bare(const std::wstring& sources, const std::wstring& target) {
    CreateDirectoryW(target.c_str(), nullptr);
    double t0 = Now();
    for (int i = 0; i < FileCount; ++i)
        if (!CreateHardLinkW((target + L"\\" + Name(i)).c_str(), (sources + L"\\" + Name(i)).c_str(), nullptr))
            std::fprintf(stderr, "bare link %d failed (%lu)\n", i, GetLastError());
    return Now() - t0;
}

struct DropTimes {
    double menu = 0;  // Initialize and QueryContextMenu
    double job = 0;   // InvokeCommand until the job's thread is done
};

DropTimes Drop(GetClassObjectFn getClassObject, NoArgFn canUnloadNow, const CLSID& id,
               const std::vector<std::wstring>& paths, const std::wstring& target, DWORD mask) {
    DropTimes out;
    CreateDirectoryW(target.c_str(), nullptr);
    IClassFactory* factory = nullptr;
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    if (FAILED(getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) {
        std::fprintf(stderr, "no object\n");
        return out;
    }
    factory->Release();
    auto* data = new testsupport::TDropData(paths);
    PIDLIST_ABSOLUTE folder = ILCreateFromPathW(target.c_str());
    HMENU popup = CreatePopupMenu();

    double t0 = Now();
    init->Initialize(folder, data, nullptr);
    init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    HRESULT items = menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL);
    double t1 = Now();
    if (HRESULT_CODE(items) != 1) std::fprintf(stderr, "menu holds %d items\n", static_cast<int>(HRESULT_CODE(items)));
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.lpVerb = MAKEINTRESOURCEA(0);
    menu->InvokeCommand(&info);
    menu->Release();
    init->Release();
    while (canUnloadNow() != S_OK) Sleep(2);
    double t2 = Now();

    data->Release();
    ILFree(folder);
    DestroyMenu(popup);
    out.menu = t1 - t0;
    out.job = t2 - t1;
    return out;
}

// Explorer's part of a right-click on the files: the object made,
// initialised with the selection and asked for its items.
double RightClick(GetClassObjectFn getClassObject, const CLSID& id, const std::vector<std::wstring>& paths) {
    auto* data = new testsupport::TDropData(paths);
    HMENU popup = CreatePopupMenu();
    double t0 = Now();
    IClassFactory* factory = nullptr;
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    factory->Release();
    init->Initialize(nullptr, data, nullptr);
    init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    HRESULT items = menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL);
    menu->Release();
    init->Release();
    double t = Now() - t0;
    if (HRESULT_CODE(items) != 1) std::fprintf(stderr, "right-click menu holds %d items\n", static_cast<int>(HRESULT_CODE(items)));
    DestroyMenu(popup);
    data->Release();
    return t;
}

// The names as any handler must read them: the data fetched, walked once.
double ReadNames(IDataObject* data) {
    double t0 = Now();
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    size_t count = 0;
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        auto* drop = static_cast<DROPFILES*>(GlobalLock(medium.hGlobal));
        for (auto* p = reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(drop) + drop->pFiles); *p;
             p += wcslen(p) + 1)
            ++count;
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    double t = Now() - t0;
    if (count != SelectionCount) std::fprintf(stderr, "read %zu names\n", count);
    return t;
}

double LookAtEach(const std::vector<std::wstring>& paths) {
    double t0 = Now();
    for (const std::wstring& p : paths)
        if (GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) std::fprintf(stderr, "gone: %ls\n", p.c_str());
    return Now() - t0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const bool menuOnly = argc > 1 && std::string(argv[1]) == "menu";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE dll = LoadLibraryW((ProductDir() + L"tessivar.dll").c_str());
    if (!dll) {
        std::fprintf(stderr, "cannot load tessivar.dll (%lu)\n", GetLastError());
        return 1;
    }
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(dll, "DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<NoArgFn>(GetProcAddress(dll, "DllCanUnloadNow"));
    CLSID id{};
    CLSIDFromString(L"{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}", &id);

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"tessivar_bench";
    std::wstring sources = root + L"\\sources";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(sources.c_str(), nullptr);
    std::vector<std::wstring> paths;
    for (int i = 0; i < SelectionCount; ++i) {
        paths.push_back(sources + L"\\" + Name(i));
        HANDLE h = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
    }

    std::vector<double> rightClick, read, look;
    auto* data = new testsupport::TDropData(paths);
    for (int round = 0; round < MenuRounds; ++round) {
        rightClick.push_back(RightClick(getClassObject, id, paths));
        read.push_back(ReadNames(data));
        look.push_back(LookAtEach(paths));
    }
    data->Release();
    const std::vector<std::wstring> selection = std::move(paths);
    paths.assign(selection.begin(), selection.begin() + FileCount);

    double bare = 1e9, menu = 1e9, silent = 1e9, shown = 1e9;
    for (int round = 0; round < (menuOnly ? 0 : Rounds); ++round) {
        std::wstring bareTarget = root + L"\\bare", dropTarget = root + L"\\drop";
        bare = std::min(bare, Bare(sources, bareTarget));
        Empty(bareTarget);
        DropTimes d = Drop(getClassObject, canUnloadNow, id, paths, dropTarget, CMIC_MASK_FLAG_NO_UI);
        menu = std::min(menu, d.menu);
        silent = std::min(silent, d.job);
        Empty(dropTarget);
        shown = std::min(shown, Drop(getClassObject, canUnloadNow, id, paths, dropTarget, 0).job);
        Empty(dropTarget);
    }
    for (const std::wstring& p : selection) DeleteFileW(p.c_str());
    RemoveDirectoryW(sources.c_str());
    RemoveDirectoryW(root.c_str());

    if (!menuOnly) {
        std::printf("%d files, best of %d rounds\n", FileCount, Rounds);
        std::printf("bare CreateHardLinkW             %7.3f s\n", bare);
        std::printf("menu (Initialize, QueryContextMenu) %4.3f s\n", menu);
        std::printf("drop, no user interface          %7.3f s   rate ratio %.2f (goal >= 0.9)\n", silent, bare / silent);
        std::printf("drop, progress dialog            %7.3f s   rate ratio %.2f\n", shown, bare / shown);
    }
    const double menuTime = Median(rightClick);
    std::printf("%d files right-clicked, median of %d rounds\n", SelectionCount, MenuRounds);
    std::printf("names read bare                  %7.3f s\n", Median(read));
    std::printf("GetFileAttributesW on each       %7.3f s\n", Median(look));
    std::printf("right-click menu                 %7.3f s   ratio %.2f to the names (goal <= 3), %.2f to a look at each"
                " (< 1: no look per file)\n",
                menuTime, menuTime / Median(read), menuTime / Median(look));
    FreeLibrary(dll);
    CoUninitialize();
    return 0;
}
