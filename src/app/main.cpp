#include "app/Startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunQuenmoor(GetCommandLineA()); }
