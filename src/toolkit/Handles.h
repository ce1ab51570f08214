// RAII owners for the Win32 handles the program acquires. Each releases its
// handle with the call that matches the one that acquired it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <utility>

namespace tk {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, Traits::Invalid()); }
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    H release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    // For APIs that return the handle through an out parameter.
    H* put() { reset(); return &h_; }

private:
    H h_ = Traits::Invalid();
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <class G>
struct GdiTraits {
    static G Invalid() { return nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct MemDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};
struct HookTraits {
    static HHOOK Invalid() { return nullptr; }
    static void Close(HHOOK h) { UnhookWindowsHookEx(h); }
};
struct CoTaskMemTraits {
    static void* Invalid() { return nullptr; }
    static void Close(void* p) { CoTaskMemFree(p); }
};
struct DropTraits {
    static HDROP Invalid() { return nullptr; }
    static void Close(HDROP h) { DragFinish(h); }
};

using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using FileHandle = UniqueHandle<HANDLE, FileTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using BitmapHandle = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using FontHandle = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using BrushHandle = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using PenHandle = UniqueHandle<HPEN, GdiTraits<HPEN>>;
using RegionHandle = UniqueHandle<HRGN, GdiTraits<HRGN>>;
using IconHandle = UniqueHandle<HICON, IconTraits>;
using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;
using MemDc = UniqueHandle<HDC, MemDcTraits>;
using WindowHandle = UniqueHandle<HWND, WindowTraits>;
using HookHandle = UniqueHandle<HHOOK, HookTraits>;
using CoTaskMem = UniqueHandle<void*, CoTaskMemTraits>;
using DropHandle = UniqueHandle<HDROP, DropTraits>;

// A device context borrowed from a window (GetDC / ReleaseDC).
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDc() { if (dc_) ReleaseDC(wnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectObj {
public:
    SelectObj(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~SelectObj() { if (old_) SelectObject(dc_, old_); }
    SelectObj(const SelectObj&) = delete;
    SelectObj& operator=(const SelectObj&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Replaces a window's procedure and restores the previous one on destruction,
// if the window still uses ours (someone else may have subclassed after us).
class WindowProcSwap {
public:
    WindowProcSwap() = default;
    WindowProcSwap(HWND wnd, WNDPROC proc)
        : wnd_(wnd), proc_(proc),
          old_(reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)))) {}
    ~WindowProcSwap() { restore(); }
    WindowProcSwap(const WindowProcSwap&) = delete;
    WindowProcSwap& operator=(const WindowProcSwap&) = delete;
    WindowProcSwap(WindowProcSwap&& o) noexcept
        : wnd_(std::exchange(o.wnd_, nullptr)), proc_(o.proc_), old_(o.old_) {}
    WindowProcSwap& operator=(WindowProcSwap&& o) noexcept {
        if (this != &o) { restore(); wnd_ = std::exchange(o.wnd_, nullptr); proc_ = o.proc_; old_ = o.old_; }
        return *this;
    }
    WNDPROC previous() const { return old_; }
    HWND window() const { return wnd_; }
    // False when someone else's procedure is in front of ours: ours then
    // stays in the chain and must go on forwarding to previous().
    bool restore() {
        bool restored = true;
        if (wnd_ && IsWindow(wnd_)) {
            if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd_, GWLP_WNDPROC)) == proc_)
                SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_));
            else
                restored = false;
        }
        wnd_ = nullptr;
        return restored;
    }

private:
    HWND wnd_ = nullptr;
    WNDPROC proc_ = nullptr;
    WNDPROC old_ = nullptr;
};

// Switches the system's critical-error boxes off for a scope.
class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) : old_(SetErrorMode(mode)) {}
    ~ErrorModeScope() { SetErrorMode(old_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT old_;
};

}  // namespace tk
