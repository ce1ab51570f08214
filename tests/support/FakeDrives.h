// A machine of made-up drives, presented to the volume lists while it lives.
#pragma once

#include "volumes/emiDriveCombo.h"

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct FakeDrive {
    UINT Type = DRIVE_NO_ROOT_DIR;
    std::string Label{}, FileSystem{};  // both unreadable when FileSystem is empty
    std::string Remote{};               // no connection when empty
};

class FakeMachine : public TDriveQueries {
public:
    explicit FakeMachine(std::map<char, FakeDrive> drives = {}) : Drives(std::move(drives)) { SetDriveQueries(this); }
    ~FakeMachine() override { SetDriveQueries(nullptr); }

    std::map<char, FakeDrive> Drives;  // by lower-case letter
    std::string Asked;                 // the letters of every query, in order
    std::vector<UINT> ErrorModesSeen;  // while labels were read

    UINT DriveType(const std::string& root) override {
        Asked += root[0];
        auto it = Drives.find(root[0]);
        return it == Drives.end() ? DRIVE_NO_ROOT_DIR : it->second.Type;
    }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        ErrorModesSeen.push_back(GetErrorMode());
        return Read(root, &FakeDrive::Label, label);
    }
    bool FileSystemName(const std::string& root, std::string& name) override {
        return Read(root, &FakeDrive::FileSystem, name);
    }
    DWORD LogicalDrives() override {
        DWORD mask = 0;
        for (const auto& d : Drives) mask |= 1u << (d.first - 'a');
        return mask;
    }
    bool ConnectionName(const std::string& local, std::string& remote) override {
        remote = Drives.at(static_cast<char>(std::tolower(local[0]))).Remote;
        return !remote.empty();
    }

private:
    bool Read(const std::string& root, std::string FakeDrive::*field, std::string& out) {
        Asked += root[0];
        const FakeDrive& d = Drives.at(root[0]);
        out = d.*field;
        return !d.FileSystem.empty();
    }
};

}  // namespace testsupport
