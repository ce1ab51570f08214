#include "app/Startup.h"

#include <windows.h>

// Wide: the names arrive as they are, whatever the code page holds.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunQuenmoor(GetCommandLineW()); }
