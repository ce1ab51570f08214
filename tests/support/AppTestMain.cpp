// Test programs that build windows in-process share one application object.
#include "toolkit/Controls.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    tk::Application app;
    app.Title = "Quenmoor";
    return RUN_ALL_TESTS();
}
