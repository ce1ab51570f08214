// A folder of 20,000 files entered by double-click in the main window's
// folder list, against a bare FindFirstFile/FindNextFile walk and sort of
// the same folder; then where one reading of the file list spends its time.
// An argument sets the number of rounds.
#include "BenchFolder.h"
#include "app/Main.h"
#include "toolkit/Dialogs.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Opens a line of the folder list as a double-click does.
void DoubleClick(TDirectoryListBox* list, const std::string& line) {
    list->SetItemIndex(list->Items()->IndexOf(line));
    SendMessageA(GetParent(list->Handle()), WM_COMMAND, MAKEWPARAM(list->Id(), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list->Handle()));
}

}  // namespace

int main(int argc, char** argv) {
    using bench::Median;
    using bench::Seconds;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    std::string folder = bench::FolderOfFiles();
    std::string parent = folder.substr(0, folder.rfind('\\'));
    std::string line = folder.substr(folder.rfind('\\') + 1);

    tk::Application app;
    tk::SetMessageResponder([](const tk::MessageRecord&) { return tk::mrOk; });
    SetCurrentDirectoryA(parent.c_str());
    app.CreateForm(MainForm);
    MainForm->Show();
    TDirectoryListBox* dirs = MainForm->InputDirList;
    TFileListBox* files = MainForm->InputFileList;

    std::vector<double> bare, entered;
    for (int r = 0; r < rounds; ++r) {  // alternating, so both see the same machine
        dirs->SetDirectory(parent);
        app.ProcessMessages();
        entered.push_back(Seconds([&] { DoubleClick(dirs, line); }));
        app.ProcessMessages();
        bare.push_back(Seconds([&] { bench::BareWalkAndSort(folder); }));
    }
    int listed = files->Items()->Count();
    std::printf("rounds: %d (medians)\n", rounds);
    std::printf("entering a folder of %d files by double-click: %.1f ms, bare walk and sort %.1f ms, ratio %.2f\n",
                listed, Median(entered) * 1000, Median(bare) * 1000, Median(entered) / Median(bare));

    // Where one reading of the file list goes: the walk, the sort, the fill.
    std::vector<double> walk, read;
    for (int r = 0; r < rounds; ++r) {
        walk.push_back(Seconds([&] { bench::BareWalkAndSort(folder, false); }));
        read.push_back(Seconds([&] { files->Update(); }));
    }
    std::vector<std::string> names = files->Items()->ToVector();
    std::reverse(names.begin(), names.end());
    double tSort = Seconds([&] {
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) { return tk::CompareText(a, b) < 0; });
    });
    std::vector<std::pair<std::string, void*>> items;
    for (auto& n : names) items.emplace_back(n, nullptr);
    double tFill = Seconds([&] { files->Items()->Replace(items); });
    // The same fill into a list box of the same styles that the toolkit does
    // not stand in front of: what the toolkit's window procedure costs.
    HWND raw = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
                               LBS_OWNERDRAWFIXED, 0, 0, 193, 145, MainForm->Handle(), nullptr, nullptr, nullptr);
    double tRaw = Seconds([&] {
        SendMessageA(raw, WM_SETREDRAW, FALSE, 0);
        SendMessageA(raw, LB_INITSTORAGE, names.size(), names.size() * 32);
        for (const auto& [text, obj] : items) {
            LRESULT i = SendMessageA(raw, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SendMessageA(raw, LB_SETITEMDATA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(obj));
        }
        SendMessageA(raw, WM_SETREDRAW, TRUE, 0);
    });
    DestroyWindow(raw);
    std::printf("file list reading: %.1f ms, bare walk %.1f ms, ratio %.2f\n", Median(read) * 1000,
                Median(walk) * 1000, Median(read) / Median(walk));
    std::printf("  a sort of its names with CompareText %.1f ms, a fill of the window %.1f ms (a plain list box: "
                "%.1f ms)\n",
                tSort * 1000, tFill * 1000, tRaw * 1000);
    return listed == bench::kFolderFiles ? 0 : 1;
}
