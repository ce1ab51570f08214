#include "shellext/Worker.h"

#include "shellext/Server.h"
#include "shellext/Texts.h"

#include <shlobj.h>

#include <new>
#include <vector>

namespace tessivar {

namespace {
const wchar_t Title[] = L"Quenmoor";

// The system's progress dialog, told at most ten times a second.
class TDialogProgress : public TProgress {
public:
    explicit TDialogProgress(const TTexts& texts) {
        if (FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                    reinterpret_cast<void**>(&dialog_))))
            return;
        dialog_->SetTitle(Title);
        dialog_->SetLine(1, texts.Text("Creating hard links").c_str(), FALSE, nullptr);
        dialog_->SetCancelMsg(texts.Text("Cancelling...").c_str(), nullptr);
        dialog_->StartProgressDialog(nullptr, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME, nullptr);
    }
    ~TDialogProgress() override {
        if (!dialog_) return;
        dialog_->StopProgressDialog();
        dialog_->Release();
    }
    TDialogProgress(const TDialogProgress&) = delete;
    TDialogProgress& operator=(const TDialogProgress&) = delete;

    void Step(size_t Done, size_t Total, const std::wstring& Name) override {
        DWORD now = GetTickCount();
        if (!dialog_ || (shown_ && now - last_ < 100)) return;
        shown_ = true;
        last_ = now;
        dialog_->SetLine(2, Name.c_str(), TRUE, nullptr);
        if (Total) dialog_->SetProgress64(Done, Total);  // none while the tree is read
    }
    bool Cancelled() override { return dialog_ && dialog_->HasUserCancelled(); }

private:
    IProgressDialog* dialog_ = nullptr;
    DWORD last_ = 0;
    bool shown_ = false;
};

class TSilentProgress : public TProgress {
public:
    void Step(size_t, size_t, const std::wstring&) override {}
    bool Cancelled() override { return false; }
};

struct TWork {
    std::unique_ptr<TLinkJob> Job;
    bool ShowUi;
    IUnknown* ExplorerProcess;  // keeps a lone Explorer process alive meanwhile
    HMODULE Self;               // this DLL, referenced for the thread
};

// COM for this thread while the job runs, released however it ends.
struct TCom {
    HRESULT Result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~TCom() {
        if (SUCCEEDED(Result)) CoUninitialize();
    }
};

// What the job ran into, and what stopped it should it throw: what was
// linked stays linked, and the user learns what was not.
std::vector<TFailure> RunJob(TLinkJob& job, TProgress& progress) {
    DWORD stop = 0;
    try {
        job.Run(progress);
    } catch (const std::bad_alloc&) {
        stop = ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        stop = ERROR_INTERNAL_ERROR;
    }
    std::vector<TFailure> failures = job.Failures();
    if (stop) failures.push_back({job.Target(), stop});
    return failures;
}

void Work(TWork& work) {
    TCom com;
    TTexts texts;
    std::vector<TFailure> failures;
    if (work.ShowUi) {
        TDialogProgress progress(texts);
        failures = RunJob(*work.Job, progress);
    } else {
        TSilentProgress progress;
        failures = RunJob(*work.Job, progress);
    }
    if (work.ShowUi && !failures.empty())
        MessageBoxW(nullptr, FailureText(failures).c_str(), Title, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

DWORD WINAPI WorkerMain(void* param) {
    HMODULE self = nullptr;
    {
        std::unique_ptr<TWork> work(static_cast<TWork*>(param));
        self = work->Self;
        try {
            Work(*work);
        } catch (...) {
            // Nothing may reach Explorer; what was linked stays linked.
        }
        if (work->ExplorerProcess) work->ExplorerProcess->Release();
    }
    Unlock();
    // The reference taken for this thread keeps the code here until the
    // thread is gone.
    FreeLibraryAndExitThread(self, 0);
}
}  // namespace

std::wstring FailureText(const std::vector<TFailure>& Failures, size_t MaxListed) {
    TTexts texts;
    std::wstring text = texts.Text("These items could not be linked:") + L"\n";
    for (size_t i = 0; i < Failures.size() && i < MaxListed; ++i)
        text += L"\n" + Failures[i].Name + L": " +
                (Failures[i].Code == ErrorTargetIsSource ? texts.Text("The target folder is this folder itself")
                                                         : texts.Sentence(Failures[i].Code));
    if (Failures.size() > MaxListed)
        text += L"\n\n" + texts.Text("Further items not shown:") + L" " + std::to_wstring(Failures.size() - MaxListed);
    return text;
}

HRESULT StartJob(std::unique_ptr<TLinkJob> Job, bool ShowUi, bool Wait) {
    auto work = std::make_unique<TWork>(TWork{std::move(Job), ShowUi, nullptr, nullptr});
    if (Wait) {
        // The caller holds an object of this DLL until it returns.
        Lock();
        try {
            Work(*work);
        } catch (...) {
            // As on a thread of its own: nothing reaches the caller.
        }
        Unlock();
        return S_OK;
    }
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&WorkerMain),
                            &work->Self))
        return HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(SHGetInstanceExplorer(&work->ExplorerProcess))) work->ExplorerProcess = nullptr;
    Lock();
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, work.get(), 0, nullptr);
    if (!thread) {
        DWORD code = GetLastError();
        Unlock();
        FreeLibrary(work->Self);
        if (work->ExplorerProcess) work->ExplorerProcess->Release();
        return HRESULT_FROM_WIN32(code);
    }
    work.release();
    CloseHandle(thread);
    return S_OK;
}

}  // namespace tessivar
