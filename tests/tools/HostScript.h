#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The host application driven by a script over the sample network, drawn off-screen
// (under Xvfb) so that its tiles page in as a person would see them.
class HostScript : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;

    // Runs `body` after the network is loaded and paged in; standard output of the run.
    std::string run(const std::string& body, int* status = nullptr) const;
    // The payloads of every "callback<TAB>name<TAB>payload" line for `name` (UTF-8).
    static std::vector<std::string> callbacks(const std::string& out, const std::string& name);
    static std::string read(const std::string& path);

    // The script line of a mouse action at the ground point `dx`, `dy` metres from the
    // middle of the network.
    static std::string mouse(const std::string& action, double dx, double dy);
    // The numbers of a report, split at its commas.
    static std::vector<double> numbers(const std::string& payload);
    static double centreX, centreY, groundZ;
    static std::string dir;

private:
    static std::string loadLine;
    static std::string groundText;
};
