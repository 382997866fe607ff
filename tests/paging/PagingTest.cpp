// The whole network paged in by the real database pager, several tiles at once.
#include "network/CPPipeLine.h"
#include "network/CPPoint.h"
#include "layers/DBPipe.h"
#include "layers/DBPoint.h"
#include "paging/CZEMPipeGraph.h"
#include "plugin/CXPipeLineCtrl.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/FrameStamp>
#include <osg/LOD>
#include <osg/NodeVisitor>
#include <osg/Notify>
#include <osg/PagedLOD>
#include <osgDB/DatabasePager>
#include <osgDB/ReadFile>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

// Every paged node of the graph, whatever its level.
class PagedCollector : public osg::NodeVisitor {
public:
    PagedCollector() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::PagedLOD& paged) override {
        nodes.push_back(&paged);
        traverse(paged);
    }
    std::vector<osg::PagedLOD*> nodes;
};

// What the loaded tiles hold: segment and point nodes by their record's feature id.
class ContentCounter : public osg::NodeVisitor {
public:
    ContentCounter() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::LOD& lod) override {
        if (auto* segment = dynamic_cast<CPPipeLine*>(lod.getUserData()))
            ++segments[segment->layerName + "/" + segment->gid];
        else if (auto* point = dynamic_cast<CPPoint*>(lod.getUserData()))
            ++points[point->gid];
        traverse(lod);
    }
    std::map<std::string, unsigned> segments;
    std::map<std::string, unsigned> points;
};

class NetworkPaging : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        osg::setNotifyLevel(osg::FATAL); // the models are not beside this test's folder
        SampleOptions options;
        options.segments = 1500;
        options.seed = 7;
        network = SampleNetwork::generate(options);
        std::string database = folder.filePath("network.sqlite").toStdString();
        ASSERT_EQ(samplefiles::writeSqlite(network, database), "");
        ASSERT_EQ(samplefiles::writePipeXml(network, folder.filePath("pipe.xml").toStdString(), database), "");
        char* here = get_current_dir_name();
        previous = here;
        free(here);
        ASSERT_EQ(chdir(folder.path().toLocal8Bit().constData()), 0);
        g_playerManager->setTerrain(std::make_shared<FlatTerrain>(network.baseZ));
        viewer.reset(new CXViewer);
        CXPipeLineCtrl::getInstance()->initialize();
    }
    void TearDown() override {
        viewer.reset();
        if (chdir(previous.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << previous;
    }

    osg::ref_ptr<CZEMPipeGraph> readGraph() {
        osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
        options->setPluginStringData("srs", network.srs);
        options->setPluginStringData(
            "extent", std::to_string(network.xmin) + " " + std::to_string(network.ymin) + " " +
                          std::to_string(network.xmax) + " " + std::to_string(network.ymax));
        options->setPluginStringData("baseZ", std::to_string(network.baseZ));
        return dynamic_cast<CZEMPipeGraph*>(osgDB::readRefNodeFile("sample.pipe_zem", options.get()).get());
    }

    QTemporaryDir folder;
    SampleNetwork network;
    std::string previous;
    std::unique_ptr<CXViewer> viewer;
};

} // namespace

TEST_F(NetworkPaging, AllDeepestTilesPageInWithEverySegmentAndPointWhereItBelongs) {
    osg::ref_ptr<CZEMPipeGraph> graph = readGraph();
    ASSERT_TRUE(graph.valid());

    osg::ref_ptr<osgDB::DatabasePager> pager = new osgDB::DatabasePager;
    pager->setUpThreads(4, 1);
    pager->setTargetMaximumNumberOfPageLOD(1000); // keep every tile: none expires here
    osg::ref_ptr<osg::FrameStamp> stamp = new osg::FrameStamp;
    std::set<osg::PagedLOD*> requested;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(240);
    for (unsigned frame = 1; std::chrono::steady_clock::now() < deadline; ++frame) {
        stamp->setFrameNumber(frame);
        stamp->setReferenceTime(frame * 0.016);
        // As a viewer does: the frame begins, the cull asks for what it misses, the
        // frame ends, and the update merges what the pager threads have built.
        pager->signalBeginFrame(stamp.get());
        PagedCollector collector;
        graph->accept(collector);
        unsigned waiting = 0;
        for (osg::PagedLOD* paged : collector.nodes) {
            if (paged->getNumChildren() > 0)
                continue;
            ++waiting;
            osg::ref_ptr<osg::Referenced>& request = paged->getDatabaseRequest(0);
            osg::NodePath path{graph.get(), paged};
            pager->requestNodeFile(paged->getFileName(0), path, 1.0f, stamp.get(), request, nullptr);
            requested.insert(paged);
        }
        if (waiting == 0)
            break;

        pager->signalEndFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pager->updateSceneGraph(*stamp);
    }
    pager->cancel();
    EXPECT_EQ(requested.size(), 1u + 4u + 16u + 64u);

    // Expected: a segment in every tile whose extent its bounding box meets, a point in
    // exactly one tile.
    std::map<std::string, unsigned> expectedSegments;
    std::map<std::string, unsigned> expectedPoints;
    CXPipeLineCtrl* control = CXPipeLineCtrl::getInstance();
    ASSERT_EQ(control->pipeLayers.size(), 15u);
    double w = (graph->getExtent().xMax() - graph->getExtent().xMin()) / 8;
    double h = (graph->getExtent().yMax() - graph->getExtent().yMin()) / 8;
    for (auto& layer : control->pipeLayers) {
        for (const CPPipeLine& s : layer->segments()) {
            unsigned tiles = 0;
            for (int x = 0; x < 8; ++x)
                for (int y = 0; y < 8; ++y) {
                    double xmin = graph->getExtent().xMin() + w * x, xmax = xmin + w;
                    double ymax = graph->getExtent().yMax() - h * y, ymin = ymax - h;
                    if (!(std::min(s.startX, s.endX) > xmax || xmin > std::max(s.startX, s.endX) ||
                          std::min(s.startY, s.endY) > ymax || ymin > std::max(s.startY, s.endY)))
                        ++tiles;
                }
            expectedSegments[s.layerName + "/" + s.gid] += tiles;
        }
        // A point of two categories (a tee that is also a well) is built once for each.
        for (auto& category : layer->getPointCategories())
            for (const CPPoint& point : category->getRecords())
                ++expectedPoints[point.gid];
    }
    ContentCounter counter;
    graph->accept(counter);
    EXPECT_EQ(counter.segments, expectedSegments);
    EXPECT_EQ(counter.points, expectedPoints);
    EXPECT_GT(expectedPoints.size(), 100u);
    EXPECT_GT(expectedSegments.size(), 1000u);
}
