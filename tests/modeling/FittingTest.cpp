#include "../network/NetworkDatabase.h"

#include "layers/Kinds.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// A fitting's node: the named transform at the point and, per drawn arm, its stub and
// its collar; or, where the pipes are not as many as the fitting has arms, a junction.
struct Fitting {
    explicit Fitting(osg::Node* node) : lod(dynamic_cast<osg::LOD*>(node)) {
        transform = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0));
        geometry = transform->getNumChildren() == 1 ? transform->getChild(0)->asGroup() : nullptr;
        junction = geometry ? geometry->asGeode() : nullptr;
    }
    unsigned arms() const { return geometry && !junction ? geometry->getNumChildren() / 2 : 0; }
    osg::MatrixTransform* part(unsigned arm, bool collar) const {
        return dynamic_cast<osg::MatrixTransform*>(geometry->getChild(2 * arm + collar));
    }
    osg::ShapeDrawable* shape(unsigned arm, bool collar) const {
        return dynamic_cast<osg::ShapeDrawable*>(part(arm, collar)->getChild(0)->asGeode()->getDrawable(0));
    }
    bool closed(unsigned arm, bool collar) const {
        const osg::TessellationHints* hints = shape(arm, collar)->getTessellationHints();
        return !hints || hints->getCreateTop();
    }

    osg::ref_ptr<osg::LOD> lod;
    osg::MatrixTransform* transform = nullptr;
    osg::Group* geometry = nullptr;
    osg::Geode* junction = nullptr;
};

// A layer of one kind with its fitting categories, over a database written by the test,
// on flat terrain at 100.
struct FittingNetwork {
    FittingNetwork(DBPipe* layer_, const std::string& code_) : layer(layer_), code(code_) {
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(100.0));
        db.createKindTables(code);
    }
    // A point 1 deep, and a pipe from one to another, 1 deep at its start.
    void point(const std::string& number, double x, double y, const char* nature = "直线点") {
        db.addPoint(code, "G" + number, number, x, y, 1.0, nature);
    }
    void line(std::string from, std::string to, const char* section = "300", double endDepth = 1.0) {
        db.addLine(code, from + "-" + to, from, to, 1.0, endDepth, section);
    }
    // The fittings of the layer's graph, by category and then as the points were surveyed.
    std::vector<Fitting> fittings() {
        std::vector<Fitting> all;
        osg::Group* plain = layer->buildAll()->getChild(1)->asGroup()->getChild(0)->asGroup();
        for (unsigned c = 0; c < plain->getNumChildren(); ++c)
            for (unsigned p = 0; p < plain->getChild(c)->asGroup()->getNumChildren(); ++p)
                all.emplace_back(plain->getChild(c)->asGroup()->getChild(p));
        return all;
    }

    NetworkDatabase db;
    osg::ref_ptr<DBPipe> layer;
    std::string code;
};

// The stub spans the arm, its middle halfway, and the collar sits at the arm's end, both
// turned from z onto the arm; the collar is a fifth wider than the stub, 0.6 of it thick.
void expectArm(const Fitting& fitting, unsigned arm, const osg::Vec3d& vector, double radius) {
    for (bool collar : {false, true}) {
        const osg::Matrixd& placed = fitting.part(arm, collar)->getMatrix();
        EXPECT_NEAR((placed.getTrans() - vector * (collar ? 1.0 : 0.5)).length(), 0.0, 1e-9);
        osg::Vec3d along = osg::Matrixd::transform3x3(osg::Vec3d(0, 0, 1), placed);
        EXPECT_NEAR((along - vector / vector.length()).length(), 0.0, 1e-9);
    }
    auto* capsule = dynamic_cast<osg::Capsule*>(fitting.shape(arm, false)->getShape());
    auto* cylinder = dynamic_cast<osg::Cylinder*>(fitting.shape(arm, true)->getShape());
    ASSERT_TRUE(capsule && cylinder);
    EXPECT_NEAR(capsule->getRadius(), radius, 1e-6);
    EXPECT_NEAR(capsule->getHeight(), vector.length(), 1e-6);
    EXPECT_NEAR(cylinder->getRadius(), 1.2 * radius, 1e-6);
    EXPECT_NEAR(cylinder->getHeight(), 0.6 * radius, 1e-6);
}

} // namespace

TEST(Fittings, ATeeGetsAnArmAlongEachLeavingPipeAndOneBackAlongTheArrivingPipe) {
    FittingNetwork net(new DBRSPipe, "RS");
    net.point("T", 500, 300, "三通");
    net.point("A", 510, 300);
    net.point("B", 500, 310);
    net.point("C", 490, 300);
    net.line("T", "A", "300", 2.0);
    net.line("C", "T", "400X200");
    net.line("T", "B", "200");
    net.layer->addPoint(new DBRSSTPoint);
    const std::vector<Fitting> fittings = net.fittings();
    ASSERT_EQ(fittings.size(), 1u);
    const Fitting& tee = fittings.front();
    EXPECT_EQ(tee.lod->getCenter(), osg::Vec3(500, 300, 99));
    EXPECT_EQ(tee.lod->getMaxRange(0), 500.0f);
    EXPECT_EQ(tee.transform->getName(), "GT");
    EXPECT_EQ(tee.transform->getMatrix().getTrans(), osg::Vec3d(500, 300, 99));
    ASSERT_EQ(tee.arms(), 3u);
    // Leaving pipes first, in the layer's order, then the arriving one, pointing back. The
    // sloping pipe drops 1 m over its run: the length counts the depth difference, the
    // drop the terrain heights of the ends. A box culvert's width is its diameter.
    expectArm(tee, 0, osg::Vec3d(10, 0, -1) * (0.2 / std::sqrt(101.0)), 1.1 * 300 / 2000);
    expectArm(tee, 1, osg::Vec3d(0, 0.2, 0), 1.1 * 200 / 2000);
    expectArm(tee, 2, osg::Vec3d(-0.2, 0, 0), 1.1 * 400 / 2000);
}

// A tee with three pipes, another with four, drawn as a junction (a ball and four
// stubs), and an elbow. The colour is the one the layer gives its categories before
// building, but hydrogen tees stay white (their junctions do not); sewage and gas elbows
// have rounded stubs in open collars, every other fitting open stubs in closed collars.
TEST(Fittings, ATeeOrElbowWithItsNumberOfPipesTakesItsLayersColourAndItsKindsCaps) {
    const struct {
        osg::ref_ptr<DBPipe> layer;
        const char* code;
        osg::ref_ptr<DBPoint> tees, elbows;
        bool whiteTees, roundedElbows;
    } rows[] = {{new DBQGPipe, "QG", new DBQGSTPoint, new DBQGWTPoint, true, false},
                {new DBWSPipe, "WS", new DBWSSTPoint, new DBWSWTPoint, false, true},
                {new DBTRPipe, "TR", new DBTRSTPoint, new DBTRWTPoint, false, true},
                {new DBSYPipe, "SY", new DBSYSTPoint, new DBSYWTPoint, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        FittingNetwork net(row.layer.get(), row.code);
        net.point("T", 0, 0, "三通");
        net.point("F", 50, 0, "三通");
        net.point("E", 100, 0, "弯头");
        for (const char* end : {"T1", "T2", "T3", "F1", "F2", "F3", "F4", "E1", "E2"}) {
            net.point(end, (end[0] == 'F') * 50 + (end[0] == 'E') * 100 + (end[1] - '0') * 3.0, 5);
            net.line(std::string(1, end[0]), end);
        }
        net.layer->addPoint(row.tees.get());
        net.layer->addPoint(row.elbows.get());
        const std::vector<Fitting> fittings = net.fittings();
        ASSERT_EQ(fittings.size(), 3u);
        const Fitting &tee = fittings[0], &four = fittings[1], &elbow = fittings[2];
        ASSERT_TRUE(tee.arms() == 3u && elbow.arms() == 2u);
        // Parts of one size, look and colour are one tessellation, in every fitting.
        EXPECT_EQ(tee.shape(0, false), tee.shape(2, false));
        EXPECT_EQ(elbow.shape(0, true), elbow.shape(1, true));
        const osg::Vec4ub c = net.layer->getLayerColor();
        const osg::Vec4 layerColour = osg::Vec4(c.r(), c.g(), c.b(), c.a()) / 255.0f;
        ASSERT_TRUE(four.junction && four.junction->getNumDrawables() == 5u);
        EXPECT_EQ(static_cast<osg::ShapeDrawable*>(four.junction->getDrawable(4))->getColor(), layerColour);
        const osg::Vec4 teeColour = row.whiteTees ? osg::Vec4(1, 1, 1, 1) : layerColour;
        for (const auto& [fitting, colour, rounded] :
             {std::tuple{&tee, teeColour, false}, std::tuple{&elbow, layerColour, row.roundedElbows}})
            for (unsigned part = 0; part < 2 * fitting->arms(); ++part) {
                const bool collar = part % 2;
                EXPECT_EQ(fitting->shape(part / 2, collar)->getColor(), colour);
                EXPECT_EQ(fitting->closed(part / 2, collar), rounded != collar);
            }
    }
}

// Seven pipes at a point surveyed as a tee: two side by side, one of no length, one whose
// size is no decimal number. The junction is a ball as thick as the thickest stub and a
// capsule 0.2 m along each of the five others, as thick as its pipe's stub (the size read
// as the pipe body reads it), in the fitting's place. A tee of three pipes, one of no
// length, keeps its shape: the pipe counts, but draws no arm.
TEST(Fittings, APointWhereMorePipesMeetThanItsFittingHasArmsJoinsThemAllWithAJunction) {
    FittingNetwork net(new DBYGPipe, "YG");
    net.point("T", 500, 300, "三通");
    net.point("U", 600, 300, "三通");
    const struct {
        const char* number;
        double x, y;
        const char* section;
    } ends[] = {{"A", 510, 300, "300.5"}, {"P", 520, 300, "200"},  {"B", 500, 310, "300"},
                {"D", 490, 290, "500"},   {"E", 500, 290, "300"},  {"Z", 500, 300, "300"},
                {"H", 490, 300, "0x12C"}, {"U1", 610, 300, "300"}, {"U2", 600, 300, "300"},
                {"U3", 590, 300, "300"}};
    for (const auto& end : ends) {
        net.point(end.number, end.x, end.y);
        net.line(end.number[0] == 'U' ? "U" : "T", end.number, end.section);
    }
    net.layer->addPoint(new DBYGSTPoint);
    const std::vector<Fitting> fittings = net.fittings();
    ASSERT_EQ(fittings.size(), 2u);
    const Fitting& node = fittings.front();
    EXPECT_EQ(fittings[1].arms(), 2u);
    EXPECT_TRUE(node.transform->getName() == "GT" && dynamic_cast<CPPoint*>(node.lod->getUserData()));
    ASSERT_TRUE(node.junction && node.junction->getNumDrawables() == 6u);
    for (unsigned i = 0; i < 6; ++i) {
        const osg::Drawable* part = node.junction->getDrawable(i);
        for (const osg::Vec3& v : *dynamic_cast<const osg::Vec3Array*>(part->asGeometry()->getVertexArray()))
            ASSERT_TRUE(v.valid()) << i;
        const osg::Shape& shape = *part->getShape();
        EXPECT_NEAR(i ? dynamic_cast<const osg::Capsule&>(shape).getRadius()
                      : dynamic_cast<const osg::Sphere&>(shape).getRadius(),
                    1.1 * std::atof(ends[i ? i - 1 : 3].section) / 2000, 1e-6);
        if (i == 0)
            continue;
        const osg::Vec3d along = osg::Vec3d(ends[i - 1].x - 500, ends[i - 1].y - 300, 0);
        const osg::BoundingBox box = part->getBoundingBox();
        EXPECT_NEAR((osg::Vec3d(box.center()) - along * (0.1 / along.length())).length(), 0.0, 1e-5) << i;
        EXPECT_TRUE(box.contains(osg::Vec3(along * (0.2 / along.length())))) << i;
    }
}
