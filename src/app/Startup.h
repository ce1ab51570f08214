// Start-up of the program: the application object and its five windows.
#pragma once

// Creates the windows in their order, runs the event loop and returns the
// exit code.
int RunQuenmoor();
