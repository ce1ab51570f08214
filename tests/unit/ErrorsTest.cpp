#include "app/Errors.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

// Language files key on these sentences: every character counts.
TEST(ErrorText, TheTableExactlyAndTheGenericSentenceForEveryOtherCode) {
    const std::pair<int, const char*> table[] = {
        {1, "May be you are trying to create Hard Link on non NTFS volume (1)"},
        {2, "The system cannot find the file specified (2)"},
        {3, "The system cannot find the path specified (3)"},
        {4, " The system cannot open the file (4)"},
        {5, "Access is denied. File might be read-only (5)"},
        {15, "The system cannot find the drive specified (15)"},
        {17, "The system cannot move the file to a different disk drive (17)"},
        {18, "There are no more files (18)"},
        {19, "The media is write protected (19)"},
        {20, "The system cannot find the device specified (20)"},
        {21, " The device is not ready (21)"},
        {23, "Data error (cyclic redundancy check) (23)"},
        {26, "The specified disk or diskette cannot be accessed (26)"},
        {29, "The system cannot write to the specified device (29)"},
        {30, "The system cannot read from the specified device (30)"},
        {32, "The process cannot access the file because it is being used by another process (32)"},
        {39, "The disk is full (39)"},
        {80, "The file exists (80)"},
        {82, "The directory or file cannot be created (82)"},
        {87, "The parameter is incorrect (87)"},
        {111, "The file name is too long (111)"},
        {112, "There is not enough space on the disk (112)"},
        {120, "This function is not supported on this system (120)"},
        {123, "The filename or directory name syntax is incorrect (123)"},
        {132, "The file pointer cannot be set on the specified device or file (132)"},
        {183, "Cannot create a file when that file already exists (183)"},
        {206, "The filename or extension is too long (206)"},
        {267, "The directory name is invalid (267)"},
        {1142, "An attempt was made to create more links on a file than the file system supports (1142)"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(ErrorText(code), text) << code;
    for (int code : {0, 6, 16, 22, 24, 25, 27, 28, 1141, 1143, -1, -2147483647 - 1})
        EXPECT_EQ(ErrorText(code), "An error occured (" + std::to_string(code) + ")");
}

TEST(ShellExecuteErrorCode, TheShellsAnswerNamesTheCause) {
    const struct {
        intptr_t result;
        int lastError, code;
    } rows[] = {
        {SE_ERR_FNF, 0, ERROR_FILE_NOT_FOUND}, {SE_ERR_PNF, 0, ERROR_PATH_NOT_FOUND},
        {SE_ERR_FNF, ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND},  // a plain code: the last error refines it
        {SE_ERR_ACCESSDENIED, 0, ERROR_ACCESS_DENIED}, {SE_ERR_OOM, 0, ERROR_NOT_ENOUGH_MEMORY},
        {0, 0, ERROR_NOT_ENOUGH_MEMORY}, {SE_ERR_SHARE, 0, ERROR_SHARING_VIOLATION},
        {SE_ERR_NOASSOC, ERROR_BAD_EXE_FORMAT, ERROR_NO_ASSOCIATION}, {SE_ERR_ASSOCINCOMPLETE, 0, ERROR_NO_ASSOCIATION},
        {SE_ERR_DDETIMEOUT, 0, ERROR_DDE_FAIL}, {SE_ERR_DDEFAIL, 0, ERROR_DDE_FAIL}, {SE_ERR_DDEBUSY, 0, ERROR_DDE_FAIL},
        {SE_ERR_DLLNOTFOUND, ERROR_SHARING_VIOLATION, ERROR_DLL_NOT_FOUND},
    };
    for (const auto& r : rows) EXPECT_EQ(ShellExecuteErrorCode(r.result, r.lastError), r.code) << r.result;
}
