// The batch window's run and its "Add Folder..." against the bare calls:
// linking 10,000 files against CreateHardLinkA, the time per entry of a
// 100,000-entry run against a 10,000-entry one (no quadratic list work), and
// adding a folder of 100,000 files against a bare walk and sort.
#include "app/MultiHardLink.h"
#include "toolkit/Dialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

double Seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Root() {
    char tmp[MAX_PATH] = {};
    GetTempPathA(sizeof tmp, tmp);
    return std::string(tmp) + "qm_batch_bench";
}

void Empty(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + fd.cFileName).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// A folder of n files, made once and kept between runs of the benchmark.
std::vector<std::string> Sources(const std::string& folder, int n) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        std::string p = folder + "\\file" + std::to_string((i * 7919) % n) + ".dat";
        if (GetFileAttributesA(p.c_str()) == INVALID_FILE_ATTRIBUTES) {
            HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
        paths.push_back(p);
    }
    return paths;
}

double Bare(const std::vector<std::string>& sources, const std::string& out) {
    Empty(out);
    return Seconds([&] {
        for (const std::string& s : sources) {
            std::string target = out + s.substr(s.rfind('\\'));
            CreateHardLinkA(target.c_str(), s.c_str(), nullptr);
        }
    });
}

double Run(TMultiHardLinkForm& form, const std::vector<std::string>& sources, const std::string& out) {
    Empty(out);
    form.RemoveAllButtonClick();
    form.AddFiles(sources);
    form.DirectoryOutput->SetText(out);
    double t = Seconds([&] { form.GoButtonClick(); });
    if (form.InputFileList->Items()->Count() != 0 && !form.SupressErr->Checked())
        std::printf("  (%d entries failed)\n", form.InputFileList->Items()->Count());
    return t;
}

}  // namespace

int main() {
    tk::Application app;
    tk::SetMessageResponder([](const tk::MessageRecord&) { return tk::mrOk; });
    TMultiHardLinkForm* form = nullptr;
    app.CreateForm(form);
    form->Show();
    std::string root = Root(), out = root + "\\out";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA(out.c_str(), nullptr);

    std::vector<std::string> small = Sources(root + "\\src10k", 10000);
    std::vector<double> bare, run;
    for (int round = 0; round < 5; ++round) {  // alternating, so both see the same machine
        bare.push_back(Bare(small, out));
        run.push_back(Run(*form, small, out));
    }
    double tBare = Median(bare), tRun = Median(run);
    std::printf("10,000 links: bare CreateHardLinkA %.0f ms, batch run %.0f ms\n", tBare * 1000, tRun * 1000);
    std::printf("rate of the batch run / bare rate: %.2f\n", tBare / tRun);

    // Wine looks a name up in a folder by reading the folder, so links into
    // one folder of 100,000 cost it more per link the fuller the folder is,
    // bare calls alike. The run's own list work is measured instead with
    // entries that fail at once (an output folder that does not exist).
    auto failing = [&](int n) {
        std::vector<std::string> entries;
        for (int i = 0; i < n; ++i) entries.push_back(root + "\\src100k\\file" + std::to_string(i) + ".dat");
        form->SupressErr->SetChecked(true);
        double t = Run(*form, entries, root + "\\missing");
        form->SupressErr->SetChecked(false);
        return t / n;
    };
    double perEntrySmall = failing(10000), perEntryLarge = failing(100000);
    std::printf("100,000-entry run of failing links: %.0f ms; time per entry against a 10,000-entry run: %.2f\n",
                perEntryLarge * 100000 * 1000, perEntryLarge / perEntrySmall);
    std::printf("making 100,000 files (once)...\n");
    Sources(root + "\\src100k", 100000);

    std::vector<double> walk, add;
    for (int round = 0; round < 3; ++round) {
        walk.push_back(Seconds([&] {
            std::vector<std::string> names;
            WIN32_FIND_DATAA fd;
            HANDLE h = FindFirstFileA((root + "\\src100k\\*.*").c_str(), &fd);
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
            } while (FindNextFileA(h, &fd));
            FindClose(h);
            std::sort(names.begin(), names.end(),
                      [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
        }));
        form->RemoveAllButtonClick();
        add.push_back(Seconds([&] { form->AddFolder(root + "\\src100k"); }));
    }
    std::printf("Add Folder of 100,000 files: %.0f ms, bare walk and sort %.0f ms, ratio %.2f\n", Median(add) * 1000,
                Median(walk) * 1000, Median(add) / Median(walk));
    return 0;
}
