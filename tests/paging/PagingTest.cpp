// The whole network paged in by the real database pager, several tiles at once.
#include "layers/DBPipe.h"
#include "layers/DBPoint.h"
#include "paging/CZEMPipeGraph.h"
#include "plugin/CXPipeLineCtrl.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"

#include "Selmor/CXViewer.h"

#include <osg/NodeVisitor>
#include <osg/Notify>
#include <osg/PagedLOD>
#include <osgDB/DatabasePager>
#include <osgDB/ReadFile>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

// Every paged node still waiting for its tile, and what the loaded tiles hold: segment
// and point nodes by their record's feature id.
class Census : public osg::NodeVisitor {
public:
    Census() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::PagedLOD& paged) override {
        if (paged.getNumChildren() == 0)
            waiting.push_back(&paged);
        traverse(paged);
    }
    void apply(osg::LOD& lod) override {
        if (auto* segment = dynamic_cast<CPPipeLine*>(lod.getUserData()))
            ++segments[segment->layerName + "/" + segment->gid];
        else if (auto* point = dynamic_cast<CPPoint*>(lod.getUserData()))
            ++points[point->gid];
        traverse(lod);
    }
    std::vector<osg::PagedLOD*> waiting;
    std::map<std::string, unsigned> segments, points;
};

} // namespace

TEST(NetworkPaging, AllDeepestTilesPageInWithEverySegmentAndPointWhereItBelongs) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    osg::setNotifyLevel(osg::FATAL); // the models are not beside this test's folder
    SampleNetwork network = SampleNetwork::generate(SampleOptions{7, 1500});
    // Seven points of every kind put on edges and corners that two or four tiles share and
    // on the graph's own outer edges (in tiles from the north-west corner): each must
    // still be built in exactly one tile.
    const double w = (network.xmax - network.xmin) / 8, h = (network.ymax - network.ymin) / 8;
    const double at[7][2] = {{3, 2.5}, {1.5, 5}, {4, 4}, {8, 6.5}, {2.5, 8}, {8, 8}, {0, 0}};
    for (SampleKindRows& kind : network.kinds)
        for (size_t i = 0; i < 7 && i < kind.points.size(); ++i)
            kind.points[i].x = network.xmin + w * at[i][0], kind.points[i].y = network.ymax - h * at[i][1];
    const std::string database = folder.filePath("network.sqlite").toStdString();
    ASSERT_EQ(samplefiles::writeSqlite(network, database), "");
    ASSERT_EQ(samplefiles::writePipeXml(network, folder.filePath("pipe.xml").toStdString(), database), "");
    ASSERT_TRUE(QDir::setCurrent(folder.path())); // the configuration is read from here
    CXViewer viewer;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    control->initialize();
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setPluginStringData("srs", network.srs);
    options->setPluginStringData("extent", std::to_string(network.xmin) + " " + std::to_string(network.ymin) +
                                               " " + std::to_string(network.xmax) + " " +
                                               std::to_string(network.ymax));
    options->setPluginStringData("baseZ", std::to_string(network.baseZ));
    osg::ref_ptr<CZEMPipeGraph> graph =
        dynamic_cast<CZEMPipeGraph*>(osgDB::readRefNodeFile("sample.pipe_zem", options.get()).get());
    ASSERT_TRUE(graph.valid());

    osg::ref_ptr<osgDB::DatabasePager> pager = new osgDB::DatabasePager;
    pager->setUpThreads(4, 1);
    osg::ref_ptr<osg::FrameStamp> stamp = new osg::FrameStamp;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    for (unsigned frame = 1; std::chrono::steady_clock::now() < deadline; ++frame) {
        stamp->setFrameNumber(frame);
        stamp->setReferenceTime(frame * 0.016);
        // As a viewer does: the frame begins, the cull asks for what it misses, the
        // frame ends, and the update merges what the pager threads have built.
        pager->signalBeginFrame(stamp.get());
        Census census;
        graph->accept(census);
        if (census.waiting.empty())
            break;
        for (osg::PagedLOD* paged : census.waiting) {
            osg::NodePath path{graph.get(), paged};
            pager->requestNodeFile(paged->getFileName(0), path, 1.0f, stamp.get(),
                                   paged->getDatabaseRequest(0), nullptr);
        }
        pager->signalEndFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pager->updateSceneGraph(*stamp);
    }
    pager->cancel();

    // Expected: a segment in every tile whose closed extent its bounding box meets, a
    // point once for each of its categories (a tee that is also a well is built twice).
    std::map<std::string, unsigned> segments, points;
    ASSERT_EQ(control->pipeLayers.size(), 15u);
    const osgEarth::GeoExtent& extent = graph->getExtent();
    for (auto& layer : control->pipeLayers) {
        for (const CPPipeLine& s : layer->segments())
            for (int tile = 0; tile < 64; ++tile) {
                double xmin = extent.xMin() + w * (tile % 8), ymax = extent.yMax() - h * (tile / 8);
                segments[s.layerName + "/" + s.gid] +=
                    !(std::min(s.startX, s.endX) > xmin + w || xmin > std::max(s.startX, s.endX) ||
                      std::min(s.startY, s.endY) > ymax || ymax - h > std::max(s.startY, s.endY));
            }
        for (auto& category : layer->getPointCategories())
            for (const CPPoint* point : category->getRecords())
                ++points[point->gid];
    }
    Census census;
    graph->accept(census);
    EXPECT_EQ(census.segments, segments);
    EXPECT_EQ(census.points, points);
    EXPECT_TRUE(points.size() > 100 && segments.size() > 1000);
}
