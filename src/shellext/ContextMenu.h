// The object Explorer makes for a right-click on files (context-menu
// handler), for a right-drag onto a folder (drag-and-drop handler) and for
// the Properties of a file (property-sheet handler), and its class factory. One object per menu: nothing is shared between
// Explorer's windows.
#pragma once

#include "shellext/LinkJob.h"
#include "shellext/Server.h"

#include <shlobj.h>

#include <new>
#include <string>
#include <vector>

namespace tessivar {

// The class identifier of the registration table.
bool IsTessivarClass(REFCLSID Id);

// The command line that starts the program with these files: their names
// while the line stays within the system's limit, else the switch naming a
// new list file that holds them (its path goes to list, for removal should
// the start fail). Empty, with the system's error, when no list could be
// written.
std::wstring QuenmoorCommandLine(const std::wstring& program, const std::vector<std::wstring>& files,
                                 std::wstring& list);

class TTessivarMenu : private TServerObject, public IShellExtInit, public IContextMenu, public IShellPropSheetExt {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return Reference(); }
    STDMETHODIMP_(ULONG) Release() override { return Unreference(); }

    // A target folder makes a drop menu; without one the data object is the
    // selection of a right-click.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName, UINT cchMax) override;

    // The page "Hard Links", for one file on a volume with hard links.
    STDMETHODIMP AddPages(LPFNSVADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) override;
    STDMETHODIMP ReplacePage(EXPPS uPageID, LPFNSVADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) override {
        return E_NOTIMPL;
    }

private:
    // Each asks the disk no more than its answer needs: Explorer's thread
    // waits meanwhile.
    std::vector<int> DropCommands();
    std::vector<int> ItemCommands() const;
    // A host may invoke a verb without asking for the menu first.
    void Decide(bool drop);
    int CommandAt(const CMINVOKECOMMANDINFO& info) const;
    HRESULT StartQuenmoor(HWND owner, bool showUi) const;

    // Indexes into the command table, in menu order, of the menu in force.
    std::vector<int> commands_;
    bool decided_ = false;
    bool withFolder_ = false;
    std::vector<std::wstring> names_;  // as dropped or selected
    std::wstring folder_;              // the drop's target folder, if any
    std::vector<TSource> sources_;     // the names, once the drop checks found them fit
    std::wstring target_;              // the folder, once the drop checks found it fit
};

class TTessivarFactory : private TServerObject, public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return Reference(); }
    STDMETHODIMP_(ULONG) Release() override { return Unreference(); }
    STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;
};

// Runs a COM method's body: nothing thrown inside reaches Explorer.
template <class F>
HRESULT Guarded(F body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace tessivar
