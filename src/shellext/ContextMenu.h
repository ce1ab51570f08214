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
    std::vector<int> DropCommands(PCIDLIST_ABSOLUTE folder);
    int CommandAt(const CMINVOKECOMMANDINFO& info) const;
    HRESULT StartQuenmoor(HWND owner, bool showUi) const;

    // Indexes into the command table, in menu order: those of a drop onto
    // target_, those of a right-click on the items, and those in force.
    std::vector<int> dropCommands_, itemCommands_, commands_;
    bool withFolder_ = false;
    std::vector<TSource> sources_;
    std::wstring target_;
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
