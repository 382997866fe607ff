// A network whose database carries the extent side tables is read tile by tile, each
// tile asking only for its extent; every tile must come out as it does from whole kinds.
#include "importer/NetworkImport.h"
#include "layers/DBPipe.h"
#include "layers/DBPoint.h"
#include "layers/LayerFactories.h"
#include "network/ExtentIndex.h"
#include "network/UtilityKind.h"
#include "paging/CZEMPipeGraph.h"
#include "sample/SampleFiles.h"
#include "sample/SampleNetwork.h"
#include "tests/db/TestServer.h"

#include "Selmor/CXViewer.h"
#include "geo/GeoExtent.h"

#include <osg/Group>
#include <osg/NodeVisitor>
#include <osg/Notify>
#include <osgDB/Options>

#include <QDir>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What a tile holds: its segment and point nodes by layer and feature id, and how many
// nodes it has in all (fittings included).
struct TileContent {
    std::map<std::string, unsigned> segments, points;
    unsigned nodes = 0;
    bool operator==(const TileContent& other) const {
        return segments == other.segments && points == other.points && nodes == other.nodes;
    }
};

class Census : public osg::NodeVisitor {
public:
    Census() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Node& node) override {
        ++content.nodes;
        if (auto* segment = dynamic_cast<CPPipeLine*>(node.getUserData()))
            ++content.segments[segment->layerName + "/" + segment->gid];
        else if (auto* point = dynamic_cast<CPPoint*>(node.getUserData()))
            ++content.points[point->gid];
        traverse(node);
    }
    TileContent content;
};

// A fresh set of the fifteen layers, as the pipeline control makes them.
std::vector<osg::ref_ptr<DBPipe>> makeLayers() {
    std::vector<osg::ref_ptr<DBPipe>> layers;
    LayerFactories& factories = LayerFactories::instance();
    for (const auto& [kind, createPipe] : factories.pipeCreators) {
        osg::ref_ptr<DBPipe> layer;
        createPipe(layer);
        auto points = factories.pointCreators.equal_range(kind);
        for (auto creator = points.first; creator != points.second; ++creator) {
            osg::ref_ptr<DBPoint> category;
            creator->second(category);
            layer->addPoint(category);
        }
        layers.push_back(layer);
    }
    return layers;
}

// The 64 deepest tiles of the network's graph, built by `layers`.
std::vector<TileContent> buildTiles(const CZEMPipeGraph& graph, std::vector<osg::ref_ptr<DBPipe>>& layers,
                                    DBPipe::Reading expected) {
    std::vector<TileContent> tiles;
    for (unsigned y = 0; y < 8; ++y)
        for (unsigned x = 0; x < 8; ++x) {
            osg::ref_ptr<osg::Group> tile = new osg::Group;
            for (auto& layer : layers) {
                EXPECT_EQ(layer->reading(), expected) << layer->getLayerName();
                tile->addChild(layer->buildExtent(graph.ownedExtent(3, x, y)));
            }
            Census census;
            tile->accept(census);
            tiles.push_back(census.content);
        }
    return tiles;
}

bool addExtentIndex(const std::string& file) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("indexer"));
    database.setDatabaseName(QString::fromStdString(file));
    bool ok = database.open() && database.transaction();
    for (const UtilityKind& kind : UtilityKinds) {
        std::string error;
        ok = ok && ExtentIndex::create(database, kind.lineTable, kind.pointTable, error);
        EXPECT_EQ(error, "");
    }
    ok = ok && database.commit();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("indexer"));
    return ok;
}

} // namespace

// A generated network with points on edges and corners that tiles share and on the
// graph's outer edges, written to an SQLite file in a folder of its own, and its graph.
class ExtentReading : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        osg::setNotifyLevel(osg::FATAL); // the models are not beside this test's folder
        network = SampleNetwork::generate(SampleOptions{11, 2000});
        const double w = (network.xmax - network.xmin) / 8, h = (network.ymax - network.ymin) / 8;
        const double at[6][2] = {{3, 2.5}, {1.5, 5}, {4, 4}, {8, 6.5}, {8, 8}, {0, 0}};
        for (SampleKindRows& kind : network.kinds)
            for (size_t i = 0; i < 6 && i < kind.points.size(); ++i)
                kind.points[i].x = network.xmin + w * at[i][0],
                kind.points[i].y = network.ymax - h * at[i][1];
        file = folder.filePath("network.sqlite").toStdString();
        ASSERT_EQ(samplefiles::writeSqlite(network, file), "");
        ASSERT_TRUE(QDir::setCurrent(folder.path()));

        osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
        options->setPluginStringData("srs", network.srs);
        options->setPluginStringData("extent",
                                     std::to_string(network.xmin) + " " + std::to_string(network.ymin) + " " +
                                         std::to_string(network.xmax) + " " + std::to_string(network.ymax));
        options->setPluginStringData("baseZ", std::to_string(network.baseZ));
        std::string error;
        graph = CZEMPipeGraph::create(options.get(), error);
        ASSERT_TRUE(graph.valid()) << error;
    }
    void TearDown() override { DBPipe::allowReadingByExtent(true); }

    void pointAt(const std::string& database) {
        ASSERT_EQ(samplefiles::writePipeXml(network, folder.filePath("pipe.xml").toStdString(), database),
                  "");
    }
    // The tiles as whole kinds give them, and as tiles asking for their extent do.
    void readBothWays(std::vector<TileContent>& whole, std::vector<TileContent>& byExtent) {
        DBPipe::allowReadingByExtent(false);
        std::vector<osg::ref_ptr<DBPipe>> wholeLayers = makeLayers();
        whole = buildTiles(*graph, wholeLayers, DBPipe::Reading::Whole);
        DBPipe::allowReadingByExtent(true);
        std::vector<osg::ref_ptr<DBPipe>> extentLayers = makeLayers();
        byExtent = buildTiles(*graph, extentLayers, DBPipe::Reading::ByExtent);
    }

    QTemporaryDir folder;
    SampleNetwork network;
    std::string file;
    osg::ref_ptr<CZEMPipeGraph> graph;
    CXViewer viewer;
};

void expectSameTiles(const std::vector<TileContent>& read, const std::vector<TileContent>& expected) {
    ASSERT_EQ(read.size(), 64u);
    ASSERT_EQ(expected.size(), 64u);
    std::size_t segments = 0;
    for (std::size_t tile = 0; tile < 64; ++tile) {
        EXPECT_TRUE(read[tile] == expected[tile]) << "tile " << tile;
        segments += expected[tile].segments.size();
    }
    EXPECT_GT(segments, 2000u);
}

TEST_F(ExtentReading, EveryTileOfAnIndexedFileHoldsWhatWholeKindsGiveIt) {
    ASSERT_TRUE(addExtentIndex(file));
    pointAt(file);
    std::vector<TileContent> whole, byExtent;
    readBothWays(whole, byExtent);
    expectSameTiles(byExtent, whole);
}

TEST_F(ExtentReading, EveryTileOnAServerHoldsWhatTheFileGivesIt) {
    PN_NEED_POSTGRES();
    pointAt(file);
    DBPipe::allowReadingByExtent(false);
    std::vector<osg::ref_ptr<DBPipe>> fromFile = makeLayers();
    const std::vector<TileContent> expected = buildTiles(*graph, fromFile, DBPipe::Reading::Whole);

    ImportOptions import;
    import.source = file;
    import.target = TestServer::address().text();
    std::ostringstream out, log;
    // Twice: a second import replaces each kind's tables with the same.
    ASSERT_EQ(importNetwork(import, out, log), 0) << log.str();
    ASSERT_EQ(importNetwork(import, out, log), 0) << log.str();
    pointAt(import.target);
    std::vector<TileContent> whole, byExtent;
    readBothWays(whole, byExtent);
    expectSameTiles(whole, expected);
    expectSameTiles(byExtent, expected);
}
