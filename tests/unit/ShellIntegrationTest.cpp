#include "settings/ShellIntegration.h"

#include <gtest/gtest.h>

namespace {

// The system's answers, as IsWow64Process2 and IsWow64Process give them.
BOOL WINAPI Native(HANDLE, USHORT* process, USHORT* native) {
    *process = IMAGE_FILE_MACHINE_UNKNOWN;
    *native = IMAGE_FILE_MACHINE_AMD64;
    return TRUE;
}
BOOL WINAPI X86OnAmd64(HANDLE, USHORT* process, USHORT* native) {
    *process = IMAGE_FILE_MACHINE_I386;
    *native = IMAGE_FILE_MACHINE_AMD64;
    return TRUE;
}
BOOL WINAPI X86OnArm64(HANDLE, USHORT* process, USHORT* native) {
    *process = IMAGE_FILE_MACHINE_I386;
    *native = IMAGE_FILE_MACHINE_ARM64;
    return TRUE;
}
BOOL WINAPI Fails2(HANDLE, USHORT*, USHORT*) { return FALSE; }
BOOL WINAPI Wow64(HANDLE, BOOL* wow64) {
    *wow64 = TRUE;
    return TRUE;
}
BOOL WINAPI NotWow64(HANDLE, BOOL* wow64) {
    *wow64 = FALSE;
    return TRUE;
}
BOOL WINAPI Fails(HANDLE, BOOL* wow64) {
    *wow64 = TRUE;
    return FALSE;
}

}  // namespace

TEST(ShellIntegration, ExplorerLoadsOnlyABuildNativeToTheSystem) {
    const struct {
        ShellIntegration::IsWow64Process2Fn isWow64Process2;
        ShellIntegration::IsWow64ProcessFn isWow64Process;
        bool loads;
    } cases[] = {
        {nullptr, nullptr, true},        // before XP SP2: no WOW64
        {nullptr, NotWow64, true},       // 32-bit Windows, or a 64-bit build
        {nullptr, Wow64, false},         // 32-bit build on 64-bit Windows before 10 1511
        {nullptr, Fails, true},
        {Native, Wow64, true},           // the newer call decides
        {X86OnAmd64, NotWow64, false},
        {X86OnArm64, NotWow64, false},   // IsWow64Process may say no on ARM64
        {Fails2, Wow64, false},          // falls back to the older call
        {Fails2, NotWow64, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ShellIntegration::ExplorerLoadsThisBuild(cases[i].isWow64Process2, cases[i].isWow64Process),
                  cases[i].loads)
            << "case " << i;
}
