// Objects that tiles share, as the database pager's threads meet them: before a loaded tile is
// compiled, each pager thread runs osgUtil's compile-set visitor over it, which sets its marker
// as the user data of every drawable, state set, program and texture that has none. Two threads
// doing that to one shared object at once each make it a user-data container, and one frees the
// other's: a corrupted heap, seen as a crash in a later traversal.
#include "tests/network/NetworkDatabase.h"

#include "geo/GeoExtent.h"
#include "layers/Kinds.h"
#include "modeling/CXColorVisitor.h"
#include "modeling/OverviewDrawing.h"

#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <osg/Drawable>
#include <osg/NodeVisitor>
#include <osgDB/DatabasePager>
#include <osgUtil/IncrementalCompileOperation>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

// What the compile-set visitor may mark in a scene.
class Markable : public osg::NodeVisitor {
public:
    Markable() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
    void apply(osg::Node& node) override {
        state(node.getStateSet());
        traverse(node);
    }
    void apply(osg::Drawable& drawable) override {
        objects.insert(&drawable);
        state(drawable.getStateSet());
    }
    std::set<osg::Object*> objects;

private:
    void state(osg::StateSet* set) {
        if (!set)
            return;
        objects.insert(set);
        for (auto& attribute : set->getAttributeList())
            objects.insert(attribute.second.first.get());
        for (auto& unit : set->getTextureAttributeList())
            for (auto& attribute : unit)
                objects.insert(attribute.second.first.get());
    }
};

} // namespace

// A water network of four blocks, each with a well, a hydrant, a meter and a tee joining them:
// its four tiles, and their overview drawings, built as the pager's threads build them.
TEST(SharedObjects, TilesHandOutSharedObjectsMarkedAlreadySoThePagersThreadsNeverWriteThem) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(10.0));
    NetworkDatabase db;
    // The host's layout: the models beside the working folder.
    const fs::path folder = fs::current_path();
    fs::create_directory(folder / "bin");
    fs::copy_file(folder / "pipe.xml", folder / "bin" / "pipe.xml");
    fs::create_directory_symlink(fs::path(PN_BIN_DIR) / ".." / "model", folder / "model");
    fs::current_path(folder / "bin");
    db.createKindTables("JS");
    for (int block = 0; block < 4; ++block) {
        const double x = 50 + 100 * (block % 2), y = 50 + 100 * (block / 2);
        const std::string b = std::to_string(block);
        db.addPoint("JS", "T" + b, "T" + b, x, y, 1.0, "三通");
        db.addPoint("JS", "W" + b, "W" + b, x - 20, y, 1.0, "检修井");
        db.addPoint("JS", "H" + b, "H" + b, x + 20, y, 1.0, "消防栓");
        db.addPoint("JS", "M" + b, "M" + b, x, y + 20, 1.0, "水表");
        for (const char* end : {"W", "H", "M"})
            db.addLine("JS", "L" + b + end, "T" + b, end + b, 1.0, 1.0);
    }
    osg::ref_ptr<DBPipe> layer = new DBJSPipe;
    for (osg::ref_ptr<DBPoint> category : std::initializer_list<osg::ref_ptr<DBPoint>>{
             new DBJSSTPoint, new DBJSJXJPoint, new DBJSXFSPoint, new DBJSSBPoint})
        layer->addPoint(category);
    std::vector<osg::ref_ptr<osg::Group>> tiles;
    for (int block = 0; block < 4; ++block) {
        const double x = 100 * (block % 2), y = 100 * (block / 2);
        osgEarth::GeoExtent extent(nullptr, x, y, x + 100, y + 100);
        osg::ref_ptr<osg::Group> tile = layer->buildExtent(extent);
        ASSERT_TRUE(tile);
        OverviewDrawing drawing(osg::Vec3d(x + 50, y + 50, 0));
        layer->addOverview(extent, drawing);
        tile->addChild(drawing.build("overview").get());
        tiles.push_back(tile);
    }

    // What more than one tile holds.
    std::map<osg::Object*, int> holders;
    for (auto& tile : tiles) {
        Markable markable;
        tile->accept(markable);
        for (osg::Object* object : markable.objects)
            ++holders[object];
    }
    std::set<osg::Object*> shared;
    std::set<std::string> kinds;
    for (const auto& [object, count] : holders)
        if (count > 1) {
            shared.insert(object);
            kinds.insert(object->className());
        }
    EXPECT_TRUE(shared.count(CXColorVisitor::sharedStateSet()) &&
                shared.count(OverviewDrawing::sharedStateSet()));
    EXPECT_TRUE(kinds.count("Program") && kinds.count("Texture2D") && kinds.count("ShapeDrawable") &&
                kinds.count("Loft"))
        << "the shaders, the wells' textures and tessellations, the fittings' parts";
    for (osg::Object* object : shared)
        EXPECT_NE(object->getUserData(), nullptr)
            << object->className() << " \"" << object->getName() << "\"";

    // Four pager threads at once over the four tiles, again and again, each round on tiles
    // as they were built: the marks of the round before are taken off.
    // The marker is the compile operation's, which a viewer hands its pager when realised.
    osg::ref_ptr<osgDB::DatabasePager> pager = new osgDB::DatabasePager;
    pager->setIncrementalCompileOperation(new osgUtil::IncrementalCompileOperation);
    osg::Object* marker = pager->getMarkerObject();
    ASSERT_TRUE(marker);
    std::mutex mutex;
    std::condition_variable start;
    for (int round = 0, go = 0; round < 200; ++round) {
        for (const auto& entry : holders)
            if (entry.first->getUserData() == marker)
                entry.first->setUserDataContainer(nullptr);
        std::vector<std::thread> threads;
        for (auto& tile : tiles)
            threads.emplace_back([&, tile = tile.get(), round] {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    start.wait(lock, [&] { return go > round; });
                }
                osgUtil::StateToCompile visitor(osgUtil::GLObjectsVisitor::COMPILE_DISPLAY_LISTS |
                                                    osgUtil::GLObjectsVisitor::COMPILE_STATE_ATTRIBUTES,
                                                marker);
                tile->accept(visitor);
            });
        {
            std::lock_guard<std::mutex> lock(mutex);
            go = round + 1;
        }
        start.notify_all();
        for (std::thread& thread : threads)
            thread.join();
    }
    for (osg::Object* object : shared)
        EXPECT_NE(object->getUserData(), marker) << object->className();
}
