// Start-up of the program: the application object and its five windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Creates the windows in their order, shows the files named on the command
// line, runs the event loop and returns the exit code.
int RunQuenmoor(const std::wstring& commandLine);

// The arguments after the program's name, split as the C runtime splits a
// command line: blanks separate, double quotes group, backslashes escape
// only the quotes they precede.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);
// The names the command line brings, in their order: each argument, and in
// place of "/list:<file>" the names that file holds. A list that the
// Explorer extension wrote is deleted once read.
std::vector<std::wstring> CommandLineNames(const std::wstring& commandLine);
// The names of a list file: UTF-8 with or without a byte-order mark, one a
// line, lines ending in CR LF or LF; empty lines hold no name.
std::vector<std::wstring> ListedNames(std::string_view content);
// The names in the code page (the process's unless given). A name it cannot
// carry exactly goes to refused instead, with the code page's stand-in for
// what it lacks: a look-alike would name another file.
std::vector<std::string> CarriedNames(const std::vector<std::wstring>& names, std::vector<std::string>& refused,
                                      unsigned codePage = 0);
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
