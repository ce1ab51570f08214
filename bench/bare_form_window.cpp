// The second yardstick for start-up: the main window's own windows, styles
// and contents (volumes, folder parts, files, one filter) made with bare
// Win32 calls and the program's manifest, and nothing else. What it costs
// over the minimal program is what the window costs under Wine, whoever
// makes it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

HFONT font;

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 16;
        return TRUE;
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        char text[MAX_PATH] = {};
        if (d->itemID != static_cast<UINT>(-1))
            SendMessageA(d->hwndItem, d->CtlType == ODT_COMBOBOX ? CB_GETLBTEXT : LB_GETTEXT, d->itemID,
                         reinterpret_cast<LPARAM>(text));
        FillRect(d->hDC, &d->rcItem, GetSysColorBrush(d->itemState & ODS_SELECTED ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        TextOutA(d->hDC, d->rcItem.left + 18, d->rcItem.top, text, lstrlenA(text));
        return TRUE;
    }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

// The group box that holds an owner-drawn list passes its drawing on.
WNDPROC groupProc;
LRESULT CALLBACK GroupProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MEASUREITEM || msg == WM_DRAWITEM) return Proc(wnd, msg, wp, lp);
    return CallWindowProcA(groupProc, wnd, msg, wp, lp);
}

HWND Make(const char* cls, const char* text, DWORD style, DWORD ex, RECT r, HWND parent, int id) {
    HWND c = CreateWindowExA(ex, cls, text, style, r.left, r.top, r.right, r.bottom, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

void Add(HWND list, UINT msg, const std::string& text) { SendMessageA(list, msg, 0, reinterpret_cast<LPARAM>(text.c_str())); }

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    font = CreateFontIndirectA(&ncm.lfMessageFont);
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareForm";
    RegisterClassA(&wc);

    // The main window's windows, as Quenmoor makes them.
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
    const DWORD group = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | BS_GROUPBOX;
    const DWORD list = button | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    const DWORD label = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFTNOWORDWRAP;
    HWND f = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE, "BareForm", "Bare form",
                             WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, CW_USEDEFAULT, CW_USEDEFAULT,
                             566, 378, nullptr, nullptr, inst, nullptr);
    HWND drives = Make("ComboBox", "", button | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                       {96, 8, 121, 150}, f, 1);
    Make("Static", "Volume Name:", label, 0, {16, 10, 72, 12}, f, 2);
    HWND inDirs = Make("ListBox", "", list, WS_EX_CLIENTEDGE, {24, 48, 193, 113}, f, 8);
    HWND files = Make("ListBox", "", list, WS_EX_CLIENTEDGE, {24, 168, 193, 145}, f, 9);
    Make("Edit", "*.*", button | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {248, 280, 209, 21}, f, 10);
    const char* captions[] = {"Exit", "New Folder", "About", "Help", "Multi Hard Link", "Options"};
    const int tops[] = {312, 40, 200, 168, 72, 136};
    for (int i = 0; i < 6; ++i) Make("Button", captions[i], button, 0, {472, tops[i], 81, 25}, f, 11 + i);
    HWND filter = Make("ComboBox", "", button | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, {24, 318, 193, 150}, f, 17);
    // The group boxes last, so that Wine puts them under their siblings.
    Make("Button", " Existing File ", group, WS_EX_CONTROLPARENT, {16, 32, 209, 313}, f, 7);
    HWND out = Make("Button", " New Hard Link ", group, WS_EX_CONTROLPARENT, {240, 32, 225, 313}, f, 3);
    groupProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(out, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupProc)));
    Make("Static", "Enter Hard Link Name:", label, 0, {8, 232, 112, 12}, out, 4);
    HWND outDirs = Make("ListBox", "", list, WS_EX_CLIENTEDGE, {8, 16, 209, 209}, out, 5);
    Make("Button", "Create", button, 0, {64, 280, 89, 25}, out, 6);

    // Their contents.
    const DWORD present = GetLogicalDrives();
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        if (!(present & (1u << (letter - 'a')))) continue;
        const char root[] = {letter, ':', '\\', 0};
        std::string text = std::string(1, letter) + ":";
        char name[MAX_PATH] = {};
        if (GetDriveTypeA(root) == DRIVE_FIXED && GetVolumeInformationA(root, name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
            text += std::string(" [") + name + "]";
        Add(drives, CB_ADDSTRING, text);
    }
    SendMessageA(drives, CB_SETCURSEL, 0, 0);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof cwd, cwd);
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("*.*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do names.push_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    for (HWND dirs : {inDirs, outDirs}) {
        std::string part;
        for (const char* p = cwd;; ++p) {
            if (*p == '\\' || !*p) {
                if (!part.empty()) Add(dirs, LB_ADDSTRING, part);
                part.clear();
                if (!*p) break;
            } else {
                part += *p;
            }
        }
    }
    for (const std::string& n : names) Add(files, LB_ADDSTRING, n);
    Add(filter, CB_ADDSTRING, "All files (*.*)");
    SendMessageA(filter, CB_SETCURSEL, 0, 0);

    ShowWindow(f, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
