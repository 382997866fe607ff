#include "text/NativePath.h"

#include <gtest/gtest.h>

TEST(NativePath, TurnsTheProgramsRelativeGbkPathsIntoUtf8PathsWithForwardSlashes) {
    EXPECT_EQ(nativePath("..\\model\\wushui\\snqm.jpg"), "../model/wushui/snqm.jpg");
    // 誠 is D5 5C in GBK: its trail byte is the backslash byte, not a separator.
    EXPECT_EQ(nativePath("..\\侧面\\誠\\jingbi.jpg"), u8"../侧面/誠/jingbi.jpg");
}
