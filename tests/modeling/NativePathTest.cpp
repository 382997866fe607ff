#include "text/NativePath.h"
#include "text/Number.h"

#include <clocale>

#include <gtest/gtest.h>

TEST(NativePath, TurnsTheProgramsRelativeGbkPathsIntoUtf8PathsWithForwardSlashes) {
    EXPECT_EQ(nativePath("..\\model\\wushui\\snqm.jpg"), "../model/wushui/snqm.jpg");
    // 誠 is D5 5C in GBK: its trail byte is the backslash byte, not a separator.
    EXPECT_EQ(nativePath("..\\侧面\\誠\\jingbi.jpg"), u8"../侧面/誠/jingbi.jpg");
}

TEST(Number, ReadsDecimalPointNumbersOnlyAndNeverInfiniteOnes) {
    std::setlocale(LC_NUMERIC, "de_DE"); // a decimal comma where the machine has it
    double v = -1;
    EXPECT_TRUE(parseDecimal(" 21.5 ", v) && v == 21.5);
    EXPECT_TRUE(parseDecimal("+3e2", v) && v == 300.0);
    for (const char* bad : {"21,5", "", "-", "1e999", "inf", "nan", "0x10", "2 3", "1e"})
        EXPECT_FALSE(parseDecimal(bad, v)) << bad;
    EXPECT_TRUE(leadingDecimal("300X200", v) && v == 300.0);
    EXPECT_TRUE(leadingDecimal("DN", v) && v == 0.0);
    EXPECT_FALSE(leadingDecimal("1e999mm", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(formatDecimal(21.5), "21.5");
    int whole = 0;
    EXPECT_TRUE(parseWhole(" +12 ", whole) && whole == 12);
    for (const char* bad : {"+-2", "+", "1.5", "2147483648"})
        EXPECT_FALSE(parseWhole(bad, whole)) << bad;
    std::setlocale(LC_NUMERIC, "C");
}
