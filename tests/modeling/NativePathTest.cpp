#include "text/NativePath.h"

#include <gtest/gtest.h>

TEST(NativePath, TurnsTheProgramsRelativeGbkPathsIntoUtf8PathsWithForwardSlashes) {
    EXPECT_EQ(nativePath("..\\model\\wushui\\snqm.jpg"), "../model/wushui/snqm.jpg");
    EXPECT_EQ(nativePath("..\\侧面.jpg"), u8"../侧面.jpg");
    EXPECT_EQ(nativePath("../model/ludeng/ludeng.ive"), "../model/ludeng/ludeng.ive");
    EXPECT_EQ(nativePath(""), "");
}

TEST(NativePath, KeepsACharacterWhoseSecondGbkByteIsTheBackslashByte) {
    const std::string gbk = "..\\model\\誠\\jingbi.jpg";
    ASSERT_EQ(gbk.substr(9, 2), "\xD5\x5C"); // the trail byte is 0x5C, not a separator
    EXPECT_EQ(nativePath(gbk), u8"../model/誠/jingbi.jpg");
}
