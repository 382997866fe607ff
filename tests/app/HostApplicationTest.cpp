// The host application driven by scripts, as a user or another program drives it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

class HostApplication : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pipeviewer-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    Outcome script(const std::string& text, const std::string& extra = "") {
        std::string path = dir + "/script.txt";
        std::ofstream(path) << text;
        std::string command = std::string(PN_BIN_DIR) + "/pipeviewer --headless --script '" + path + "' " +
                              extra + " 2>" + dir + "/err.txt";
        Outcome run;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                run.out.append(buffer, n);
            run.status = pclose(pipe);
        }
        return run;
    }
    std::string read(const std::string& name) const {
        std::ifstream file(dir + "/" + name);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string dir;
};

} // namespace

TEST_F(HostApplication, KmlLayerAppearsUnderThePipeGroupHidesAndGoes) {
    // One step a line: open a line layer along three surveyed points, hide it, remove it.
    Outcome run =
        script("# a comment line\nkml OpenKml:路线一,2,0.5,1,0,0,1 0,0,0; 10,0,0; 10,10,0\nframe\ndump " +
               dir + "/shown.osgt\npost Visual:no路线一\nframe\ndump " + dir + "/hidden.osgt\n" +
               "remove Remove:路线一\nframe 2\ndump " + dir + "/removed.osgt\n");
    ASSERT_EQ(run.status, 0) << read("err.txt");
    std::string shown = read("shown.osgt"), hidden = read("hidden.osgt"), removed = read("removed.osgt");
    // The tubes of the layer are in the scene until it is removed; hiding masks them out.
    EXPECT_NE(shown.find("osgModeling::Loft"), std::string::npos);
    EXPECT_EQ(removed.find("osgModeling::Loft"), std::string::npos);
    EXPECT_EQ(shown.find("NodeMask 0 "), std::string::npos);
    EXPECT_NE(hidden.find("NodeMask 0 "), std::string::npos);
}

TEST_F(HostApplication, BadScriptLinesAreReportedAndTheRestStillRuns) {
    Outcome run =
        script("frobnicate\nkml OpenKml:x,0,1,1,0,0,1 1,2;3,4,5\nactivate no-such-tool\nframe -1\ndump " +
               dir + "/after.osgt\n");
    EXPECT_NE(run.status, 0);
    std::string err = read("err.txt");
    for (const char* report : {"script line 1: unknown command", "script line 2",
                               "script line 3: no such command", "script line 4"})
        EXPECT_NE(err.find(report), std::string::npos) << err;
    EXPECT_FALSE(read("after.osgt").empty());
}

TEST_F(HostApplication, AMissingPluginIsReportedWithTheLoadersReasonNotACrash) {
    Outcome run = script("frame\n", "--plugin /nonexistent/plugin.so");
    EXPECT_EQ(WEXITSTATUS(run.status), 1);
    EXPECT_NE(read("err.txt").find("cannot load the plug-in: /nonexistent/plugin.so: cannot open"),
              std::string::npos)
        << read("err.txt");
}
