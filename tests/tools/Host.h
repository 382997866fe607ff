// The host application run with a script over a sample network it pages in, drawn
// off-screen (under Xvfb) as a person would see it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

class Host : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/pn-tools-XXXXXX";
        if (!std::getenv("DISPLAY") || !mkdtemp(pattern))
            return;
        dir = pattern;
        if (std::system((bin + "/pn_make_sample --out " + dir + " --segments 2000 >/dev/null").c_str()))
            return;
        xml = read(dir + "/pipe.xml");
        std::istringstream(attribute("extent")) >> xmin >> ymin >> xmax >> ymax;
        groundZ = std::atof(attribute("ground").c_str());
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + dir + "'").c_str()); }
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
        ASSERT_FALSE(xml.empty()) << "no sample network in " << dir;
    }

    // Standard output and error of a run of `body` (UTF-8) once the network is loaded and paged
    // in; the ground is pipe.xml's. Without `status`, a run that fails is a test failure that
    // shows what it printed.
    static std::string run(const std::string& body, int* status = nullptr,
                           const std::string& size = "640x400") {
        std::ofstream(dir + "/script.txt") << "load " << attribute("extent") << ' ' << attribute("baseZ")
                                           << ' ' << attribute("srs") << "\nwait-paging 120\n"
                                           << body;
        int code = std::system((bin + "/pipeviewer --offscreen --size " + size + " --pipe-xml " + dir +
                                "/pipe.xml --script " + dir + "/script.txt >" + dir + "/out.txt 2>&1")
                                   .c_str());
        std::string out = read(dir + "/out.txt");
        if (status)
            *status = code;
        else
            EXPECT_EQ(code, 0) << "pipeviewer printed:\n" << out;
        return out;
    }
    // The payloads of the "callback<TAB>name<TAB>payload" lines for `name`.
    static std::vector<std::string> callbacks(const std::string& out, const std::string& name) {
        std::vector<std::string> payloads;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("callback\t" + name + "\t", 0) == 0)
                payloads.push_back(line.substr(name.size() + 10));
        return payloads;
    }
    static std::vector<double> numbers(const std::string& payload) {
        std::vector<double> values;
        std::istringstream in(payload);
        for (std::string field; std::getline(in, field, ',');)
            values.push_back(std::atof(field.c_str()));
        return values;
    }
    // The world point `dx`, `dy` metres from the middle of the network, `dz` above the ground.
    static std::string at(double dx, double dy, double dz = 0) {
        std::ostringstream text;
        text.precision(12);
        text << x(dx) << ' ' << y(dy) << ' ' << groundZ + dz;
        return text.str();
    }
    static std::string mouse(const std::string& action, double dx, double dy) {
        return "mouse " + action + ' ' + at(dx, dy) + '\n';
    }
    static double x(double dx) { return (xmin + xmax) / 2 + dx; }
    static double y(double dy) { return (ymin + ymax) / 2 + dy; }
    static std::string read(const std::string& path) {
        std::ifstream file(path);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    static std::string attribute(const std::string& name) {
        size_t at = xml.find(name + "=\"") + name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    }

    static inline std::string bin = PN_BIN_DIR, dir, xml;
    static inline double xmin, ymin, xmax, ymax, groundZ;
};
