#include "settings/ShellIntegration.h"

#include <gtest/gtest.h>

namespace {

// The system's answers, as IsWow64Process2 and IsWow64Process give them; a
// failed call leaves answers that would mislead a caller who read them.
template <USHORT Process, USHORT Native, BOOL Result = TRUE>
BOOL WINAPI Machines(HANDLE, USHORT* process, USHORT* native) {
    *process = Process;
    *native = Native;
    return Result;
}
template <BOOL IsWow64, BOOL Result = TRUE>
BOOL WINAPI Wow64(HANDLE, BOOL* wow64) {
    *wow64 = IsWow64;
    return Result;
}
constexpr USHORT None = IMAGE_FILE_MACHINE_UNKNOWN, X86 = IMAGE_FILE_MACHINE_I386, Amd64 = IMAGE_FILE_MACHINE_AMD64;

}  // namespace

TEST(ShellIntegration, ExplorerLoadsOnlyABuildNativeToTheSystem) {
    const struct {
        ShellIntegration::IsWow64Process2Fn isWow64Process2;
        ShellIntegration::IsWow64ProcessFn isWow64Process;
        bool loads;
    } cases[] = {
        {nullptr, nullptr, true},                                     // before XP SP2: no WOW64
        {nullptr, Wow64<FALSE>, true},                                // 32-bit Windows, or a 64-bit build
        {nullptr, Wow64<TRUE>, false},                                // 32-bit build on 64-bit Windows before 10 1511
        {nullptr, Wow64<TRUE, FALSE>, true},
        {Machines<None, Amd64>, Wow64<TRUE>, true},                   // the newer call decides
        {Machines<X86, Amd64>, Wow64<FALSE>, false},
        {Machines<X86, IMAGE_FILE_MACHINE_ARM64>, Wow64<FALSE>, false},  // IsWow64Process may say no on ARM64
        {Machines<None, Amd64, FALSE>, Wow64<TRUE>, false},           // falls back to the older call
        {Machines<X86, Amd64, FALSE>, Wow64<FALSE>, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ShellIntegration::ExplorerLoadsThisBuild(cases[i].isWow64Process2, cases[i].isWow64Process),
                  cases[i].loads)
            << "case " << i;
}
