#include "geo/XmlDocument.h"

#include <gtest/gtest.h>

#include <fstream>

using osgEarth::XmlDocument;

static std::string databasePath(const XmlDocument& doc) {
    return doc.getConfig().child("PIPELINE").child("conn").value("str");
}

TEST(XmlDocument, DatabasePathIsReadFromAnAttributeOrAChildElementOfAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {R"(<pipeline><conn str="D:\net\pipe.mdb"/></pipeline>)", R"(D:\net\pipe.mdb)"},
        {R"(<pipeline><conn><str> D:\net\pipe.mdb </str></conn></pipeline>)", R"(D:\net\pipe.mdb)"},
        {R"(<Pipeline><Conn STR="x.mdb"/></Pipeline>)", "x.mdb"},
        // Element text wins over an attribute, unless it is empty.
        {R"(<pipeline><conn str="attr"><str>text</str></conn></pipeline>)", "text"},
        {R"(<pipeline><conn str="attr"><str/></conn></pipeline>)", "attr"},
        // Missing children chain down to an empty value.
        {"<config><other/></config>", ""},
        // Malformed or empty text is no document.
        {"<pipeline><conn str='x'></pipeline>", nullptr},
        {"", nullptr},
    };
    for (const auto& [xml, path] : cases) {
        osg::ref_ptr<XmlDocument> doc = XmlDocument::parse(xml);
        ASSERT_EQ(doc.valid(), path != nullptr) << xml;
        if (!doc)
            continue;
        EXPECT_EQ(databasePath(*doc), path) << xml;
        EXPECT_EQ(doc->getConfig().hasChild("Pipeline"), *path != '\0') << xml;
    }
}

TEST(XmlDocument, ChinesePathComesOutAsGbkWhateverTheFileEncodingAndMissingFilesGiveNothing) {
    // The same path written once as UTF-8 and once as GBK, each file declaring its own.
    for (const auto& [encoding, path] :
         {std::pair{"UTF-8", u8"D:\\管网\\管线.mdb"}, std::pair{"GBK", "D:\\管网\\管线.mdb"}}) {
        const std::string file = testing::TempDir() + "pipe_" + encoding + ".xml";
        std::ofstream(file, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"" << encoding
                                              << "\"?><pipeline><conn str=\"" << path << "\"/></pipeline>";
        osg::ref_ptr<XmlDocument> doc = XmlDocument::load(file);
        ASSERT_TRUE(doc) << encoding;
        EXPECT_EQ(databasePath(*doc), "D:\\管网\\管线.mdb") << encoding;
    }
    EXPECT_FALSE(XmlDocument::load(testing::TempDir() + "no_such_pipe.xml"));
}
