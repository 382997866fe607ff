#include "tests/network/NetworkDatabase.h"

#include "loft/Loft.h"
#include "modeling/PipeSection.h"
#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/Shape>
#include <osg/ShapeDrawable>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// The water supply layer of a network written by the test, on flat terrain at 100 m:
// surveyed points, and segments between them named after their section text.
class PipeBody : public ::testing::Test {
protected:
    void SetUp() override {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(100.0));
        db.createKindTables("JS");
        db.addPoint("JS", "A", "A", 500010, 3100020, 1.0, "直线点");
        db.addPoint("JS", "B", "B", 500040, 3100060, 1.0, "直线点");
        db.addPoint("JS", "C", "C", 500010, 3100080, 0.0, "直线点");
    }

    // The node of the one segment named `gid`, from a layer loaded afresh.
    osg::ref_ptr<osg::LOD> segmentNode(const std::string& gid) {
        layer = new DBJSPipe;
        for (const CPPipeLine& segment : layer->segments())
            if (segment.gid == gid)
                return dynamic_cast<osg::LOD*>(layer->createSegmentNode(segment));
        ADD_FAILURE() << "no segment " << gid;
        return nullptr;
    }

    NetworkDatabase db;
    osg::ref_ptr<DBPipe> layer;
};

osg::MatrixTransform* placedOf(osg::LOD& lod) {
    return lod.getNumChildren() == 1 ? dynamic_cast<osg::MatrixTransform*>(lod.getChild(0)) : nullptr;
}

osg::Drawable* bodyOf(osg::LOD& lod) {
    osg::MatrixTransform* placed = placedOf(lod);
    if (!placed || placed->getNumChildren() != 1)
        return nullptr;
    osg::Geode* geode = placed->getChild(0)->asGeode();
    return geode && geode->getNumDrawables() == 1 ? geode->getDrawable(0) : nullptr;
}

// The tube's vertices in the world: their distance from the axis S-E and how far along
// it they lie.
struct TubeSpan {
    double minRadius = 1e9, maxRadius = 0, minAlong = 1e9, maxAlong = -1e9;
    std::size_t vertices = 0;
};

TubeSpan spanOf(osg::LOD& lod, const osg::Vec3d& start, const osg::Vec3d& end) {
    TubeSpan span;
    auto* tube = dynamic_cast<osgModeling::Loft*>(bodyOf(lod));
    if (!tube)
        return span;
    osg::Vec3d axis = end - start;
    double length = axis.normalize();
    const osg::Matrixd& placement = placedOf(lod)->getMatrix();
    for (const osg::Vec3& vertex : *static_cast<const osg::Vec3Array*>(tube->getVertexArray())) {
        osg::Vec3d relative = osg::Vec3d(vertex) * placement - start;
        double along = relative * axis;
        double radius = (relative - axis * along).length();
        span.minRadius = std::min(span.minRadius, radius);
        span.maxRadius = std::max(span.maxRadius, radius);
        span.minAlong = std::min(span.minAlong, along / length);
        span.maxAlong = std::max(span.maxAlong, along / length);
        ++span.vertices;
    }
    return span;
}

// A closed tube of `radius` around the axis, reaching from one end to the other.
void expectTube(osg::LOD& lod, const osg::Vec3d& start, const osg::Vec3d& end, double radius) {
    TubeSpan span = spanOf(lod, start, end);
    EXPECT_GE(span.vertices, 2u * 36u);
    EXPECT_NEAR(span.minRadius, radius, 1e-4);
    EXPECT_NEAR(span.maxRadius, radius, 1e-4);
    EXPECT_NEAR(span.minAlong, 0.0, 1e-6);
    EXPECT_NEAR(span.maxAlong, 1.0, 1e-6);
}

} // namespace

TEST_F(PipeBody, OneNumberIsARoundTubeOfHalfThatDiameterFromStartToEndInTheLayerColour) {
    db.addLine("JS", "L1", "A", "B", 1.0, 1.5, "300");
    osg::ref_ptr<osg::LOD> lod = segmentNode("L1");
    ASSERT_TRUE(lod);

    expectTube(*lod, osg::Vec3d(500010, 3100020, 99.0), osg::Vec3d(500040, 3100060, 98.5), 0.15);

    auto* tube = static_cast<osg::Geometry*>(bodyOf(*lod));
    const auto* colours = dynamic_cast<const osg::Vec4Array*>(tube->getColorArray());
    ASSERT_TRUE(colours);
    ASSERT_EQ(colours->size(), 1u);
    EXPECT_EQ(colours->front(), osg::Vec4(0, 0, 1, 1));
    EXPECT_EQ(tube->getColorArray()->getBinding(), osg::Array::BIND_OVERALL);

    // The node itself: named with the layer, drawn within 1000, the transform named with
    // the segment, and a pooled copy of the segment that points back at the node.
    EXPECT_EQ(lod->getName(), "给水管线");
    EXPECT_EQ(lod->getMinRange(0), 0.0f);
    EXPECT_EQ(lod->getMaxRange(0), 1000.0f);
    EXPECT_EQ(placedOf(*lod)->getName(), "L1");
    auto* copy = dynamic_cast<CPPipeLine*>(lod->getUserData());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->gid, "L1");
    EXPECT_EQ(copy->sceneNode, lod.get());
}

TEST_F(PipeBody, TwoNumbersJoinedByAnUpperCaseXAreABoxWidthAcrossAndHeightUpright) {
    db.addLine("JS", "L1", "A", "C", 1.0, 1.0, "400X300"); // level, running north
    osg::ref_ptr<osg::LOD> lod = segmentNode("L1");
    ASSERT_TRUE(lod);
    auto* drawable = dynamic_cast<osg::ShapeDrawable*>(bodyOf(*lod));
    ASSERT_TRUE(drawable);
    auto* box = dynamic_cast<const osg::Box*>(drawable->getShape());
    ASSERT_TRUE(box);
    EXPECT_EQ(drawable->getColor(), osg::Vec4(0, 0, 1, 1));

    // The box's corners in the world: 0.4 across east-west, 0.3 upright, centred on the
    // axis, and as long as the segment.
    osg::BoundingBox world;
    const osg::Matrixd& placement = placedOf(*lod)->getMatrix();
    osg::Vec3 half = box->getHalfLengths();
    for (int corner = 0; corner < 8; ++corner) {
        osg::Vec3 local =
            box->getCenter() + osg::Vec3(corner & 1 ? half.x() : -half.x(), corner & 2 ? half.y() : -half.y(),
                                         corner & 4 ? half.z() : -half.z());
        world.expandBy(osg::Vec3d(local) * placement - osg::Vec3d(500010, 3100020, 0));
    }
    EXPECT_NEAR(world.xMax() - world.xMin(), 0.4, 1e-5);
    EXPECT_NEAR(world.center().x(), 0.0, 1e-5);
    EXPECT_NEAR(world.yMin(), 0.0, 1e-5);
    EXPECT_NEAR(world.yMax(), 60.0, 1e-5);
    EXPECT_NEAR(world.zMax() - world.zMin(), 0.3, 1e-5);
    EXPECT_NEAR(world.center().z(), 99.0, 1e-5);
}

TEST_F(PipeBody, ALowerCaseXIsNoSeparatorSoTheSectionIsRoundWithTheLeadingNumber) {
    db.addLine("JS", "L1", "A", "B", 1.0, 1.0, "400x300");
    osg::ref_ptr<osg::LOD> lod = segmentNode("L1");
    ASSERT_TRUE(lod);
    expectTube(*lod, osg::Vec3d(500010, 3100020, 99.0), osg::Vec3d(500040, 3100060, 99.0), 0.2);
}

TEST_F(PipeBody, WithoutASectionToDrawOrWithoutLengthTheNodeAndItsTransformStayWithoutABody) {
    db.addLine("JS", "three", "A", "B", 1.0, 1.0, "400X300X200");
    db.addLine("JS", "empty", "A", "B", 1.0, 1.0, "");
    db.addLine("JS", "zero", "B", "B", 1.2, 1.2, "300");
    for (const char* gid : {"three", "empty", "zero"}) {
        osg::ref_ptr<osg::LOD> lod = segmentNode(gid);
        ASSERT_TRUE(lod) << gid;
        ASSERT_TRUE(placedOf(*lod)) << gid;
        EXPECT_EQ(placedOf(*lod)->getName(), gid);
        EXPECT_EQ(placedOf(*lod)->getNumChildren(), 0u) << gid;
        EXPECT_TRUE(lod->getUserData()) << gid;
    }
    // Without a length the placement stays as it was.
    EXPECT_TRUE(placedOf(*segmentNode("zero"))->getMatrix().isIdentity());
}

TEST_F(PipeBody, AVerticalSegmentStillGetsItsTubeAlongTheVertical) {
    db.addPoint("JS", "V1", "V1", 500020, 3100020, 1.0, "直线点");
    db.addPoint("JS", "V2", "V2", 500020, 3100020, 3.0, "直线点");
    db.addLine("JS", "riser", "V1", "V2", 1.0, 3.0, "200");
    osg::ref_ptr<osg::LOD> lod = segmentNode("riser");
    ASSERT_TRUE(lod);
    expectTube(*lod, osg::Vec3d(500020, 3100020, 99.0), osg::Vec3d(500020, 3100020, 97.0), 0.1);
    EXPECT_FALSE(placedOf(*lod)->getMatrix().isNaN());
}

TEST_F(PipeBody, ADepthOfZeroPutsThatEndOfTheAxisOnTheTerrain) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(50.0));
    db.addLine("JS", "L1", "C", "B", 0.0, 2.0, "300");
    osg::ref_ptr<osg::LOD> lod = segmentNode("L1");
    ASSERT_TRUE(lod);
    const osg::Matrixd& placement = placedOf(*lod)->getMatrix();
    osg::Vec3d start = osg::Vec3d(0, 0, 0) * placement;
    osg::Vec3d end = osg::Vec3d(0, (osg::Vec3d(30, -20, -2)).length(), 0) * placement;
    EXPECT_NEAR((start - osg::Vec3d(500010, 3100080, 50.0)).length(), 0.0, 1e-6);
    EXPECT_NEAR((end - osg::Vec3d(500040, 3100060, 48.0)).length(), 0.0, 1e-6);
}

TEST(PipeSectionText, ReadsTheLeadingDecimalNumberOfEachPartWhateverFollowsIt) {
    PipeSection round = PipeSection::parse(" 250.5mm");
    EXPECT_EQ(round.shape, PipeSection::Shape::Round);
    EXPECT_EQ(round.diameter, 250.5);
    PipeSection box = PipeSection::parse("800X600");
    EXPECT_EQ(box.shape, PipeSection::Shape::Rectangular);
    EXPECT_EQ(box.width, 800.0);
    EXPECT_EQ(box.height, 600.0);
    EXPECT_EQ(PipeSection::parse("X").shape, PipeSection::Shape::Rectangular);
    EXPECT_EQ(PipeSection::parse("").shape, PipeSection::Shape::None);
    EXPECT_EQ(PipeSection::parse("1X2X3").shape, PipeSection::Shape::None);

    // Not decimal numbers: hexadecimal, infinity, overflow, words.
    for (const char* text : {"0x300", "inf", "nan", "1e999", "DN300", "", "-", "."})
        EXPECT_EQ(leadingNumber(text), 0.0) << text;
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("+2e2X"), 200.0);
}
