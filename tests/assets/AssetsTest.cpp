#include "text/GbkText.h"

#include <gtest/gtest.h>

#include <osg/ComputeBoundsVisitor>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The program's paths as it holds them (GBK, Windows separators, relative to bin/), turned
// into native ones the way the modelling code does.
std::string native(const char* gbkPath) {
    std::string path = gbkToUtf8(gbkPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Every texture the wells and pits draw; the lofted shaft walls wrap theirs once around.
struct Texture {
    const char* path;
    bool wall;
};
// clang-format off
const Texture kTextures[] = {
    {"..\\model\\wushui\\snqm.jpg", true}, {"..\\model\\wushui\\wsjc.jpg", false}, {"..\\model\\wushui\\bz.jpg", false},
    {"..\\model\\gongshui\\1\\jingbi1.jpg", true}, {"..\\model\\gongshui\\1\\jinggai1.jpg", false},
    {"..\\model\\ranqi\\jswall.jpg", true}, {"..\\model\\ranqi\\rqfm.jpg", false},
    {"..\\model\\reshui\\jswall.jpg", true}, {"..\\model\\reshui\\jsfm.jpg", false},
    {"..\\model\\dianli\\snqm.jpg", false}, {"..\\model\\dianli\\dlyj.jpg", false},
    {"..\\model\\ludeng\\snqm.jpg", false}, {"..\\model\\ludeng\\dlyj.jpg", false},
    {"..\\model\\dianxin\\snqm.jpg", false}, {"..\\model\\dianxin\\dxyj.jpg", false},
    {"..\\model\\dianxin\\dxfj.jpg", false}, {"..\\model\\dianshi\\snqm.jpg", false},
    {"..\\model\\dianshi\\tvyj.jpg", false}, {"..\\model\\dianshi\\dsfj.jpg", false},
    {"..\\model\\junyong\\snqm.jpg", false}, {"..\\model\\junyong\\dxyj.jpg", false},
    {"..\\model\\junyong\\jyfj.jpg", false}, {"..\\侧面.jpg", false}, {"..\\底面.jpg", false},
};

// Heights a surveyor would accept for each piece of equipment, in metres.
struct ModelSize {
    const char* path;
    double minHeight, maxHeight;
};
const ModelSize kModels[] = {
    {"..\\model\\gongshui\\1\\famen.ive", 0.5, 1.5}, {"..\\model\\gongshui\\shuibiao\\shuibiao.ive", 0.1, 0.5},
    {"..\\model\\gongshui\\xiaofangshuan\\xiaofangshuan.ive", 0.6, 1.3}, {"..\\model\\ludeng\\ludeng.ive", 5.0, 12.0},
    {"..\\model\\ludeng\\shanggan.ive", 6.0, 12.0}, {"..\\model\\dianli\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\dianxin\\shanggan.ive", 6.0, 12.0}, {"..\\model\\dianshi\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\junyong\\shanggan.ive", 6.0, 12.0}, {"..\\model\\dianli\\kongzhigui.ive", 1.2, 2.2},
    {"..\\model\\dianxin\\jiexianxiang.ive", 0.8, 1.6}, {"..\\model\\dianshi\\jiexianxiang.ive", 0.8, 1.6},
    {"..\\model\\junyong\\jiexianxiang.ive", 0.8, 1.6}, {"..\\model\\ranqi\\nishuigang.ive", 1.0, 2.2},
};
// clang-format on

// Every vertex and normal of a model in model coordinates, with whether its drawables are
// lit and coloured.
struct VertexScan : osg::NodeVisitor {
    VertexScan() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    std::vector<osg::Vec3> vertices, normals;
    std::set<std::tuple<float, float, float>> colours;
    bool colourMaterial = false;
    void apply(osg::Geode& geode) override {
        if (auto* ss = geode.getStateSet())
            if (auto* m = dynamic_cast<osg::Material*>(ss->getAttribute(osg::StateAttribute::MATERIAL)))
                colourMaterial |= m->getColorMode() == osg::Material::AMBIENT_AND_DIFFUSE;
        for (unsigned i = 0; i < geode.getNumDrawables(); ++i) {
            osg::Geometry* g = geode.getDrawable(i)->asGeometry();
            auto* v = g ? dynamic_cast<osg::Vec3Array*>(g->getVertexArray()) : nullptr;
            if (!v)
                continue;
            vertices.insert(vertices.end(), v->begin(), v->end());
            auto* n = dynamic_cast<osg::Vec3Array*>(g->getNormalArray());
            if (n && n->size() == v->size())
                normals.insert(normals.end(), n->begin(), n->end());
            if (auto* c = dynamic_cast<osg::Vec4Array*>(g->getColorArray()))
                for (const osg::Vec4& col : *c)
                    colours.insert({col.r(), col.g(), col.b()});
        }
    }
};

} // namespace

// Power-of-two RGB pictures, not flat fills: their brightness varies across the surface.
// A shaft wall's last column meets its first, so the wrap shows no seam.
TEST(Assets, EveryTextureTheWellsAndPitsDrawLoadsFromTheHostsWorkingDirectory) {
    for (const Texture& texture : kTextures) {
        SCOPED_TRACE(native(texture.path));
        osg::ref_ptr<osg::Image> image =
            osgDB::readImageFile(native(texture.path), osgDB::Registry::instance()->getOptions());
        ASSERT_TRUE(image.valid());
        EXPECT_TRUE((image->s() & (image->s() - 1)) == 0 && (image->t() & (image->t() - 1)) == 0)
            << "powers of two";
        EXPECT_TRUE(std::min(image->s(), image->t()) >= 64 && std::max(image->s(), image->t()) <= 1024);
        EXPECT_EQ(image->getPixelFormat(), static_cast<GLenum>(GL_RGB));
        double sum = 0, sum2 = 0, inside = 0, seam = 0;
        for (int y = 0; y < image->t(); ++y)
            for (int x = 0; x < image->s(); ++x) {
                const osg::Vec4 c = image->getColor(x, y),
                                step = c - image->getColor((x + 1) % image->s(), y);
                const double l = (c.r() + c.g() + c.b()) / 3.0,
                             d = std::fabs(step.r()) + std::fabs(step.g()) + std::fabs(step.b());
                sum += l;
                sum2 += l * l;
                (x + 1 == image->s() ? seam : inside) += d;
            }
        const double n = image->s() * image->t(), mean = sum / n;
        EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 0.03);
        EXPECT_GT(mean, 0.1);
        const bool grate = std::string(texture.path).find("bz.jpg") != std::string::npos;
        EXPECT_TRUE(!texture.wall || seam / image->t() < 2.0 * inside / (n - image->t()) + 0.01) << "a seam";
        EXPECT_TRUE(!grate || image->t() == 2 * image->s()) << "the grate is 0.5 m across and 1.0 m long";
    }
}

// Standing on its base at the origin, no wider than a cabinet or a lamp arm, lit and
// coloured, with every triangle facing the way its normals point: one wound against them
// is lit from inside and vanishes under back-face culling.
TEST(Assets, EveryEquipmentModelStandsOnItsBaseAtTheOriginAtItsRealSizeFacingOutwards) {
    for (const ModelSize& m : kModels) {
        SCOPED_TRACE(native(m.path));
        osg::ref_ptr<osg::Node> node =
            osgDB::readNodeFile(native(m.path), osgDB::Registry::instance()->getOptions());
        ASSERT_TRUE(node.valid());
        osg::ComputeBoundsVisitor bounds;
        node->accept(bounds);
        const osg::BoundingBox& b = bounds.getBoundingBox();
        ASSERT_TRUE(b.valid());
        EXPECT_NEAR(b.zMin(), 0.0, 1e-4);
        EXPECT_TRUE(b.zMax() >= m.minHeight && b.zMax() <= m.maxHeight) << b.zMax();
        EXPECT_TRUE(b.xMin() <= 0 && b.xMax() >= 0 && b.yMin() <= 0 && b.yMax() >= 0);
        EXPECT_TRUE(b.xMax() - b.xMin() < 3.0 && b.yMax() - b.yMin() < 3.0);

        VertexScan scan;
        node->accept(scan);
        EXPECT_TRUE(scan.colourMaterial);
        EXPECT_GE(scan.colours.size(), 2u);
        ASSERT_EQ(scan.normals.size(), scan.vertices.size()) << "a normal for every vertex";
        ASSERT_EQ(scan.vertices.size() % 3, 0u);
        size_t against = 0, triangles = 0;
        for (size_t i = 0; i + 2 < scan.vertices.size(); i += 3) {
            const osg::Vec3 face =
                (scan.vertices[i + 1] - scan.vertices[i]) ^ (scan.vertices[i + 2] - scan.vertices[i]);
            if (face.length() < 1e-9f)
                continue;
            ++triangles;
            against += face * (scan.normals[i] + scan.normals[i + 1] + scan.normals[i + 2]) < 0.f;
        }
        EXPECT_GT(triangles, 100u);
        EXPECT_EQ(against, 0u);
        // The valve stands inside a valve well's shaft (radius 0.5) and below its lid (2.05).
        for (const osg::Vec3& v : scan.vertices)
            ASSERT_TRUE(m.path != kModels[0].path || (std::hypot(v.x(), v.y()) < 0.5f && v.z() < 2.05f));
    }
}

TEST(Assets, TheGeneratorWritesTheSameFilesEveryTimeAndReportsAnUnwritableFolder) {
    const fs::path bin = PN_BIN_DIR;
    const std::string make = (bin / "pn_make_assets").string() + " ";
    const fs::path out = fs::temp_directory_path() / ("pn_assets_" + std::to_string(::getpid()));
    fs::remove_all(out);
    ASSERT_EQ(std::system((make + out.string()).c_str()), 0);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path relative = fs::relative(entry.path(), out);
        std::ifstream made(entry.path(), std::ios::binary),
            built(bin.parent_path() / relative, std::ios::binary);
        EXPECT_TRUE(
            std::equal(std::istreambuf_iterator<char>(made), {}, std::istreambuf_iterator<char>(built), {}))
            << relative;
    }
    EXPECT_EQ(files, std::size(kTextures) + std::size(kModels));
    fs::remove_all(out);

    // A root below a plain file cannot hold folders: the generator says so and fails.
    const fs::path blocker = out.string() + "_file";
    std::ofstream(blocker) << "x";
    EXPECT_NE(std::system((make + blocker.string() + " 2>/dev/null").c_str()), 0);
    fs::remove(blocker);
}

// Every program of the project: --help prints its usage and succeeds, an unknown option
// fails with the usage on stderr, and neither writes anything (no folder named "--help").
TEST(Programs, AnswerHelpAndRefuseUnknownOptionsWritingNothing) {
    const fs::path dir = fs::temp_directory_path() / ("pn_programs_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* program : {"pipeviewer", "pn_make_sample", "pn_make_assets", "pn_asset_sheet"}) {
        const std::string run = "cd " + dir.string() + " && " + (fs::path(PN_BIN_DIR) / program).string();
        // The usage on stdout for --help (status 0), on stderr for an unknown option (status 2).
        EXPECT_EQ(std::system((run + " --help | grep -q usage: && " + run + " --help >/dev/null").c_str()), 0)
            << program;
        const std::string bogus = run + " --bogus 2>&1 >/dev/null | grep -q usage: && { " + run +
                                  " --bogus 2>/dev/null; test $? -eq 2; }";
        EXPECT_EQ(std::system(bogus.c_str()), 0) << program;
        EXPECT_TRUE(fs::is_empty(dir)) << program;
    }
    // Picture sizes past what any display draws are refused before anything is made.
    for (const char* size : {"32768x32768", "65536x100", "40000x40000", "0x10", "99999999999x1"}) {
        const std::string run = (fs::path(PN_BIN_DIR) / "pipeviewer").string() + " --headless --size " + size;
        EXPECT_EQ(std::system((run + " 2>&1 | grep -q 'bad --size'").c_str()), 0) << size;
    }
    fs::remove_all(dir);
}
