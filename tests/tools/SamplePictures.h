// The sample network shown by the host application, pictured before and after some
// script lines. Skipped without a display (the suite runs under xvfb-run).
#pragma once

#include <osg/Image>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

class SamplePictures : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
        char pattern[] = "/tmp/toolpictures-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        int status = 0;
        run(bin + "/pn_make_sample --out " + dir + " --segments 2000 2>&1", status);
        ASSERT_EQ(status, 0);
    }
    void TearDown() override {
        if (!dir.empty())
            std::system(("rm -rf '" + dir + "'").c_str());
    }

    static std::string run(const std::string& command, int& status) {
        std::string output;
        status = -1;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                output.append(buffer, n);
            status = pclose(pipe);
        }
        return output;
    }

    // Loads the sample, waits for its tiles, pictures it into before.png, runs `lines`
    // and pictures it again into after.png. Returns the host's output.
    std::string pictureAround(const std::string& lines) {
        std::ifstream file(dir + "/pipe.xml");
        std::stringstream text;
        text << file.rdbuf();
        const std::string xml = text.str();
        auto attribute = [&](const std::string& name) {
            size_t at = xml.find(name + "=\"") + name.size() + 2;
            return xml.substr(at, xml.find('"', at) - at);
        };
        std::ofstream(dir + "/script.txt")
            << "load " << attribute("extent") << " " << attribute("baseZ") << " " << attribute("srs")
            << "\nwait-paging 120\nscreenshot " << dir << "/before.png\n"
            << lines << "\nframe 3\nscreenshot " << dir << "/after.png\n";
        int status = 0;
        std::string out =
            run(bin + "/pipeviewer --pipe-xml " + dir + "/pipe.xml --offscreen --size 640x400 --ground " +
                    attribute("ground") + " --script " + dir + "/script.txt 2>&1",
                status);
        EXPECT_EQ(status, 0) << out;
        before = osgDB::readRefImageFile(dir + "/before.png");
        after = osgDB::readRefImageFile(dir + "/after.png");
        return out;
    }

    // Pixels of each picture that `is` accepts, and of those in `after` the ones
    // `was` accepted in `before` at the same place.
    struct Count {
        unsigned before = 0, after = 0, afterWhereBefore = 0;
    };
    Count count(const std::function<bool(const osg::Vec4&)>& is,
                const std::function<bool(const osg::Vec4&)>& was) const {
        Count c;
        for (int y = 0; y < after->t(); ++y)
            for (int x = 0; x < after->s(); ++x) {
                c.before += is(before->getColor(x, y));
                if (is(after->getColor(x, y))) {
                    ++c.after;
                    c.afterWhereBefore += was(before->getColor(x, y));
                }
            }
        return c;
    }

    // The flow bands' and the highlight's cyan, however lit and however tinted by the
    // translucent ground: green and blue alike and well above red.
    static bool cyan(const osg::Vec4& c) {
        return c.g() > 0.25f && c.b() > 0.25f && c.r() < 0.75f * c.g() && c.r() < 0.75f * c.b() &&
               c.g() < 1.35f * c.b() && c.b() < 1.35f * c.g();
    }
    static bool blue(const osg::Vec4& c) {
        return c.b() > 0.3f && c.b() > 1.6f * c.r() && c.b() > 1.4f * c.g();
    }
    static bool red(const osg::Vec4& c) {
        return c.r() > 0.3f && c.r() > 1.8f * c.g() && c.r() > 1.8f * c.b();
    }
    // Drainage: a warm olive to brown, hardly any blue.
    static bool brown(const osg::Vec4& c) {
        return c.r() > 0.12f && c.r() > 0.9f * c.g() && c.g() > 1.4f * c.b();
    }
    static bool green(const osg::Vec4& c) {
        return c.g() > 0.3f && c.g() > 1.5f * c.r() && c.g() > 1.5f * c.b();
    }

    const std::string bin = PN_BIN_DIR;
    std::string dir;
    osg::ref_ptr<osg::Image> before, after;
};
