#include "app/Errors.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>

std::string ErrorText(int code) {
    switch (code) {
    case 1: return "May be you are trying to create Hard Link on non NTFS volume (1)";
    case 2: return "The system cannot find the file specified (2)";
    case 3: return "The system cannot find the path specified (3)";
    case 4: return " The system cannot open the file (4)";
    case 5: return "Access is denied. File might be read-only (5)";
    case 8: return "Not enough memory resources are available to process this command (8)";
    case 15: return "The system cannot find the drive specified (15)";
    case 17: return "The system cannot move the file to a different disk drive (17)";
    case 18: return "There are no more files (18)";
    case 19: return "The media is write protected (19)";
    case 20: return "The system cannot find the device specified (20)";
    case 21: return " The device is not ready (21)";
    case 23: return "Data error (cyclic redundancy check) (23)";
    case 26: return "The specified disk or diskette cannot be accessed (26)";
    case 29: return "The system cannot write to the specified device (29)";
    case 30: return "The system cannot read from the specified device (30)";
    case 32: return "The process cannot access the file because it is being used by another process (32)";
    case 39: return "The disk is full (39)";
    case 80: return "The file exists (80)";
    case 82: return "The directory or file cannot be created (82)";
    case 87: return "The parameter is incorrect (87)";
    case 111: return "The file name is too long (111)";
    case 112: return "There is not enough space on the disk (112)";
    case 120: return "This function is not supported on this system (120)";
    case 123: return "The filename or directory name syntax is incorrect (123)";
    case 132: return "The file pointer cannot be set on the specified device or file (132)";
    case 183: return "Cannot create a file when that file already exists (183)";
    case 206: return "The filename or extension is too long (206)";
    case 267: return "The directory name is invalid (267)";
    case 1142: return "An attempt was made to create more links on a file than the file system supports (1142)";
    default: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "An error occured (%d)", code);
        return buf;
    }
    }
}

int ShellExecuteErrorCode(intptr_t result, int lastError) {
    switch (result) {
    case 0: return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return lastError ? lastError : static_cast<int>(result);
    }
}
