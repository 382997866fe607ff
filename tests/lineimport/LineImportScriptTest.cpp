// A line layer from a vector file, driven through the host application's script as a
// user drives it: shown under the pipe group, hidden, removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string read(const std::string& file) {
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

// How often `what` appears after the pipe group's name, where the line layers live.
size_t countUnderPipes(const std::string& dump, const std::string& what) {
    const std::string pipes = dump.substr(std::min(dump.find("Name \"pipes\""), dump.size()));
    size_t n = 0;
    for (size_t at = pipes.find(what); at != std::string::npos; at = pipes.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(LineImportScript, PostedLineFileShowsUnderThePipeGroupHidesAndGoes) {
    char pattern[] = "/tmp/lineimport-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern, name = dir + "/mains.geojson";
    std::ofstream(name) << R"({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {},
      "geometry": {"type": "LineString", "coordinates": [[100, 100], [130, 140], [130, 200]]}}]})";
    std::ofstream script(dir + "/script.txt");
    for (const auto& [message, dump] :
         {std::pair{"OpenLine:" + name + ",1.5,0,0.5,1,1", "shown"}, std::pair{"Visual:no" + name, "hidden"},
          std::pair{"Remove:" + name, "removed"}})
        script << "post " << message << "\nwait-paging 60\ndump " << dir << "/" << dump << ".osgt\n";
    script.close();
    const std::string run = std::string(PN_BIN_DIR) + "/pipeviewer --headless --ground 5 --script '" + dir +
                            "/script.txt' >/dev/null 2>'" + dir + "/err.txt'";
    ASSERT_EQ(std::system(run.c_str()), 0) << read(dir + "/err.txt");
    const std::string shown = read(dir + "/shown.osgt"), hidden = read(dir + "/hidden.osgt");
    // Two segments sharing one set of three tubes (written once, then referred to);
    // hiding keeps them, removing drops them.
    EXPECT_EQ(countUnderPipes(shown, "osgModeling::Loft"), 3u);
    EXPECT_EQ(countUnderPipes(shown, "modeling::TubeLod"), 2u);
    EXPECT_EQ(countUnderPipes(shown, "NodeMask 0 "), 0u);
    EXPECT_EQ(countUnderPipes(hidden, "osgModeling::Loft"), 3u);
    EXPECT_EQ(countUnderPipes(hidden, "NodeMask 0 "), 1u);
    EXPECT_EQ(countUnderPipes(read(dir + "/removed.osgt"), "osgModeling::Loft"), 0u);
    EXPECT_NE(read(dir + "/removed.osgt").find("Name \"pipes\""), std::string::npos);
    std::system(("rm -rf '" + dir + "'").c_str());
}
