#include "app/Startup.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"

#include <windows.h>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    size_t i = 0, n = commandLine.size();
    // The program's name: up to the next quote when quoted, else up to a
    // blank; backslashes are plain there.
    if (i < n && commandLine[i] == '"') {
        size_t end = commandLine.find('"', 1);
        i = end == std::string::npos ? n : end + 1;
    }
    while (i < n && !IsBlank(commandLine[i])) ++i;
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) return args;
        std::string arg;
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

std::vector<std::string> ExistingFiles(const std::vector<std::string>& names) {
    std::vector<std::string> files;
    for (const std::string& name : names) {
        char full[MAX_PATH * 2];
        DWORD n = GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
        if (n == 0 || n >= sizeof full) continue;
        DWORD attributes = GetFileAttributesA(full);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        // Short names and any case become the names the lists show.
        char longName[MAX_PATH * 2];
        n = GetLongPathNameA(full, longName, sizeof longName);
        files.push_back(n && n < sizeof longName ? longName : full);
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

int RunQuenmoor(const std::string& commandLine) {
    tk::Application app;
    app.Title = "Quenmoor";
    try {
        app.CreateForm(MainForm);
        app.CreateForm(MultiHardLinkForm);
        app.CreateForm(NewFolderForm);
        app.CreateForm(AboutForm);
        app.CreateForm(OptionsForm);
        // A file that cannot be shown is reported; the program goes on.
        try {
            OpenFiles(ExistingFiles(SplitCommandLine(commandLine)));
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
