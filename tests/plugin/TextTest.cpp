#include "text/GbkText.h"

#include <QString>

#include <gtest/gtest.h>

TEST(Text, LiteralsAreCompiledToGbk) {
    EXPECT_EQ(std::string("检修井"), std::string("\xBC\xEC\xD0\xDE\xBE\xAE"));
}

TEST(Text, QtConversionIsGbkBothWays) {
    const std::string gbk = "给水管线";
    QString text = gbkToQString(gbk);
    EXPECT_EQ(text, QString::fromUtf8(u8"给水管线"));
    EXPECT_EQ(qstringToGbk(text), gbk);
    EXPECT_EQ(gbkToUtf8(gbk), std::string(u8"给水管线"));
    EXPECT_EQ(utf8ToGbk(u8"D:\\管网\\数据 2024.mdb"), std::string("D:\\管网\\数据 2024.mdb"));
}
