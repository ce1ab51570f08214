// Start-up of the program: the application object and its five windows.
#pragma once

#include <string>
#include <vector>

// Creates the windows in their order, shows the files named on the command
// line, runs the event loop and returns the exit code.
int RunQuenmoor(const std::string& commandLine);

// The arguments after the program's name, split as the C runtime splits a
// command line: blanks separate, double quotes group, backslashes escape
// only the quotes they precede.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The names that are existing files, as full long paths, in their order.
// Anything else (missing, a folder) is left out without a word.
std::vector<std::string> ExistingFiles(const std::vector<std::string>& names);

// One file is selected in the main window; several go to
// OpenBatchWindowWith.
void OpenFiles(const std::vector<std::string>& files);
// Several existing files named on the command line (the Explorer
// extension's "Create hard links with Quenmoor..."): the batch window lists
// them and opens over the main window once the event loop runs.
void OpenBatchWindowWith(const std::vector<std::string>& files);
