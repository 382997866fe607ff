// The sample network shown by the host application, pictured before and after some
// script lines. Skipped without a display (the suite runs under xvfb-run).
#pragma once

#include <osg/Image>
#include <osgDB/ReadFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

class SamplePictures : public ::testing::Test {
protected:
    using Hue = bool (*)(const osg::Vec4&);

    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (the suite runs under xvfb-run)";
        char pattern[] = "/tmp/toolpictures-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_EQ(std::system((bin + "/pn_make_sample --out " + dir + " --segments 2000 >/dev/null").c_str()),
                  0);
    }
    void TearDown() override {
        if (!dir.empty())
            std::system(("rm -rf '" + dir + "'").c_str());
    }

    // Loads the sample, waits for its tiles, pictures it into `before`, runs `lines`
    // (UTF-8) and pictures it again into `after`.
    void pictureAround(const std::string& lines) {
        std::ifstream file(dir + "/pipe.xml");
        const std::string xml{std::istreambuf_iterator<char>(file), {}};
        auto attribute = [&](const std::string& name) {
            size_t at = xml.find(name + "=\"") + name.size() + 2;
            return xml.substr(at, xml.find('"', at) - at);
        };
        std::ofstream(dir + "/script.txt")
            << "load " << attribute("extent") << " " << attribute("baseZ") << " " << attribute("srs")
            << "\nwait-paging 120\nscreenshot " << dir << "/before.png\n"
            << lines << "\nframe 3\nscreenshot " << dir << "/after.png\n";
        ASSERT_EQ(std::system((bin + "/pipeviewer --pipe-xml " + dir +
                               "/pipe.xml --offscreen --size 640x400 --ground " + attribute("ground") +
                               " --script " + dir + "/script.txt")
                                  .c_str()),
                  0);
        before = osgDB::readRefImageFile(dir + "/before.png");
        after = osgDB::readRefImageFile(dir + "/after.png");
        ASSERT_TRUE(before.valid() && after.valid());
    }

    // Pixels of `image` of hue `is` (and, when `was` is given, of hue `was` in `before`).
    unsigned count(const osg::Image& image, Hue is, Hue was = nullptr) const {
        unsigned n = 0;
        for (int y = 0; y < image.t(); ++y)
            for (int x = 0; x < image.s(); ++x)
                n += is(image.getColor(x, y)) && (!was || was(before->getColor(x, y)));
        return n;
    }

    // However lit and however tinted by the translucent ground. Cyan: the flow bands and
    // the highlight. Brown: the drainage layers, warm with hardly any blue.
    static bool cyan(const osg::Vec4& c) {
        return c.g() > 0.25f && c.b() > 0.25f && c.r() < 0.75f * c.g() && c.r() < 0.75f * c.b() &&
               c.g() < 1.35f * c.b() && c.b() < 1.35f * c.g();
    }
    static bool blue(const osg::Vec4& c) {
        return c.b() > 0.3f && c.b() > 1.6f * c.r() && c.b() > 1.4f * c.g();
    }
    static bool brown(const osg::Vec4& c) {
        return c.r() > 0.12f && c.r() > 0.9f * c.g() && c.g() > 1.4f * c.b();
    }

    const std::string bin = PN_BIN_DIR;
    std::string dir;
    osg::ref_ptr<osg::Image> before, after;
};
