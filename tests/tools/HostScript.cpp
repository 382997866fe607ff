#include "HostScript.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

double HostScript::centreX = 0, HostScript::centreY = 0, HostScript::groundZ = 0;
std::string HostScript::dir, HostScript::loadLine, HostScript::groundText;

namespace {
std::string capture(const std::string& command, int* status) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        int code = pclose(pipe);
        if (status)
            *status = code;
    }
    return output;
}
} // namespace

void HostScript::SetUpTestSuite() {
    if (!std::getenv("DISPLAY"))
        return;
    char pattern[] = "/tmp/pn-tools-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    dir = pattern;
    int status = -1;
    capture(std::string(PN_BIN_DIR) + "/pn_make_sample --out " + dir + " --segments 300 2>&1", &status);
    std::string xml = read(dir + "/pipe.xml");
    auto attribute = [&](const std::string& name) {
        size_t at = xml.find(name + "=\"");
        if (at == std::string::npos)
            return std::string();
        at += name.size() + 2;
        return xml.substr(at, xml.find('"', at) - at);
    };
    std::istringstream extent(attribute("extent"));
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    extent >> xmin >> ymin >> xmax >> ymax;
    centreX = (xmin + xmax) / 2;
    centreY = (ymin + ymax) / 2;
    groundText = attribute("ground");
    groundZ = std::atof(groundText.c_str());
    if (status == 0 && extent)
        loadLine = "load " + attribute("extent") + " " + attribute("baseZ") + " " + attribute("srs") + "\n";
}

void HostScript::TearDownTestSuite() {
    if (!dir.empty())
        std::system(("rm -rf '" + dir + "'").c_str());
}

void HostScript::SetUp() {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
    ASSERT_FALSE(loadLine.empty()) << "the sample network could not be made in " << dir;
}

std::string HostScript::run(const std::string& body, int* status) const {
    std::string path = dir + "/script.txt";
    std::ofstream(path) << loadLine << "wait-paging 120\n" << body;
    return capture(std::string(PN_BIN_DIR) + "/pipeviewer --offscreen --size 640x400 --pipe-xml " + dir +
                       "/pipe.xml --ground " + groundText + " --script " + path + " 2>&1",
                   status);
}

std::vector<std::string> HostScript::callbacks(const std::string& out, const std::string& name) {
    std::vector<std::string> payloads;
    std::istringstream lines(out);
    std::string prefix = "callback\t" + name + "\t";
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            payloads.push_back(line.substr(prefix.size()));
    return payloads;
}

std::string HostScript::read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string HostScript::mouse(const std::string& action, double dx, double dy) {
    std::ostringstream text;
    text.precision(12);
    text << "mouse " << action << ' ' << centreX + dx << ' ' << centreY + dy << ' ' << groundZ << '\n';
    return text.str();
}

std::vector<double> HostScript::numbers(const std::string& payload) {
    std::vector<double> values;
    std::istringstream in(payload);
    for (std::string field; std::getline(in, field, ',');)
        values.push_back(std::atof(field.c_str()));
    return values;
}
