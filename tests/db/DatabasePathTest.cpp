#include "database/DatabasePath.h"

#include "tests/db/DbFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

TEST(DatabasePath, PipeXmlGivesThePathAsGbkBytesOrTheConfigurationError) {
    DbFixture folder;
    auto read = []() -> std::string {
        try {
            return readDatabasePath();
        } catch (const std::runtime_error& e) {
            return std::string("error: ") + e.what();
        }
    };
    const std::string missing = "error: 找不到管网配置文件，请检查!";
    EXPECT_EQ(read(), missing); // no pipe.xml at all

    const std::string path = "D:\\管网 数据\\survey 2024.mdb"; // GBK, as the program holds text
    const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><pipeline>";
    const std::pair<std::string, std::string> cases[] = {
        {utf8 + u8"<conn str=\"D:\\管网 数据\\survey 2024.mdb\"/></pipeline>", path},
        {utf8 + u8"<other/><conn><str>D:\\管网 数据\\survey 2024.mdb</str></conn></pipeline>", path},
        // saved by a Chinese Windows editor: GBK, and it says so
        {"<?xml version=\"1.0\" encoding=\"GBK\"?><pipeline><conn str=\"" + path + "\"/></pipeline>", path},
        {"<network><conn str=\"a.mdb\"/></network>", ""},
        {"<pipeline><conn name=\"a.mdb\"/></pipeline>", ""},
        {"<pipeline><conn str=\"a.mdb\"></pipeline>", missing},
        {"", missing},
    };
    for (const auto& [contents, expected] : cases) {
        folder.write("pipe.xml", contents);
        EXPECT_EQ(read(), expected) << contents;
    }

    // Past the nesting limit: refused with the reason before Qt's recursive parser sees it.
    std::string deep;
    for (int i = 0; i < 100; ++i)
        deep += "<pipeline>";
    folder.write("pipe.xml", deep);
    EXPECT_EQ(read(), "error: pipe.xml: nested deeper than 64 elements");
    // Nor through an entity that holds the elements.
    folder.write("pipe.xml", "<!DOCTYPE p [<!ENTITY e \"" + deep + "\">]><pipeline>&e;</pipeline>");
    EXPECT_EQ(read(), "error: pipe.xml: has a document type declaration (<!DOCTYPE), which is not read");

    // Parsed once per version of the file, however often the database opens.
    const std::string good = "<pipeline><conn str=\"a.mdb\"/></pipeline>";
    folder.write("pipe.xml", good);
    const unsigned before = databasePathParses();
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(read(), "a.mdb");
    EXPECT_EQ(databasePathParses(), before + 1);
    // The same text in a new file (another inode) is a new version.
    ASSERT_EQ(std::rename("pipe.xml", "old.xml"), 0);
    folder.write("pipe.xml", good);
    EXPECT_EQ(read(), "a.mdb");
    EXPECT_EQ(databasePathParses(), before + 2);
}
