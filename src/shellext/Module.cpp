// tessivar.dll: the entry point and the four functions every in-process COM
// server exports.
#include "shellext/ContextMenu.h"
#include "shellext/Registration.h"
#include "shellext/Server.h"

#include <olectl.h>

using namespace tessivar;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetModule(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return Guarded([&]() -> HRESULT {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsTessivarClass(rclsid)) return CLASS_E_CLASSNOTAVAILABLE;
        auto* factory = new TTessivarFactory;
        HRESULT hr = factory->QueryInterface(riid, ppv);
        factory->Release();
        return hr;
    });
}

STDAPI DllCanUnloadNow() { return CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    return Guarded([] { return RegisterServer(ModulePath()); });
}

STDAPI DllUnregisterServer() {
    return Guarded([] { return UnregisterServer(ModulePath()); });
}
