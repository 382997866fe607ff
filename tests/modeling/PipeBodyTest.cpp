#include "tests/network/NetworkDatabase.h"

#include "layers/Kinds.h"
#include "loft/Loft.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

// One number is a round tube of that diameter; two joined by an upper-case X a box, the
// width across and the height upright; anything else, or a segment without length, no
// body. Either way the segment's node is there: named with the layer, drawn within 1000,
// the transform named with the segment, with a pooled copy of the segment.
TEST(PipeBody, EachSectionTextGivesItsBodyFromTheStartToTheEndOfTheSegmentInTheLayerColour) {
    enum Body { None, Tube, Box };
    const struct {
        const char *gid, *from, *to;
        double startDepth, endDepth;
        const char* section;
        Body body;
        double across, upright;
    } rows[] = {{"sloping", "A", "B", 1.0, 1.5, "300", Tube, 0.3, 0},
                {"lowerX", "A", "B", 1.0, 1.0, "400x300", Tube, 0.4, 0},
                {"riser", "V", "W", 1.0, 3.0, "200", Tube, 0.2, 0},
                {"onTerrain", "C", "B", 0.0, 2.0, "300", Tube, 0.3, 0},
                {"box", "A", "C", 1.0, 1.0, "400X300", Box, 0.4, 0.3},
                {"three", "A", "B", 1.0, 1.0, "400X300X200", None, 0, 0},
                {"empty", "A", "B", 1.0, 1.0, "", None, 0, 0},
                {"zero", "B", "B", 1.2, 1.2, "300", None, 0, 0}};
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(100.0));
    NetworkDatabase db;
    db.createKindTables("JS");
    std::map<std::string, osg::Vec2d> at = {
        {"A", {10, 20}}, {"B", {40, 60}}, {"C", {10, 80}}, {"V", {20, 20}}};
    at["W"] = at["V"];
    for (auto& [name, xy] : at)
        db.addPoint("JS", name, name, xy.x() += 500000, xy.y() += 3100000, 1.0, "直线点");
    for (const auto& row : rows)
        db.addLine("JS", row.gid, row.from, row.to, row.startDepth, row.endDepth, row.section);
    osg::ref_ptr<DBPipe> layer = new DBJSPipe;
    ASSERT_EQ(layer->segments().size(), std::size(rows));
    std::map<std::string, osg::ref_ptr<osgModeling::Loft>> tubes;

    for (const CPPipeLine& segment : layer->segments()) {
        const auto& row =
            *std::find_if(std::begin(rows), std::end(rows), [&](auto& r) { return segment.gid == r.gid; });
        SCOPED_TRACE(row.gid);
        osg::ref_ptr<osg::LOD> lod = dynamic_cast<osg::LOD*>(layer->createSegmentNode(segment));
        ASSERT_TRUE(lod && lod->getNumChildren() == 1u);
        auto* placed = dynamic_cast<osg::MatrixTransform*>(lod->getChild(0));
        auto* copy = dynamic_cast<CPPipeLine*>(lod->getUserData());
        ASSERT_TRUE(placed && copy && copy->gid == row.gid && copy->sceneNode == lod.get());
        EXPECT_TRUE(lod->getName() == "给水管线" && lod->getMaxRange(0) == 1000.0f);
        EXPECT_EQ(placed->getName(), row.gid);
        if (row.body == None) {
            EXPECT_EQ(placed->getNumChildren(), 0u);
            EXPECT_TRUE(row.gid != std::string("zero") || placed->getMatrix().isIdentity());
            continue;
        }
        ASSERT_EQ(placed->getNumChildren(), 1u);
        const osg::Vec3d start(at[row.from], 100 - row.startDepth), end(at[row.to], 100 - row.endDepth);
        osg::Drawable* body = placed->getChild(0)->asGeode()->getDrawable(0);
        if (row.body == Tube) {
            // 37 section points, the seam twice, at the start and at the end of the axis.
            auto* tube = dynamic_cast<osgModeling::Loft*>(body);
            ASSERT_TRUE(tube);
            tubes[row.gid] = tube;
            const auto& vertices = *static_cast<const osg::Vec3Array*>(tube->getVertexArray());
            ASSERT_EQ(vertices.size(), 2u * 37u);
            const osg::Vec3d axis = end - start;
            for (std::size_t i = 0; i < vertices.size(); ++i) {
                const osg::Vec3d relative = osg::Vec3d(vertices[i]) * placed->getMatrix() - start;
                const double along = relative * axis / axis.length2();
                EXPECT_NEAR(along, i < 37 ? 0.0 : 1.0, 1e-6);
                EXPECT_NEAR((relative - axis * along).length(), row.across / 2, 1e-4);
            }
            const auto* colours = static_cast<const osg::Vec4Array*>(tube->getColorArray());
            ASSERT_TRUE(colours && colours->size() == 1u &&
                        colours->getBinding() == osg::Array::BIND_OVERALL);
            EXPECT_EQ(colours->front(), osg::Vec4(0, 0, 1, 1));
        } else {
            auto* drawable = dynamic_cast<osg::ShapeDrawable*>(body);
            ASSERT_TRUE(drawable && dynamic_cast<const osg::Box*>(drawable->getShape()));
            EXPECT_EQ(drawable->getColor(), osg::Vec4(0, 0, 1, 1));
            osg::BoundingBoxd world;
            for (unsigned corner = 0; corner < 8; ++corner)
                world.expandBy(osg::Vec3d(drawable->getBoundingBox().corner(corner)) * placed->getMatrix());
            // The segment is level and runs north.
            const osg::Vec3d half(row.across / 2, 0, row.upright / 2);
            EXPECT_NEAR((world._min - (start - half)).length(), 0.0, 1e-5);
            EXPECT_NEAR((world._max - (end + half)).length(), 0.0, 1e-5);
        }
    }
    // Tubes of one size and layer share everything but their vertices, which are each
    // tube's own down to the buffer that takes them to the graphics card.
    const osgModeling::Loft &a = *tubes["sloping"], &b = *tubes["onTerrain"];
    EXPECT_TRUE(a.getNormalArray() == b.getNormalArray() && a.getPrimitiveSet(0) == b.getPrimitiveSet(0));
    EXPECT_NE(a.getVertexArray(), b.getVertexArray());
    EXPECT_NE(a.getVertexArray()->getBufferObject(), b.getVertexArray()->getBufferObject());
    EXPECT_NE(a.getVertexArray()->getBufferObject(), a.getNormalArray()->getBufferObject());
}
