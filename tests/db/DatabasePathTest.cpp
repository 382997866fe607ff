#include "database/DatabasePath.h"

#include "tests/db/DbFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(DatabasePath, AttributeAndChildElementGiveTheSamePath) {
    DbFixture folder;
    const std::string expected = u8"D:\\管网 数据\\survey 2024.mdb";
    folder.write("pipe.xml", u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                             u8"<pipeline><conn str=\"D:\\管网 数据\\survey 2024.mdb\"/></pipeline>");
    const std::string fromAttribute = readDatabasePath();
    folder.write("pipe.xml",
                 u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                 u8"<pipeline><other/><conn><str>D:\\管网 数据\\survey 2024.mdb</str></conn></pipeline>");
    const std::string fromElement = readDatabasePath();
    EXPECT_EQ(fromAttribute, "D:\\管网 数据\\survey 2024.mdb"); // the GBK bytes
    EXPECT_EQ(fromElement, fromAttribute);

    // A file saved by a Chinese Windows editor is GBK and says so.
    folder.write("pipe.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?>"
                             "<pipeline><conn str=\"D:\\管网 数据\\survey 2024.mdb\"/></pipeline>");
    EXPECT_EQ(readDatabasePath(), fromAttribute);
}

TEST(DatabasePath, AnotherRootOrNoStrGivesAnEmptyPath) {
    DbFixture folder;
    folder.write("pipe.xml", "<network><conn str=\"a.mdb\"/></network>");
    EXPECT_EQ(readDatabasePath(), "");
    folder.write("pipe.xml", "<pipeline><conn name=\"a.mdb\"/></pipeline>");
    EXPECT_EQ(readDatabasePath(), "");
    folder.write("pipe.xml", "<pipeline/>");
    EXPECT_EQ(readDatabasePath(), "");
}

TEST(DatabasePath, MissingOrBrokenFileRaisesTheConfigurationError) {
    DbFixture folder;
    auto message = [] {
        try {
            readDatabasePath();
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(), "找不到管网配置文件，请检查!");
    folder.write("pipe.xml", "<pipeline><conn str=\"a.mdb\"></pipeline>");
    EXPECT_EQ(message(), "找不到管网配置文件，请检查!");
    folder.write("pipe.xml", "");
    EXPECT_EQ(message(), "找不到管网配置文件，请检查!");
}
