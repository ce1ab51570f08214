#include "shellext/PropertyPage.h"

#include "fs/LinkNames.h"
#include "shellext/Server.h"
#include "shellext/Texts.h"

#include <commctrl.h>

#include <memory>
#include <vector>

namespace tessivar {

namespace {

constexpr UINT kNews = WM_APP + 1;
enum { idCount = 100, idNames, idUnreadable, idStatus };

// A dialog template in memory: the DLL carries no resources.
class TTemplate {
public:
    TTemplate() {
        DLGTEMPLATE head{};
        head.style = DS_SETFONT | DS_CONTROL | WS_CHILD | WS_CAPTION;
        head.cx = 227;
        head.cy = 215;
        Put(&head, sizeof head);
        Words({0, 0, 0, 8});  // no menu, the default class, no title; 8 points
        Text(L"MS Shell Dlg");
        Item(idCount, 0x0082, SS_LEFT | SS_NOPREFIX, 7, 7, 213, 10);
        Item(idNames, 0x0083, LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
             7, 20, 213, 150);
        Item(idUnreadable, 0x0082, SS_LEFT | SS_NOPREFIX, 7, 174, 213, 18);
        Item(idStatus, 0x0082, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 7, 196, 213, 10);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

private:
    void Put(const void* p, size_t n) {
        size_t at = bytes_;
        bytes_ += n;
        data_.resize((bytes_ + 3) / 4);
        memcpy(reinterpret_cast<BYTE*>(data_.data()) + at, p, n);
    }
    void Words(std::initializer_list<WORD> words) {
        for (WORD w : words) Put(&w, sizeof w);
    }
    void Text(const wchar_t* s) { Put(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
    void Item(WORD id, WORD atom, DWORD style, short x, short y, short cx, short cy) {
        bytes_ = (bytes_ + 3) & ~size_t{3};
        DLGITEMTEMPLATE item{WS_CHILD | WS_VISIBLE | style, 0, x, y, cx, cy, id};
        Put(&item, sizeof item);
        Words({0xFFFF, atom, 0, 0});  // the class, no text, no creation data
        reinterpret_cast<DLGTEMPLATE*>(data_.data())->cdit++;
    }
    std::vector<DWORD> data_;
    size_t bytes_ = 0;
};

struct TPage {
    explicit TPage(const std::wstring& path) : Path(path), Title(Texts.Text("Hard Links")) {}
    const std::wstring Path;
    TTexts Texts;
    const std::wstring Title;
    TTemplate Template;
    std::unique_ptr<fs::NameSearchThread> Search;
    LONG Widest = 0;

    // A message of the program's whose "%1" stands for a count.
    std::wstring Count(const char* one, const char* many, size_t n) const {
        std::wstring text = Texts.Message(n == 1 ? one : many);
        size_t at = text.find(L"%1");
        if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(n));
        return text;
    }

    void Show(HWND page) {
        fs::NameSearchThread::News news = Search->Take();
        HWND list = GetDlgItem(page, idNames);
        if (news.Links) SetDlgItemTextW(page, idCount, Count("1 name", "%1 names", news.Links).c_str());
        HDC dc = GetDC(list);
        HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        for (const std::wstring& name : news.Found) {
            LRESULT i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, Path.c_str(), -1) == CSTR_EQUAL)
                SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            SIZE size{};
            GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &size);
            Widest = std::max(Widest, size.cx + 6);
        }
        SelectObject(dc, font);
        ReleaseDC(list, dc);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(Widest), 0);
        if (!news.Unreadable.empty()) {
            std::wstring text = Count("1 folder could not be read", "%1 folders could not be read", news.Unreadable.size());
            for (size_t i = 0; i < news.Unreadable.size(); ++i) text += (i ? L"; " : L": ") + news.Unreadable[i];
            SetDlgItemTextW(page, idUnreadable, text.c_str());
        }
        std::wstring status;
        const fs::NameSearch& result = news.Result;
        if (!news.Done) {
            if (!news.Folder.empty()) status = Texts.Message("Searching") + L": " + news.Folder;
        } else if (result.Error) {
            status = Texts.Sentence(result.Error);
        } else {
            if (result.Cancelled) status = Texts.Message("The search was cancelled");
            if (result.Missing())
                status += (status.empty() ? L"" : L". ") + Count("1 name is missing", "%1 names are missing", result.Missing());
        }
        SetDlgItemTextW(page, idStatus, status.c_str());
    }
};

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM, LPARAM lp) {
    auto* state = reinterpret_cast<TPage*>(GetWindowLongPtrW(page, DWLP_USER));
    try {
        switch (msg) {
        case WM_INITDIALOG:
            state = reinterpret_cast<TPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lp)->lParam);
            SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
            state->Search = std::make_unique<fs::NameSearchThread>(state->Path, page, kNews);
            return TRUE;
        case kNews:
            if (state && state->Search) state->Show(page);
            return TRUE;
        case WM_DESTROY:
            if (state) state->Search.reset();
            return FALSE;
        }
    } catch (...) {
        // Nothing may reach Explorer.
    }
    return FALSE;
}

UINT CALLBACK PageCallback(HWND, UINT msg, PROPSHEETPAGEW* psp) {
    if (msg == PSPCB_RELEASE) {
        delete reinterpret_cast<TPage*>(psp->lParam);
        Unlock();
    }
    return 1;
}

}  // namespace

HRESULT AddHardLinksPage(const std::wstring& Path, LPFNSVADDPROPSHEETPAGE AddPage, LPARAM Param) {
    auto state = std::make_unique<TPage>(Path);
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE | PSP_USECALLBACK;
    psp.hInstance = Module();
    psp.pResource = state->Template.Get();
    psp.pszTitle = state->Title.c_str();
    psp.pfnDlgProc = PageProc;
    psp.lParam = reinterpret_cast<LPARAM>(state.get());
    psp.pfnCallback = PageCallback;
    HPROPSHEETPAGE page = CreatePropertySheetPageW(&psp);
    if (!page) return E_OUTOFMEMORY;
    Lock();
    state.release();  // the callback frees it
    if (!AddPage(page, Param)) {
        DestroyPropertySheetPage(page);
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace tessivar
