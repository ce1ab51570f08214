#include "app/Startup.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/HardLinks.h"
#include "app/Main.h"
#include "app/Duplicates.h"
#include "app/MultiHardLink.h"
#include "fs/FileSystem.h"
#include "settings/OptionsUnit.h"
#include "settings/ShellIntegration.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

template <class C>
std::vector<std::basic_string<C>> Split(std::basic_string_view<C> commandLine) {
    std::vector<std::basic_string<C>> args;
    size_t i = 0, n = commandLine.size();
    // The program's name: up to the next quote when quoted, else up to a
    // blank; backslashes are plain there.
    if (i < n && commandLine[i] == '"') {
        size_t end = commandLine.find('"', 1);
        i = end == commandLine.npos ? n : end + 1;
    }
    while (i < n && !IsBlank(commandLine[i])) ++i;
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) return args;
        std::basic_string<C> arg;
        bool quoted = false;
        for (; i < n && (quoted || !IsBlank(commandLine[i])); ++i) {
            size_t slashes = 0;
            while (i < n && commandLine[i] == '\\') ++slashes, ++i;
            if (i < n && commandLine[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) arg += '"';
                else quoted = !quoted;
            } else {
                arg.append(slashes, '\\');
                if (i >= n) break;
                if (!quoted && IsBlank(commandLine[i])) break;
                arg += commandLine[i];
            }
        }
        args.push_back(arg);
    }
}

// A list the Explorer extension wrote: its name pattern, directly in the
// user's temporary folder. Any other list is the user's own and stays.
bool IsExtensionsList(const std::wstring& path) {
    using namespace ShellIntegration;
    std::wstring full = fs::PlainPath(fs::ExtendedPath(path));
    size_t cut = full.rfind(L'\\') + 1;
    std::wstring_view name = std::wstring_view(full).substr(cut), prefix = ListPrefix, suffix = ListSuffix;
    const size_t digits = 8;
    if (name.size() != prefix.size() + digits + suffix.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(prefix.size() + digits) != suffix ||
        !std::all_of(name.begin() + prefix.size(), name.end() - suffix.size(), [](wchar_t c) { return std::iswxdigit(c); }))
        return false;
    std::wstring temporary = fs::TemporaryFolder();
    return !temporary.empty() && lstrcmpiW(full.substr(0, cut).c_str(), temporary.c_str()) == 0;
}

// Names that differ at most in case. A search also matches short names, and
// one for "a." may find "a": those are settled by LongName.
bool SameName(const std::string& a, const std::string& b) {
    std::wstring x = fs::Widen(a), y = fs::Widen(b);
    CharUpperBuffW(x.data(), static_cast<DWORD>(x.size()));
    CharUpperBuffW(y.data(), static_cast<DWORD>(y.size()));
    return x == y;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    return Split(std::string_view(commandLine));
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    return Split(std::wstring_view(commandLine));
}

std::vector<std::wstring> ListedNames(std::string_view content) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    std::vector<std::wstring> names;
    while (!content.empty()) {
        size_t end = std::min(content.find('\n'), content.size());
        std::string_view line = content.substr(0, end);
        content.remove_prefix(std::min(end + 1, content.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) names.push_back(fs::Widen(line, CP_UTF8));
    }
    return names;
}

std::vector<std::wstring> CommandLineNames(const std::wstring& commandLine) {
    const std::wstring_view listSwitch = ShellIntegration::ListSwitch;
    std::vector<std::wstring> names;
    for (std::wstring& arg : SplitCommandLine(commandLine)) {
        if (arg.size() <= listSwitch.size() || _wcsnicmp(arg.c_str(), listSwitch.data(), listSwitch.size()) != 0) {
            names.push_back(std::move(arg));
            continue;
        }
        std::wstring list = arg.substr(listSwitch.size());
        std::string content;
        if (!fs::ReadWhole(list, content, 256 << 20)) continue;
        for (std::wstring& name : ListedNames(content)) names.push_back(std::move(name));
        if (IsExtensionsList(list)) DeleteFileW(fs::ExtendedPath(std::wstring_view(list)).c_str());
    }
    return names;
}

std::vector<std::string> CarriedNames(const std::vector<std::wstring>& names, std::vector<std::string>& refused,
                                      unsigned codePage) {
    std::vector<std::string> carried;
    carried.reserve(names.size());
    std::string name;
    for (const std::wstring& wide : names) (fs::NarrowExact(wide, name, codePage) ? carried : refused).push_back(name);
    return carried;
}

std::vector<std::string> ExistingFiles(const std::vector<std::string>& names) {
    std::vector<std::string> files;
    files.reserve(names.size());
    // Short names and any case become the names the lists show. A selection
    // shares few folders: each folder's spelling is asked once, and each
    // file's name by a search for it alone.
    std::map<std::string, std::string> folders;
    std::vector<fs::Entry> found;
    for (const std::string& name : names) {
        std::string full = fs::FullPath(name);
        if (full.empty() || !fs::IsFile(full)) continue;
        size_t cut = full.rfind('\\') + 1;
        std::string folder = full.substr(0, cut), leaf = full.substr(cut);
        found.clear();
        if (!fs::List(folder, leaf, found) || found.size() != 1 || !found[0].exact || !SameName(found[0].name, leaf)) {
            files.push_back(fs::LongName(full));
            continue;
        }
        auto [at, added] = folders.try_emplace(folder);
        if (added) {
            at->second = fs::LongName(folder);
            if (at->second.back() != '\\') at->second += '\\';
        }
        files.push_back(at->second + found[0].name);
    }
    return files;
}

void OpenFiles(const std::vector<std::string>& files) {
    if (files.size() == 1) MainForm->SelectExistingFile(files.front());
    else if (files.size() > 1) OpenBatchWindowWith(files);
}

void OpenBatchWindowWith(const std::vector<std::string>& files) {
    MultiHardLinkForm->InputFileList->Items()->Clear();
    MultiHardLinkForm->AddFiles(files);
    MultiHardLinkForm->UpdateInputCaption();
    // Over the main window, once the event loop has shown it.
    tk::App->QueueCall([] { MultiHardLinkForm->ShowModal(); });
}

namespace {
// Names the process code page cannot carry (an older system, a code page
// without their characters) are named first; then the other files open.
void OpenCommandLine(const std::wstring& commandLine) {
    std::vector<std::string> refused;
    std::vector<std::string> files = ExistingFiles(CarriedNames(CommandLineNames(commandLine), refused));
    if (refused.empty()) return OpenFiles(files);
    std::string text = MainForm->MainTranslator->TranslateText(
        "These files were left out: the system's code page cannot carry their names:");
    for (const std::string& name : refused) text += "\n" + name;
    tk::App->QueueCall([text, files] {
        tk::MessageDlg(text, tk::MsgDlgType::Error, {tk::mbOK});
        OpenFiles(files);
    });
}
}  // namespace

int RunQuenmoor(const std::wstring& commandLine) {
    tk::Application app;
    app.Title = "Quenmoor";
    try {
        app.CreateForm(MainForm);
        app.CreateForm(MultiHardLinkForm);
        app.CreateForm(DuplicatesForm);
        app.CreateForm(NewFolderForm);
        app.CreateForm(AboutForm);
        app.CreateForm(HardLinksForm);
        app.CreateForm(OptionsForm);
        // A file that cannot be shown is reported; the program goes on.
        try {
            OpenCommandLine(commandLine);
        } catch (...) {
            app.HandleException();
        }
        return app.Run();
    } catch (const tk::EHalt& halt) {
        return halt.ExitCode;
    } catch (const std::exception& e) {
        // A window that cannot be made: say why rather than vanish.
        app.ShowException(e.what());
        return 1;
    }
}
