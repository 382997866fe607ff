// A line layer from a vector file, driven through the host application's script as a
// user drives it: shown under the pipe group, hidden, removed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

class LineImportScript : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lineimport-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    int run(const std::string& script) {
        std::ofstream(dir + "/script.txt") << script;
        const std::string command = std::string(PN_BIN_DIR) + "/pipeviewer --headless --ground 5 --script '" +
                                    dir + "/script.txt' >/dev/null 2>'" + dir + "/err.txt'";
        return std::system(command.c_str());
    }
    std::string read(const std::string& name) const {
        std::stringstream text;
        text << std::ifstream(dir + "/" + name).rdbuf();
        return text.str();
    }

    std::string dir;
};

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// What the dump holds after the pipe group's name: the line layers live there.
std::string pipeGroup(const std::string& dump) {
    const size_t at = dump.find("Name \"pipes\"");
    return at == std::string::npos ? std::string() : dump.substr(at);
}

} // namespace

TEST_F(LineImportScript, PostedLineFileShowsUnderThePipeGroupHidesAndGoes) {
    std::ofstream(dir + "/mains.geojson") << R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
   "coordinates": [[100, 100], [130, 140], [130, 200]]}}]})";
    const std::string name = dir + "/mains.geojson";
    ASSERT_EQ(run("post OpenLine:" + name + ",1.5,0,0.5,1,1\n" +
                  "frame\n"
                  "dump " +
                  dir +
                  "/shown.osgt\n"
                  "post Visual:no" +
                  name + "\n" +
                  "frame\n"
                  "dump " +
                  dir +
                  "/hidden.osgt\n"
                  "post Remove:" +
                  name + "\n" +
                  "frame\n"
                  "dump " +
                  dir + "/removed.osgt\n"),
              0)
        << read("err.txt");
    const std::string shown = pipeGroup(read("shown.osgt"));
    const std::string hidden = pipeGroup(read("hidden.osgt"));
    const std::string removed = pipeGroup(read("removed.osgt"));
    ASSERT_FALSE(shown.empty());
    // Two segments, each with three tubes of its own.
    EXPECT_EQ(count(shown, "osgModeling::Loft"), 6u);
    EXPECT_EQ(shown.find("NodeMask 0 "), std::string::npos);
    EXPECT_NE(hidden.find("NodeMask 0 "), std::string::npos);
    EXPECT_EQ(count(hidden, "osgModeling::Loft"), 6u);
    EXPECT_EQ(count(removed, "osgModeling::Loft"), 0u);
}
