#include <gtest/gtest.h>

#include <windows.h>

int main(int argc, char** argv) {
    // No system error boxes while tests probe missing drives and files.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
