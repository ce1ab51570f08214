// Lists a folder of 20,000 files through the file list and through a bare
// FindFirstFile/FindNextFile walk of the same folder, and prints the ratio.
#include "controls/FileCtrl.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr int kFiles = 20000;

double Seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

int BareWalk(const std::string& folder) {
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

}  // namespace

int main() {
    tk::Application app;
    char tmp[MAX_PATH] = {};
    GetTempPathA(sizeof tmp, tmp);
    std::string folder = std::string(tmp) + "qm_folder_bench";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (BareWalk(folder) != kFiles) {
        std::printf("making %d files in %s\n", kFiles, folder.c_str());
        for (int i = 0; i < kFiles; ++i) {
            std::string name = folder + "\\file" + std::to_string((i * 7919) % kFiles) + ".dat";
            HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }

    tk::Form host(nullptr);
    host.SetClientSize(300, 400);
    auto* list = tk::Make<TFileListBox>(&host, &host, "Files", {0, 0, 300, 400});
    list->SetDirectory(folder);
    host.Show();

    const int rounds = 5;
    int bare = 0;
    double tBare = Seconds([&] {
        for (int r = 0; r < rounds; ++r) bare = BareWalk(folder);
    });
    double tList = Seconds([&] {
        for (int r = 0; r < rounds; ++r) list->Update();
    });
    // Where the time goes: the sort and the fill of the window.
    std::vector<std::string> names = list->Items()->ToVector();
    std::reverse(names.begin(), names.end());
    double tSort = Seconds([&] {
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) { return tk::CompareText(a, b) < 0; });
    });
    std::vector<std::pair<std::string, void*>> items;
    for (auto& n : names) items.emplace_back(n, nullptr);
    double tClear = Seconds([&] { list->Items()->Clear(); });
    double tFill = Seconds([&] { list->Items()->Replace(items); });
    std::printf("  emptying the window: %.1f ms\n", tClear * 1000);
    std::printf("  of which sort %.1f ms, window fill %.1f ms\n", tSort * 1000, tFill * 1000);
    // The same fill into a plain list box of the same styles, for comparison.
    for (bool ownerDraw : {false, true}) {
        HWND raw = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
                                   (ownerDraw ? LBS_OWNERDRAWFIXED : 0), 0, 0, 300, 400, host.Handle(), nullptr, nullptr, nullptr);
        double tRaw = Seconds([&] {
            SendMessageA(raw, WM_SETREDRAW, FALSE, 0);
            SendMessageA(raw, LB_INITSTORAGE, names.size(), names.size() * 32);
            for (auto& n : names) {
                LRESULT i = SendMessageA(raw, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
                if (ownerDraw) SendMessageA(raw, LB_SETITEMDATA, static_cast<WPARAM>(i), 1);
            }
            SendMessageA(raw, WM_SETREDRAW, TRUE, 0);
        });
        std::printf("  plain list box fill (%s): %.1f ms\n", ownerDraw ? "owner-drawn, with item data" : "standard", tRaw * 1000);
        DestroyWindow(raw);
    }
    std::printf("files: bare %d, list %d\n", bare, list->Items()->Count());
    std::printf("bare enumeration: %.1f ms per read\n", tBare * 1000 / rounds);
    std::printf("file list:        %.1f ms per read\n", tList * 1000 / rounds);
    std::printf("ratio file list / bare: %.1f\n", tList / tBare);
    return list->Items()->Count() == bare ? 0 : 1;
}
