#include "../network/NetworkDatabase.h"

#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr double Ground = 100.0;

// A layer of one kind over the test's database, with fitting categories added the way
// the control adds them and coloured the way the layer colours them before building.
class FittingNetwork {
public:
    FittingNetwork(DBPipe* layer_, const std::string& code_) : layer(layer_), code(code_) {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(Ground));
        db.createKindTables(code);
    }

    template <class Category> Category* add() {
        osg::ref_ptr<Category> category = new Category;
        layer->addPoint(category.get());
        osg::Vec4ub c = layer->getLayerColor();
        category->getColor() = osg::Vec4d(c.r() / 255.0, c.g() / 255.0, c.b() / 255.0, c.a() / 255.0);
        return category.get();
    }

    // A surveyed point; its record is what the category is handed when building.
    CPPoint point(const std::string& number, double x, double y, double depth, const char* nature = "三通") {
        db.addPoint(code, "G" + number, number, x, y, depth, nature);
        depths[number] = depth;
        CPPoint record;
        record.gid = "G" + number;
        record.surveyNumber = number;
        record.x = x;
        record.y = y;
        record.depth = depth;
        record.nature = nature;
        return record;
    }

    // A pipe between two points, buried at the depths of its points.
    void line(const std::string& from, const std::string& to, const std::string& section = "300") {
        db.addLine(code, from + "-" + to, from, to, depths[from], depths[to], section);
    }

    NetworkDatabase db;
    osg::ref_ptr<DBPipe> layer;

private:
    std::string code;
    std::map<std::string, double> depths;
};

// What a fitting's node holds: the named transform at the point and, per drawn arm, its
// stub and collar.
struct Fitting {
    osg::ref_ptr<osg::LOD> lod;
    osg::MatrixTransform* transform = nullptr;
    osg::Group* geometry = nullptr;

    explicit Fitting(osg::Node* node) : lod(dynamic_cast<osg::LOD*>(node)) {
        if (!lod || lod->getNumChildren() != 1)
            return;
        transform = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0));
        if (transform && transform->getNumChildren() == 1)
            geometry = transform->getChild(0)->asGroup();
    }

    unsigned arms() const { return geometry ? geometry->getNumChildren() / 2 : 0; }
    osg::MatrixTransform* stub(unsigned arm) const {
        return dynamic_cast<osg::MatrixTransform*>(geometry->getChild(2 * arm));
    }
    osg::MatrixTransform* collar(unsigned arm) const {
        return dynamic_cast<osg::MatrixTransform*>(geometry->getChild(2 * arm + 1));
    }
};

osg::ShapeDrawable* shapeOf(osg::MatrixTransform* part) {
    osg::Geode* geode = part->getChild(0)->asGeode();
    return dynamic_cast<osg::ShapeDrawable*>(geode->getDrawable(0));
}

void expectNear(const osg::Vec3d& actual, const osg::Vec3d& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.z(), expected.z(), 1e-9);
}

// The arm vector a stub and its collar were built for: the collar sits at the arm's
// end, the stub's middle halfway, and both are turned from z onto the arm.
void expectArm(const Fitting& fitting, unsigned arm, const osg::Vec3d& vector, double radius) {
    osg::Matrixd stub = fitting.stub(arm)->getMatrix(), collar = fitting.collar(arm)->getMatrix();
    expectNear(collar.getTrans(), vector);
    expectNear(stub.getTrans(), vector / 2.0);
    osg::Vec3d along = vector / vector.length();
    expectNear(osg::Matrixd::transform3x3(osg::Vec3d(0, 0, 1), stub), along);
    expectNear(osg::Matrixd::transform3x3(osg::Vec3d(0, 0, 1), collar), along);

    auto* capsule = dynamic_cast<osg::Capsule*>(shapeOf(fitting.stub(arm))->getShape());
    ASSERT_NE(capsule, nullptr);
    EXPECT_NEAR(capsule->getRadius(), radius, 1e-6);
    EXPECT_NEAR(capsule->getHeight(), vector.length(), 1e-6);
    auto* cylinder = dynamic_cast<osg::Cylinder*>(shapeOf(fitting.collar(arm))->getShape());
    ASSERT_NE(cylinder, nullptr);
    EXPECT_NEAR(cylinder->getRadius(), 1.2 * radius, 1e-6);
    EXPECT_NEAR(cylinder->getHeight(), 0.6 * radius, 1e-6);
}

bool hasTop(osg::MatrixTransform* part) {
    const osg::TessellationHints* hints = shapeOf(part)->getTessellationHints();
    return !hints || hints->getCreateTop();
}

// An elbow of the category between a pipe arriving from the east and one leaving north.
template <class Category> Fitting elbowOf(DBPipe* layer, const std::string& code) {
    FittingNetwork net(layer, code);
    CPPoint elbow = net.point("E", 0, 0, 1.0);
    net.point("A", 5, 0, 1.0);
    net.point("B", 0, 5, 1.0);
    net.line("A", "E");
    net.line("E", "B");
    return Fitting(net.add<Category>()->createNode(elbow));
}

} // namespace

TEST(Fittings, ATeeGetsAnArmAlongEachLeavingPipeAndOneBackAlongTheArrivingPipe) {
    FittingNetwork net(new DBRSPipe, "RS");
    CPPoint tee = net.point("T", 500, 300, 1.0);
    net.point("A", 510, 300, 2.0);
    net.point("B", 500, 310, 1.0);
    net.point("C", 490, 300, 1.0);
    net.line("T", "A", "300");
    net.line("C", "T", "400X200");
    net.line("T", "B", "200");
    DBRSSTPoint* tees = net.add<DBRSSTPoint>();

    Fitting fitting(tees->createNode(tee));
    ASSERT_TRUE(fitting.lod);
    EXPECT_EQ(fitting.lod->getCenter(), osg::Vec3(500, 300, 99));
    EXPECT_EQ(fitting.lod->getMinRange(0), 0.0f);
    EXPECT_EQ(fitting.lod->getMaxRange(0), 500.0f);
    ASSERT_NE(fitting.transform, nullptr);
    EXPECT_EQ(fitting.transform->getName(), "GT");
    EXPECT_EQ(fitting.transform->getMatrix().getTrans(), osg::Vec3d(500, 300, 99));
    ASSERT_EQ(fitting.arms(), 3u);

    // Leaving pipes first, in the layer's order, then the arriving one, which points back
    // towards where it comes from. The sloping pipe drops 1 m over its run: the length
    // counts the depth difference, the drop the terrain heights of the ends.
    double run = std::sqrt(10.0 * 10.0 + 1.0);
    expectArm(fitting, 0, osg::Vec3d(10, 0, -1) * (0.2 / run), 1.1 * 300 / 2000);
    expectArm(fitting, 1, osg::Vec3d(0, 0.2, 0), 1.1 * 200 / 2000);
    expectArm(fitting, 2, osg::Vec3d(-0.2, 0, 0), 1.1 * 400 / 2000);
}

TEST(Fittings, AFittingWithTheWrongNumberOfPipesIsAnEmptyNamedNode) {
    FittingNetwork net(new DBJSPipe, "JS");
    CPPoint four = net.point("F", 0, 0, 1.0);
    CPPoint three = net.point("H", 100, 0, 1.0);
    for (const char* end : {"F1", "F2", "F3", "F4"}) {
        net.point(end, (end[1] - '0') * 5.0, 7, 1.0);
        net.line("F", end);
    }
    for (const char* end : {"H1", "H2", "H3"}) {
        net.point(end, 100 + (end[1] - '0') * 5.0, 7, 1.0);
        net.line(end, "H");
    }
    DBJSSTPoint* tees = net.add<DBJSSTPoint>();
    DBJSFTPoint* crosses = net.add<DBJSFTPoint>();
    DBJSWTPoint* elbows = net.add<DBJSWTPoint>();

    for (osg::Node* node : {tees->createNode(four), crosses->createNode(three), elbows->createNode(three)}) {
        Fitting empty(node);
        ASSERT_TRUE(empty.lod);
        ASSERT_NE(empty.transform, nullptr);
        EXPECT_EQ(empty.transform->getNumChildren(), 0u);
    }
    EXPECT_EQ(Fitting(crosses->createNode(four)).transform->getName(), "GF");
    EXPECT_EQ(Fitting(crosses->createNode(four)).arms(), 4u);
    EXPECT_EQ(Fitting(tees->createNode(three)).arms(), 3u);
}

TEST(Fittings, HydrogenTeesStayWhiteAndEveryOtherFittingTakesItsLayerColour) {
    FittingNetwork net(new DBQGPipe, "QG");
    CPPoint tee = net.point("T", 0, 0, 1.0);
    CPPoint elbow = net.point("E", 50, 0, 1.0);
    for (const char* end : {"T1", "T2", "T3"}) {
        net.point(end, 0, (end[1] - '0') * 3.0, 1.0);
        net.line("T", end);
    }
    net.point("E1", 50, 5, 1.0);
    net.point("E2", 55, 0, 1.0);
    net.line("E1", "E");
    net.line("E", "E2");
    DBQGSTPoint* tees = net.add<DBQGSTPoint>();
    DBQGWTPoint* elbows = net.add<DBQGWTPoint>();

    Fitting white(tees->createNode(tee)), coloured(elbows->createNode(elbow));
    ASSERT_EQ(white.arms(), 3u);
    ASSERT_EQ(coloured.arms(), 2u);
    osg::Vec4 magenta(1.0f, 0.0f, 197 / 255.0f, 1.0f);
    for (unsigned arm = 0; arm < 3; ++arm) {
        EXPECT_EQ(shapeOf(white.stub(arm))->getColor(), osg::Vec4(1, 1, 1, 1));
        EXPECT_EQ(shapeOf(white.collar(arm))->getColor(), osg::Vec4(1, 1, 1, 1));
    }
    for (unsigned arm = 0; arm < 2; ++arm) {
        EXPECT_EQ(shapeOf(coloured.stub(arm))->getColor(), magenta);
        EXPECT_EQ(shapeOf(coloured.collar(arm))->getColor(), magenta);
    }
}

TEST(Fittings, SewageAndGasElbowsHaveRoundedStubsInOpenCollarsAndOthersOpenStubsInClosedCollars) {
    Fitting sewage = elbowOf<DBWSWTPoint>(new DBWSPipe, "WS");
    Fitting gas = elbowOf<DBTRWTPoint>(new DBTRPipe, "TR");
    Fitting oil = elbowOf<DBSYWTPoint>(new DBSYPipe, "SY");
    for (const Fitting* rounded : {&sewage, &gas}) {
        ASSERT_EQ(rounded->arms(), 2u);
        EXPECT_TRUE(hasTop(rounded->stub(0)));
        EXPECT_FALSE(hasTop(rounded->collar(0)));
    }
    ASSERT_EQ(oil.arms(), 2u);
    EXPECT_FALSE(hasTop(oil.stub(1)));
    EXPECT_TRUE(hasTop(oil.collar(1)));
    EXPECT_EQ(shapeOf(oil.collar(1))->getTessellationHints(), nullptr);
}

TEST(Fittings, OnlyPipesOfTheFittingsOwnLayerCount) {
    osg::ref_ptr<DBPipe> gas = new DBTRPipe;
    FittingNetwork net(new DBYGPipe, "YG");
    net.db.createKindTables("TR");
    CPPoint tee = net.point("T", 0, 0, 1.0);
    CPPoint elbow = net.point("E", 40, 0, 1.0);
    for (const char* end : {"T1", "T2", "T3"}) {
        net.point(end, 0, (end[1] - '0') * 3.0, 1.0);
        net.line("T", end);
    }
    net.point("E1", 45, 0, 1.0);
    net.line("E", "E1");
    // Gas pipes surveyed with the same numbers at the same places.
    net.db.addPoint("TR", "gT", "T", 0, 0, 1.0, "三通");
    net.db.addPoint("TR", "gE", "E", 40, 0, 1.0, "弯头");
    net.db.addPoint("TR", "gX", "X", 20, 20, 1.0, "直线点");
    net.db.addLine("TR", "g1", "X", "T", 1.0, 1.0, "100");
    net.db.addLine("TR", "g2", "X", "E", 1.0, 1.0, "100");
    ASSERT_EQ(gas->segments().size(), 2u);

    DBYGSTPoint* tees = net.add<DBYGSTPoint>();
    DBYGWTPoint* elbows = net.add<DBYGWTPoint>();
    EXPECT_EQ(Fitting(tees->createNode(tee)).arms(), 3u);
    EXPECT_EQ(tees->pipesEndingAt(tee).size(), 0u);
    Fitting lonely(elbows->createNode(elbow));
    ASSERT_NE(lonely.transform, nullptr);
    EXPECT_EQ(lonely.transform->getNumChildren(), 0u);
}

TEST(Fittings, AConnectedPipeOfNoLengthCountsButDrawsNoArm) {
    FittingNetwork net(new DBPSPipe, "PS");
    CPPoint tee = net.point("T", 10, 10, 1.5);
    net.point("Z", 10, 10, 1.5);
    net.point("A", 20, 10, 1.0);
    net.point("B", 10, 20, 1.0);
    net.line("T", "A");
    net.line("Z", "T");
    net.line("B", "T");
    DBPSSTPoint* tees = net.add<DBPSSTPoint>();
    DBPSFTPoint* crosses = net.add<DBPSFTPoint>();

    std::list<FittingArm> arriving = tees->endArms(tee);
    ASSERT_EQ(arriving.size(), 2u);
    EXPECT_EQ(arriving.front().direction, osg::Vec3d());

    Fitting fitting(tees->createNode(tee));
    ASSERT_NE(fitting.geometry, nullptr);
    ASSERT_EQ(fitting.arms(), 2u);
    for (unsigned arm = 0; arm < 2; ++arm)
        EXPECT_TRUE(fitting.stub(arm)->getMatrix().valid() && fitting.collar(arm)->getMatrix().valid());
    EXPECT_EQ(Fitting(crosses->createNode(tee)).transform->getNumChildren(), 0u);
}
