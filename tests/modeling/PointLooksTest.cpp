#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/Texture2D>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Wells and equipment on flat terrain, in the host's layout: the working folder is a bin/
// folder with the build tree's model folder beside it, where the program's ..\model
// paths find every texture and model, or, bare, a bin/ folder with no model folder beside
// it but what a test puts there.
class PointLooks : public ::testing::Test {
protected:
    static constexpr double Ground = 20.0;

    static void SetUpTestSuite() {
        fs::create_directories(root() / "bare" / "bin");
        fs::create_directories(root() / "site" / "bin");
        fs::create_directory_symlink(models, root() / "site" / "model");
    }
    void SetUp() override {
        enter(false);
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(Ground));
    }
    void TearDown() override { fs::current_path(original); }
    void enter(bool bare) { fs::current_path(root() / (bare ? "bare" : "site") / "bin"); }
    static fs::path root() {
        static QTemporaryDir folder;
        return folder.path().toStdString();
    }

    const fs::path original = fs::current_path();
    static inline const fs::path models = fs::path(PN_BIN_DIR) / ".." / "model";
};

// A record at (10, 20).
CPPoint record(const std::string& gid, double depth) {
    CPPoint point;
    point.gid = gid;
    point.x = 10;
    point.y = 20;
    point.depth = depth;
    return point;
}

// The transform a point node places its model with: the only child of an LOD shown from
// 0 to 500 around the transform's origin; null for any other node.
osg::MatrixTransform* placedTransform(osg::Node* pointNode) {
    auto* lod = dynamic_cast<osg::LOD*>(pointNode);
    if (!lod || lod->getNumChildren() != 1 || lod->getMinRange(0) != 0.f || lod->getMaxRange(0) != 500.f)
        return nullptr;
    auto* transform = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0));
    return transform && lod->getCenter() == osg::Vec3(transform->getMatrix().getTrans()) ? transform
                                                                                         : nullptr;
}

// How far the corners of one part of a well (0 the body, 1 the lid) lie in the world from
// where they should.
double partOffBy(osg::MatrixTransform* place, unsigned part, const osg::Vec3d& min, const osg::Vec3d& max) {
    osg::BoundingBoxd world;
    const osg::BoundingBox& local =
        place->getChild(0)->asGroup()->getChild(part)->asGeode()->getBoundingBox();
    for (unsigned corner = 0; corner < 8; ++corner)
        world.expandBy(osg::Vec3d(local.corner(corner)) * place->getMatrix());
    return (world._min - min).length() + (world._max - max).length();
}

// The file of a part's texture; empty without a texture.
std::string textureFile(osg::Node* part) {
    const osg::StateSet* state = part->getStateSet();
    auto* texture =
        state
            ? dynamic_cast<const osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE))
            : nullptr;
    return !texture ? "" : texture->getImage() ? texture->getImage()->getFileName() : "(no image)";
}

template <class Category> osg::ref_ptr<DBPoint> make() {
    return new Category;
}

// A well's sizes: across x and y, and where the bottom of its body (the plate under the
// wall) and its lid lie relative to the terrain.
struct Shaft {
    double x, y, bottom, lid;
};
constexpr Shaft Round{1.0, 1.0, -2.205, 0.05}, Grate{0.5, 1.0, -1.005, 0.0}, Square{0.8, 0.8, -2.015, 0.05};

// Textures under ../model/, .jpg.
const struct WellRow {
    osg::ref_ptr<DBPoint> (*make)();
    Shaft shaft;
    const char *wall, *lid;
    bool valve;
} wellRows[] = {
    {make<DBPSJXJPoint>, Round, "wushui/snqm", "wushui/wsjc", false},
    {make<DBPSYBPoint>, Grate, "wushui/snqm", "wushui/bz", false},
    {make<DBYSYBPoint>, Grate, "wushui/snqm", "wushui/bz", false},
    {make<DBWSWBPoint>, Grate, "wushui/snqm", "wushui/bz", false},
    {make<DBWSJXJPoint>, Round, "wushui/snqm", "wushui/wsjc", false},
    {make<DBWSWSJXJPoint>, Round, "wushui/snqm", "wushui/wsjc", false},
    {make<DBYSYSJPoint>, Round, "wushui/snqm", "wushui/wsjc", false},
    {make<DBJSJXJPoint>, Round, "gongshui/1/jingbi1", "gongshui/1/jinggai1", false},
    {make<DBJSFMJPoint>, Round, "gongshui/1/jingbi1", "gongshui/1/jinggai1", true},
    {make<DBTRFMJPoint>, Round, "ranqi/jswall", "ranqi/rqfm", true},
    {make<DBRSJXJPoint>, Round, "reshui/jswall", "reshui/jsfm", false},
    {make<DBGDJXJPoint>, Round, "dianli/snqm", "dianli/dlyj", false},
    {make<DBLDJXJPoint>, Round, "ludeng/snqm", "ludeng/dlyj", false},
    {make<DBDXJXJPoint>, Round, "dianxin/snqm", "dianxin/dxyj", false},
    {make<DBDXRKPoint>, Round, "dianxin/snqm", "dianxin/dxyj", false},
    {make<DBDXSKPoint>, Square, "dianxin/snqm", "dianxin/dxfj", false},
    {make<DBDSJXJPoint>, Round, "dianshi/snqm", "dianshi/tvyj", false},
    {make<DBDSRKPoint>, Round, "dianshi/snqm", "dianshi/tvyj", false},
    {make<DBDSSKPoint>, Square, "dianshi/snqm", "dianshi/dsfj", false},
    {make<DBYDJXJPoint>, Round, "dianshi/snqm", "dianshi/tvyj", false},
    {make<DBYDRKPoint>, Round, "dianshi/snqm", "dianshi/tvyj", false},
    {make<DBYDSKPoint>, Square, "dianshi/snqm", "dianshi/dsfj", false},
    {make<DBJYJXJPoint>, Round, "junyong/snqm", "junyong/dxyj", false},
    {make<DBJYRKPoint>, Round, "junyong/snqm", "junyong/dxyj", false},
    {make<DBJYSKPoint>, Square, "junyong/snqm", "junyong/jyfj", false},
};

// Models under ../model/, .ive; wrapped or direct, as the category keeps it.
const struct EquipmentRow {
    osg::ref_ptr<DBPoint> (*make)();
    const char* model;
    bool wrapped;
} equipmentRows[] = {
    {make<DBSYFMPoint>, "gongshui/1/famen", true},
    {make<DBJSFMPoint>, "gongshui/1/famen", true},
    {make<DBJSPWFPoint>, "gongshui/1/famen", false},
    {make<DBJSSBPoint>, "gongshui/shuibiao/shuibiao", false},
    {make<DBJSXFSPoint>, "gongshui/xiaofangshuan/xiaofangshuan", false},
    {make<DBLDLDPoint>, "ludeng/ludeng", false},
    {make<DBLDSGPoint>, "ludeng/shanggan", false},
    {make<DBGDSGPoint>, "dianli/shanggan", false},
    {make<DBGDKZGPoint>, "dianli/kongzhigui", false},
    {make<DBDXSGPoint>, "dianxin/shanggan", false},
    {make<DBDXJXXPoint>, "dianxin/jiexianxiang", false},
    {make<DBDSSGPoint>, "dianshi/shanggan", false},
    {make<DBDSJXXPoint>, "dianshi/jiexianxiang", false},
    {make<DBJYSGPoint>, "junyong/shanggan", false},
    {make<DBJYJXXPoint>, "junyong/jiexianxiang", false},
    {make<DBTRTYXPoint>, "ranqi/nishuigang", false},
};

} // namespace

// A missing texture or valve leaves that part out: no texture at all rather than one
// without an image, which some drivers draw black.
TEST_F(PointLooks, EachWellCategoryHangsItsTexturedShaftAndLidFromTheTerrainWhateverTheDepth) {
    for (const WellRow& row : wellRows)
        for (bool bare : {false, true}) {
            SCOPED_TRACE(std::string(row.lid) + (bare ? " missing" : ""));
            enter(bare);
            osg::ref_ptr<DBPoint> category = row.make();
            osg::ref_ptr<osg::Node> well = category->createNode(record("W1", 3.7));
            osg::ref_ptr<osg::Node> other = category->createNode(record("W2", 1.0));
            osg::MatrixTransform* place = placedTransform(well.get());
            ASSERT_TRUE(place && placedTransform(other.get()));
            EXPECT_EQ(place->getName(), "W1");
            // One model for every well of the category.
            osg::Group* model = place->getChild(0)->asGroup();
            EXPECT_EQ(placedTransform(other.get())->getChild(0), model);
            ASSERT_EQ(model->getNumChildren(), row.valve && !bare ? 3u : 2u);
            auto jpg = [bare](const char* name) {
                return bare ? "" : "../model/" + std::string(name) + ".jpg";
            };
            EXPECT_EQ(textureFile(model->getChild(0)), jpg(row.wall));
            EXPECT_EQ(textureFile(model->getChild(1)), jpg(row.lid));

            // The lid is a slab 0.01 thick.
            const osg::Vec3d half(row.shaft.x / 2, row.shaft.y / 2, 0), slab(0, 0, 0.005);
            const osg::Vec3d bottom(10, 20, Ground + row.shaft.bottom), top(10, 20, Ground + row.shaft.lid);
            EXPECT_NEAR(partOffBy(place, 0, bottom - half, top + half), 0.0, 1e-5);
            EXPECT_NEAR(partOffBy(place, 1, top - half - slab, top + half + slab), 0.0, 1e-5);
        }
}

// Missing at first, a wrapped model is not read again and leaves an empty group for good;
// a direct one is read again at the next point, and kept. Each category reads the file
// for itself.
TEST_F(PointLooks, EachEquipmentCategoryReadsItsOwnModelFileAndStandsItAtTheBurialDepth) {
    for (const EquipmentRow& row : equipmentRows) {
        const fs::path file = fs::path(row.model).concat(".ive"), there = root() / "bare" / "model" / file;
        SCOPED_TRACE(file);
        enter(true);
        osg::ref_ptr<DBPoint> category = row.make();
        osg::ref_ptr<osg::Node> missing = category->createNode(record("E1", 0));
        ASSERT_TRUE(placedTransform(missing.get()) &&
                    placedTransform(missing.get())->getNumChildren() == (row.wrapped ? 1u : 0u));

        // Only the category's own file appears.
        fs::create_directories(there.parent_path());
        fs::create_symlink(models / file, there);
        osg::ref_ptr<osg::Node> standing = category->createNode(record("E2", 0));
        osg::ref_ptr<osg::Node> sunk = (row.wrapped ? row.make() : category)->createNode(record("E3", 1.5));
        fs::remove_all(root() / "bare" / "model");
        osg::MatrixTransform* onGround = placedTransform(standing.get());
        osg::MatrixTransform* below = placedTransform(sunk.get());
        ASSERT_TRUE(onGround && below && onGround->getNumChildren() == 1u && below->getNumChildren() == 1u);
        EXPECT_EQ(below->getName(), "E3");
        EXPECT_EQ(onGround->getMatrix().getTrans(), osg::Vec3d(10, 20, Ground));
        EXPECT_EQ(below->getMatrix().getTrans(), osg::Vec3d(10, 20, Ground - 1.5));
        // The wrapped category keeps its empty group; a new one finds the file.
        EXPECT_EQ(below->getChild(0) == onGround->getChild(0), !row.wrapped);
        EXPECT_TRUE(!row.wrapped || (onGround->getChild(0)->asGroup()->getNumChildren() == 0u &&
                                     below->getChild(0)->asGroup()->getNumChildren() == 1u));
    }
}

// Every well of a category hangs the category's one model, so switching a layer's lids or
// shafts reaches the wells drawn before the switch and those drawn after it alike.
TEST_F(PointLooks, HiddenLidsAndShaftsStayHiddenInWellsBuiltBeforeAndAfterTheSwitch) {
    osg::ref_ptr<DBPipe> layer = new DBWSPipe;
    osg::ref_ptr<DBWSJXJPoint> wells = new DBWSJXJPoint;
    layer->addPoint(wells.get());
    osg::ref_ptr<osg::Node> before = wells->createNode(record("W1", 1.0));
    layer->setLidsVisible(false);
    osg::ref_ptr<osg::Node> after = wells->createNode(record("W2", 1.0));
    osg::Group* model = wells->getChamberModel();
    for (osg::Node* node : {before.get(), after.get()})
        EXPECT_EQ(placedTransform(node)->getChild(0), model);
    EXPECT_EQ(model->getChild(1)->getNodeMask(), 0u);
    EXPECT_NE(model->getChild(0)->getNodeMask(), 0u);

    layer->setChambersVisible(false);
    layer->setLidsVisible(true);
    EXPECT_EQ(model->getChild(0)->getNodeMask(), 0u);
    EXPECT_NE(model->getChild(1)->getNodeMask(), 0u);

    // Switched before the category's first well is ever built, too.
    osg::ref_ptr<DBPSYBPoint> grates = new DBPSYBPoint;
    grates->setLidVisible(false);
    osg::ref_ptr<osg::Node> grate = grates->createNode(record("Y1", 1.0));
    EXPECT_EQ(grates->getChamberModel()->getChild(1)->getNodeMask(), 0u);
}
