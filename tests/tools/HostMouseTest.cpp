// The host's mouse script command: world points and window pixels become real events of
// the main view, seen by the active tool as a person's clicks.
#include "HostScript.h"

using HostMouse = HostScript;

TEST_F(HostMouse, WorldPointsAndPixelsFromTheTopLeftReachTheActiveTool) {
    // The view looks north over the middle of the network from 90 m south of it: the
    // bottom middle pixel sees the ground near the eye, south of the middle.
    std::string out =
        run(u8"activate 横断面\n" + mouse("left", 2.25, 11.75) + "mouse move 320 399\nmouse right 320 399\n");
    std::vector<std::string> reports = callbacks(out, "Transect");
    ASSERT_EQ(reports.size(), 1u) << out;
    std::vector<double> values = numbers(reports[0]);
    ASSERT_EQ(values.size(), 4u) << reports[0];
    EXPECT_NEAR(values[0], centreX + 2.25, 0.05);
    EXPECT_NEAR(values[1], centreY + 11.75, 0.05);
    EXPECT_NEAR(values[2], centreX, 5.0);
    EXPECT_LT(values[3], centreY - 10.0);
    EXPECT_GT(values[3], centreY - 90.0);
}

TEST_F(HostMouse, MalformedMouseLinesAreReportedAndTheRestRuns) {
    const char* lines[] = {"mouse",           "mouse up 10 10",    "mouse left 10",
                           "mouse left 10 x", "mouse move nan 10", "mouse left 1 2 3 4"};
    std::string script = "# bad lines\n";
    for (const char* line : lines)
        script += std::string(line) + "\n";
    // Far behind the eye: no pixel shows it.
    script += mouse("left", 0, -500) + "summary\n";
    int status = 0;
    std::string out = run(script, &status);
    EXPECT_NE(status, 0);
    for (int line = 2; line <= 8; ++line) // the script's own lines come after load and wait-paging
        EXPECT_NE(out.find("script line " + std::to_string(line + 2) + ":"), std::string::npos)
            << "line " << line << "\n"
            << out;
    EXPECT_NE(out.find("network:"), std::string::npos) << out;
}
