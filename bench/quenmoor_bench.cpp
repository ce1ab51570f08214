// Start-up, start-up in a large folder, link creation and memory of
// Quenmoor, each as a ratio against the bare Win32 equivalent; start-up also
// against the main window's own windows made bare. Run by hand
// under Wine (see README.md). Arguments: the number of rounds, and another
// product folder to measure instead of this build's (to compare builds).
#include "BenchFolder.h"
#include "Clock.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllimport) int __stdcall CreateLink(const char* newPath, const char* existingPath, DWORD* reserved);

namespace {

std::string Folder() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string p(buf);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

std::string ProductDir() {
    std::string p = "Z:" + std::string(QUENMOOR_PRODUCT_DIR);
    for (char& c : p)
        if (c == '/') c = '\\';
    return p + "\\";
}

struct Find {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindShown(HWND wnd, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char text[64] = {};
    GetWindowTextA(wnd, text, sizeof text);
    if (pid == f->pid && IsWindowVisible(wnd) && std::string(text) == f->caption) {
        f->found = wnd;
        return FALSE;
    }
    return TRUE;
}

struct Start {
    double seconds = 0;
    SIZE_T peakBytes = 0;
};

// Time from process creation to its window being shown, and the process's
// peak working set with that window up.
Start StartUntilShown(const std::string& exe, const char* caption, const std::string& workDir) {
    Start out;
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    double t0 = Now();
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return out;
    }
    Find f{pi.dwProcessId, caption, nullptr};
    while (!f.found && Now() - t0 < 60) {
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&f));
        if (!f.found) Sleep(1);
    }
    out.seconds = Now() - t0;
    Sleep(300);  // let it settle before reading its memory
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) out.peakBytes = pmc.PeakWorkingSetSize;
    if (f.found) PostMessageA(f.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return out;
}

template <class F>
double TimeLinks(const std::string& dir, const std::string& source, int n, F make) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(dir + "link" + std::to_string(i) + ".dat");
    double t0 = Now();
    for (const auto& name : names)
        if (!make(name.c_str(), source.c_str())) std::fprintf(stderr, "link failed (%lu)\n", GetLastError());
    double t = Now() - t0;
    for (const auto& name : names) DeleteFileA(name.c_str());
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    using bench::Median;
    std::string folder = bench::TempFolder("qm_bench");
    std::string work = folder + "\\";
    std::string large = bench::FolderOfFiles();

    // 1. Start-up to the main window shown, in an empty folder and in one of
    // many files, and peak memory with it shown. The rounds alternate, so
    // every measure sees the same machine.
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    std::string product = argc > 2 ? std::string(argv[2]) + "\\" : ProductDir();
    const std::string ombrel = product + "ombrel.exe", minimal = Folder() + "minimal_window.exe";
    const std::string bareForm = Folder() + "bare_form_window.exe";
    std::vector<double> app, bare, form, inLarge, walk;
    std::vector<double> appMem, bareMem;
    StartUntilShown(ombrel, "Quenmoor", folder);  // warm the caches
    StartUntilShown(bareForm, "Bare form", folder);
    StartUntilShown(ombrel, "Quenmoor", large);
    for (int i = 0; i < runs; ++i) {
        Start a = StartUntilShown(ombrel, "Quenmoor", folder);
        Start b = StartUntilShown(minimal, "Minimal", folder);
        form.push_back(StartUntilShown(bareForm, "Bare form", folder).seconds);
        Start c = StartUntilShown(ombrel, "Quenmoor", large);
        walk.push_back(bench::Seconds([&] { bench::BareWalkAndSort(large); }));
        app.push_back(a.seconds);
        bare.push_back(b.seconds);
        inLarge.push_back(c.seconds);
        appMem.push_back(static_cast<double>(a.peakBytes));
        bareMem.push_back(static_cast<double>(b.peakBytes));
    }

    // 2. CreateLink through the library against CreateHardLinkA, 2,000 links.
    std::string source = work + "source.dat";
    HANDLE h = CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    const int links = 2000;
    std::vector<double> lib, sys;
    for (int i = 0; i < 3; ++i) {
        lib.push_back(TimeLinks(work, source, links, [](const char* n, const char* e) {
            DWORD reserved = 0;
            return (CreateLink(n, e, &reserved) & 0xFF) != 0;
        }));
        sys.push_back(TimeLinks(work, source, links, [](const char* n, const char* e) {
            return CreateHardLinkA(n, e, nullptr) != FALSE;
        }));
    }
    DeleteFileA(source.c_str());
    RemoveDirectoryA(folder.c_str());

    std::printf("rounds: %d (medians)\n", runs);
    std::printf("start-up to main window: %.3f s vs minimal window %.3f s, ratio %.2f\n", Median(app), Median(bare),
                Median(app) / Median(bare));
    std::printf("  the same window in bare Win32: %.3f s, ratio %.2f to the minimal window; Quenmoor's ratio to it %.2f\n",
                Median(form), Median(form) / Median(bare), Median(app) / Median(form));
    double extra = Median(inLarge) - Median(app);
    std::printf("start-up in a folder of %d files: %.3f s, %+.3f s over an empty folder, vs bare walk and sort "
                "%.3f s, ratio %.2f\n",
                bench::kFolderFiles, Median(inLarge), extra, Median(walk), extra / Median(walk));
    std::printf("CreateLink x%d: %.3f s vs CreateHardLinkA %.3f s, ratio %.2f\n", links, Median(lib), Median(sys),
                Median(lib) / Median(sys));
    std::printf("peak memory with main window: %.1f MiB vs minimal window %.1f MiB, ratio %.2f\n",
                Median(appMem) / 1048576.0, Median(bareMem) / 1048576.0, Median(appMem) / Median(bareMem));
    return 0;
}
