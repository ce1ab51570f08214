#include "app/Errors.h"

#include <gtest/gtest.h>

TEST(ErrorText, KnownCodesGiveTheirSentence) {
    EXPECT_EQ(ErrorText(1), "May be you are trying to create Hard Link on non NTFS volume (1)");
    EXPECT_EQ(ErrorText(5), "Access is denied. File might be read-only (5)");
    EXPECT_EQ(ErrorText(17), "The system cannot move the file to a different disk drive (17)");
    EXPECT_EQ(ErrorText(123), "The filename or directory name syntax is incorrect (123)");
    EXPECT_EQ(ErrorText(183), "Cannot create a file when that file already exists (183)");
    EXPECT_EQ(ErrorText(1142),
              "An attempt was made to create more links on a file than the file system supports (1142)");
}

TEST(ErrorText, LeadingBlanksAreKept) {
    EXPECT_EQ(ErrorText(4), " The system cannot open the file (4)");
    EXPECT_EQ(ErrorText(21), " The device is not ready (21)");
}

TEST(ErrorText, EveryTableSentenceEndsWithItsCode) {
    const int table[] = {1, 2, 3, 4, 5, 15, 17, 18, 19, 20, 21, 23, 26, 29, 30, 32, 39, 80, 82, 87, 111, 112,
                         120, 123, 132, 183, 206, 267, 1142};
    for (int code : table) {
        std::string s = ErrorText(code);
        std::string tail = "(" + std::to_string(code) + ")";
        ASSERT_GE(s.size(), tail.size());
        EXPECT_EQ(s.substr(s.size() - tail.size()), tail) << code;
        EXPECT_EQ(s.find("An error occured"), std::string::npos) << code;
    }
}

TEST(ErrorText, GapsZeroAndNegativeCodesGetTheGenericSentence) {
    for (int code : {6, 16, 22, 24, 25, 27, 28, 1141, 1143, 100000})
        EXPECT_EQ(ErrorText(code), "An error occured (" + std::to_string(code) + ")");
    EXPECT_EQ(ErrorText(0), "An error occured (0)");
    EXPECT_EQ(ErrorText(-1), "An error occured (-1)");
    EXPECT_EQ(ErrorText(-2147483647 - 1), "An error occured (-2147483648)");
}
