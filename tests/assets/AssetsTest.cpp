#include "text/GbkText.h"

#include <gtest/gtest.h>

#include <osg/ComputeBoundsVisitor>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>
#include <osg/NodeVisitor>
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

const char* const kTextures[] = {
    "..\\model\\wushui\\snqm.jpg",
    "..\\model\\wushui\\wsjc.jpg",
    "..\\model\\wushui\\bz.jpg",
    "..\\model\\gongshui\\1\\jingbi1.jpg",
    "..\\model\\gongshui\\1\\jinggai1.jpg",
    "..\\model\\ranqi\\jswall.jpg",
    "..\\model\\ranqi\\rqfm.jpg",
    "..\\model\\reshui\\jswall.jpg",
    "..\\model\\reshui\\jsfm.jpg",
    "..\\model\\dianli\\snqm.jpg",
    "..\\model\\dianli\\dlyj.jpg",
    "..\\model\\ludeng\\snqm.jpg",
    "..\\model\\ludeng\\dlyj.jpg",
    "..\\model\\dianxin\\snqm.jpg",
    "..\\model\\dianxin\\dxyj.jpg",
    "..\\model\\dianxin\\dxfj.jpg",
    "..\\model\\dianshi\\snqm.jpg",
    "..\\model\\dianshi\\tvyj.jpg",
    "..\\model\\dianshi\\dsfj.jpg",
    "..\\model\\junyong\\snqm.jpg",
    "..\\model\\junyong\\dxyj.jpg",
    "..\\model\\junyong\\jyfj.jpg",
    "..\\侧面.jpg",
    "..\\底面.jpg",
};

// Heights a surveyor would accept for each piece of equipment, in metres.
struct ModelSize {
    const char* path;
    double minHeight, maxHeight;
};
const ModelSize kModels[] = {
    {"..\\model\\gongshui\\1\\famen.ive", 0.5, 1.5},
    {"..\\model\\gongshui\\shuibiao\\shuibiao.ive", 0.1, 0.5},
    {"..\\model\\gongshui\\xiaofangshuan\\xiaofangshuan.ive", 0.6, 1.3},
    {"..\\model\\ludeng\\ludeng.ive", 5.0, 12.0},
    {"..\\model\\ludeng\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\dianli\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\dianxin\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\dianshi\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\junyong\\shanggan.ive", 6.0, 12.0},
    {"..\\model\\dianli\\kongzhigui.ive", 1.2, 2.2},
    {"..\\model\\dianxin\\jiexianxiang.ive", 0.8, 1.6},
    {"..\\model\\dianshi\\jiexianxiang.ive", 0.8, 1.6},
    {"..\\model\\junyong\\jiexianxiang.ive", 0.8, 1.6},
    {"..\\model\\ranqi\\nishuigang.ive", 1.0, 2.2},
};

osg::ref_ptr<osg::Node> readModel(const char* gbkPath) {
    return osgDB::readNodeFile(native(gbkPath), osgDB::Registry::instance()->getOptions());
}

bool powerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

// Every vertex of a model in model coordinates, with whether its drawables are lit and coloured.
struct VertexScan : osg::NodeVisitor {
    VertexScan() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    std::vector<osg::Vec3> vertices, normals;
    std::set<std::tuple<float, float, float>> colours;
    bool normalsEverywhere = true;
    bool colourMaterial = false;
    void apply(osg::Geode& geode) override {
        if (auto* ss = geode.getStateSet())
            if (auto* m = dynamic_cast<osg::Material*>(ss->getAttribute(osg::StateAttribute::MATERIAL)))
                colourMaterial |= m->getColorMode() == osg::Material::AMBIENT_AND_DIFFUSE;
        for (unsigned i = 0; i < geode.getNumDrawables(); ++i) {
            auto* g = geode.getDrawable(i)->asGeometry();
            if (!g)
                continue;
            auto* v = dynamic_cast<osg::Vec3Array*>(g->getVertexArray());
            auto* n = g->getNormalArray();
            auto* c = dynamic_cast<osg::Vec4Array*>(g->getColorArray());
            if (!v)
                continue;
            vertices.insert(vertices.end(), v->begin(), v->end());
            auto* n3 = dynamic_cast<osg::Vec3Array*>(n);
            normalsEverywhere &= n3 && n3->size() == v->size();
            if (n3)
                normals.insert(normals.end(), n3->begin(), n3->end());
            if (c)
                for (const osg::Vec4& col : *c)
                    colours.insert({col.r(), col.g(), col.b()});
        }
    }
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Assets, EveryTextureTheWellsAndPitsDrawLoadsFromTheHostsWorkingDirectory) {
    for (const char* path : kTextures) {
        SCOPED_TRACE(native(path));
        osg::ref_ptr<osg::Image> image =
            osgDB::readImageFile(native(path), osgDB::Registry::instance()->getOptions());
        ASSERT_TRUE(image.valid());
        EXPECT_TRUE(powerOfTwo(image->s()) && powerOfTwo(image->t()));
        EXPECT_GE(std::min(image->s(), image->t()), 64);
        EXPECT_LE(std::max(image->s(), image->t()), 1024);
        EXPECT_EQ(image->getPixelFormat(), static_cast<GLenum>(GL_RGB));

        // A picture, not a flat fill: its brightness varies across the surface.
        double sum = 0, sum2 = 0;
        const int n = image->s() * image->t();
        for (int y = 0; y < image->t(); ++y)
            for (int x = 0; x < image->s(); ++x) {
                const osg::Vec4 c = image->getColor(x, y);
                const double l = (c.r() + c.g() + c.b()) / 3.0;
                sum += l;
                sum2 += l * l;
            }
        const double mean = sum / n;
        EXPECT_GT(std::sqrt(sum2 / n - mean * mean), 0.03);
        EXPECT_GT(mean, 0.1);
    }
}

TEST(Assets, EveryEquipmentModelStandsOnItsBaseAtTheOriginAtItsRealSize) {
    for (const ModelSize& m : kModels) {
        SCOPED_TRACE(native(m.path));
        osg::ref_ptr<osg::Node> node = readModel(m.path);
        ASSERT_TRUE(node.valid());
        osg::ComputeBoundsVisitor bounds;
        node->accept(bounds);
        const osg::BoundingBox& b = bounds.getBoundingBox();
        ASSERT_TRUE(b.valid());
        EXPECT_NEAR(b.zMin(), 0.0, 1e-4);
        EXPECT_GE(b.zMax(), m.minHeight);
        EXPECT_LE(b.zMax(), m.maxHeight);
        // The origin is under the model, which is no wider than a cabinet or a lamp arm.
        EXPECT_TRUE(b.xMin() <= 0 && b.xMax() >= 0 && b.yMin() <= 0 && b.yMax() >= 0);
        EXPECT_LT(b.xMax() - b.xMin(), 3.0);
        EXPECT_LT(b.yMax() - b.yMin(), 3.0);

        VertexScan scan;
        node->accept(scan);
        EXPECT_TRUE(scan.normalsEverywhere);
        EXPECT_TRUE(scan.colourMaterial);
        EXPECT_GE(scan.colours.size(), 2u);
    }
}

TEST(Assets, TheValveStandsInsideTheShaftAndBelowTheLidOfAValveWell) {
    // The valve model is a child of the chamber at its origin: the wall is a circle of radius
    // 0.5 from -0.2 up to the lid at 2.05.
    osg::ref_ptr<osg::Node> valve = readModel("..\\model\\gongshui\\1\\famen.ive");
    ASSERT_TRUE(valve.valid());
    VertexScan scan;
    valve->accept(scan);
    ASSERT_FALSE(scan.vertices.empty());
    for (const osg::Vec3& v : scan.vertices) {
        ASSERT_LT(std::hypot(v.x(), v.y()), 0.5f);
        ASSERT_LT(v.z(), 2.05f);
    }
}

TEST(Assets, TheGeneratorWritesTheSameFilesEveryTimeAndReportsAnUnwritableFolder) {
    const fs::path bin = PN_BIN_DIR;
    const fs::path out = fs::temp_directory_path() / ("pn_assets_" + std::to_string(::getpid()));
    fs::remove_all(out);
    ASSERT_EQ(std::system(((bin / "pn_make_assets").string() + " " + out.string()).c_str()), 0);

    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path relative = fs::relative(entry.path(), out);
        SCOPED_TRACE(relative.string());
        EXPECT_EQ(slurp(entry.path()), slurp(bin.parent_path() / relative));
    }
    EXPECT_EQ(files, std::size(kTextures) + std::size(kModels));
    fs::remove_all(out);

    // A root below a plain file cannot hold folders: the generator says so and fails.
    const fs::path blocker = fs::temp_directory_path() / ("pn_assets_file_" + std::to_string(::getpid()));
    std::ofstream(blocker) << "x";
    EXPECT_NE(
        std::system(((bin / "pn_make_assets").string() + " " + blocker.string() + " 2>/dev/null").c_str()),
        0);
    fs::remove(blocker);
}

TEST(Assets, ModelTrianglesFaceTheWayTheirNormalsPoint) {
    // A triangle wound against its normals is lit from inside and vanishes under back-face
    // culling: the model would show holes.
    for (const ModelSize& m : kModels) {
        SCOPED_TRACE(native(m.path));
        osg::ref_ptr<osg::Node> node = readModel(m.path);
        ASSERT_TRUE(node.valid());
        VertexScan scan;
        node->accept(scan);
        ASSERT_TRUE(scan.normalsEverywhere);
        ASSERT_EQ(scan.vertices.size() % 3, 0u);
        size_t against = 0, triangles = 0;
        for (size_t i = 0; i + 2 < scan.vertices.size(); i += 3) {
            const osg::Vec3 face =
                (scan.vertices[i + 1] - scan.vertices[i]) ^ (scan.vertices[i + 2] - scan.vertices[i]);
            if (face.length() < 1e-9f)
                continue;
            ++triangles;
            const osg::Vec3 normal = scan.normals[i] + scan.normals[i + 1] + scan.normals[i + 2];
            against += face * normal < 0.f;
        }
        EXPECT_GT(triangles, 100u);
        EXPECT_EQ(against, 0u);
    }
}

TEST(Assets, ShaftWallsWrapAroundTheShaftWithoutASeamAndTheGrateFitsItsFrame) {
    // The lofted wall runs its texture once around the shaft: the last column meets the first.
    for (const char* path : {"..\\model\\wushui\\snqm.jpg", "..\\model\\gongshui\\1\\jingbi1.jpg",
                             "..\\model\\ranqi\\jswall.jpg", "..\\model\\reshui\\jswall.jpg"}) {
        SCOPED_TRACE(native(path));
        osg::ref_ptr<osg::Image> image = osgDB::readImageFile(native(path));
        ASSERT_TRUE(image.valid());
        auto columnStep = [&](int a, int b) {
            double d = 0;
            for (int y = 0; y < image->t(); ++y) {
                const osg::Vec4 diff = image->getColor(a, y) - image->getColor(b, y);
                d += std::fabs(diff.r()) + std::fabs(diff.g()) + std::fabs(diff.b());
            }
            return d / image->t();
        };
        double inside = 0;
        for (int x = 1; x < image->s(); ++x)
            inside += columnStep(x - 1, x);
        inside /= image->s() - 1;
        EXPECT_LT(columnStep(image->s() - 1, 0), 2.0 * inside + 0.01);
    }
    // The street-inlet lid is 0.5 m across and 1.0 m long.
    osg::ref_ptr<osg::Image> grate = osgDB::readImageFile(native("..\\model\\wushui\\bz.jpg"));
    ASSERT_TRUE(grate.valid());
    EXPECT_EQ(grate->t(), 2 * grate->s());
}
