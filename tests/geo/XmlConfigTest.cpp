#include "geo/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using osgEarth::Config;
using osgEarth::XmlDocument;

namespace {
std::string writeFile(const std::string& name, const std::string& bytes) {
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}
} // namespace

TEST(XmlDocument, DatabasePathReadsTheSameFromAttributeOrChildElement) {
    auto fromAttribute = XmlDocument::parse(R"(<pipeline><conn str="D:\net\pipe.mdb"/></pipeline>)");
    auto fromElement = XmlDocument::parse("<pipeline><conn><str> D:\\net\\pipe.mdb </str></conn></pipeline>");
    ASSERT_TRUE(fromAttribute && fromElement);
    EXPECT_EQ(fromAttribute->getConfig().child("pipeline").child("conn").value("str"), "D:\\net\\pipe.mdb");
    EXPECT_EQ(fromElement->getConfig().child("pipeline").child("conn").value("str"), "D:\\net\\pipe.mdb");
}

TEST(XmlDocument, ChildElementTextWinsOverAnEmptyOrPresentAttribute) {
    auto doc = XmlDocument::parse(R"(<a><b str="attr"><str>text</str></b><c str="attr"><str/></c></a>)");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->getConfig().child("a").child("b").value("str"), "text");
    EXPECT_EQ(doc->getConfig().child("a").child("c").value("str"), "attr");
}

TEST(XmlDocument, MissingChildrenChainToAnEmptyValue) {
    auto doc = XmlDocument::parse("<config><other/></config>");
    ASSERT_TRUE(doc);
    const Config& top = doc->getConfig();
    EXPECT_FALSE(top.hasChild("pipeline"));
    EXPECT_TRUE(top.child("pipeline").empty());
    EXPECT_EQ(top.child("pipeline").child("conn").value("str"), "");
}

TEST(XmlDocument, ElementAndAttributeNamesAreFoldedToLowerCase) {
    auto doc = XmlDocument::parse(R"(<Pipeline><Conn STR="x.mdb"/></Pipeline>)");
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->getConfig().hasChild("pipeline"));
    EXPECT_EQ(doc->getConfig().child("PIPELINE").child("conn").value("str"), "x.mdb");
}

TEST(XmlDocument, ChinesePathComesOutAsGbkWhateverTheFileEncoding) {
    // The same path written once as UTF-8 and once as GBK (with its declaration).
    const std::string utf8 = std::string(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>") +
                             u8"<pipeline><conn str=\"D:\\管网\\管线.mdb\"/></pipeline>";
    const std::string gbk = "<?xml version=\"1.0\" encoding=\"GBK\"?>"
                            "<pipeline><conn str=\"D:\\管网\\管线.mdb\"/></pipeline>";
    auto fromUtf8 = XmlDocument::load(writeFile("pipe_utf8.xml", utf8));
    auto fromGbk = XmlDocument::load(writeFile("pipe_gbk.xml", gbk));
    ASSERT_TRUE(fromUtf8 && fromGbk);
    EXPECT_EQ(fromUtf8->getConfig().child("pipeline").child("conn").value("str"), "D:\\管网\\管线.mdb");
    EXPECT_EQ(fromGbk->getConfig().child("pipeline").child("conn").value("str"), "D:\\管网\\管线.mdb");
}

TEST(XmlDocument, MissingOrMalformedFilesGiveNoDocument) {
    EXPECT_FALSE(XmlDocument::load(testing::TempDir() + "no_such_pipe.xml"));
    EXPECT_FALSE(XmlDocument::load(writeFile("broken.xml", "<pipeline><conn str='x'></pipeline>")));
    EXPECT_FALSE(XmlDocument::load(writeFile("empty.xml", "")));
}

TEST(Config, SetReplacesTheFirstChildOfThatKey) {
    Config config("options");
    config.set("url", "a.shp");
    config.set("URL", "b.shp");
    ASSERT_EQ(config.children().size(), 1u);
    EXPECT_EQ(config.value("url"), "b.shp");
}
