#include "WellSite.h"

#include "layers/DBPoint.h"

#include <osg/Geode>
#include <osg/LOD>
#include <osg/MatrixTransform>
#include <osgDB/Registry>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

osgDB::ReaderWriter::ReadResult ReadLog::readImage(const std::string& file, const osgDB::Options* options) {
    osgDB::ReaderWriter::ReadResult result = ReadFileCallback::readImage(file, options);
    note(file, result.validImage());
    return result;
}

osgDB::ReaderWriter::ReadResult ReadLog::readNode(const std::string& file, const osgDB::Options* options) {
    osgDB::ReaderWriter::ReadResult result = ReadFileCallback::readNode(file, options);
    note(file, result.validNode());
    return result;
}

void ReadLog::note(const std::string& file, bool read) {
    std::lock_guard<std::mutex> lock(mutex);
    entries.push_back({file, read});
}

void ReadLog::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    entries.clear();
}

int ReadLog::count(const std::string& suffix, bool readOnly) const {
    std::lock_guard<std::mutex> lock(mutex);
    int n = 0;
    for (const Entry& entry : entries)
        n += (entry.read || !readOnly) && entry.file.size() >= suffix.size() &&
             entry.file.compare(entry.file.size() - suffix.size(), suffix.size(), suffix) == 0;
    return n;
}

std::vector<std::string> ReadLog::failures() const {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> failed;
    for (const Entry& entry : entries)
        if (!entry.read)
            failed.push_back(entry.file);
    return failed;
}

int ReadLog::total() const {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(entries.size());
}

namespace {
std::string currentDirectory() {
    char cwd[4096];
    return getcwd(cwd, sizeof cwd) ? cwd : ".";
}

void enterFolder(const std::string& folder) {
    if (chdir(folder.c_str()) != 0)
        ADD_FAILURE() << "cannot enter " << folder;
}
} // namespace

WellSite& WellSite::instance() {
    static WellSite site;
    return site;
}

WellSite::WellSite() : original(currentDirectory()), log(new ReadLog) {
    // The database folder is the working folder now; the two layouts go inside it.
    const fs::path root = fs::current_path();
    siteBin = (root / "site" / "bin").string();
    bareBin = (root / "bare" / "bin").string();
    fs::create_directories(siteBin);
    fs::create_directories(bareBin);
    fs::create_directory_symlink(fs::path(PN_BIN_DIR) / ".." / "model", root / "site" / "model");
    fs::copy_file(root / "pipe.xml", fs::path(siteBin) / "pipe.xml");
    fs::copy_file(root / "pipe.xml", fs::path(bareBin) / "pipe.xml");

    db.begin();
    for (const char* kind : {"PS", "WS", "JS", "TR", "LD", "DX", "YD", "SY"})
        db.createKindTables(kind);
    db.addPoint("PS", "PSJ1", "PS1", 100, 200, 1.2, "检修井");
    db.addPoint("PS", "PSJ2", "PS2", 110, 200, 3.7, "直线点", "检修井");
    db.addPoint("PS", "PSY1", "PS3", 120, 200, 0.8, "雨篦");
    db.addPoint("WS", "WSJ1", "WS1", 125, 200, 1.0, "检修井");
    db.addPoint("DX", "DXS1", "DX1", 130, 200, 1.0, "手孔");
    db.addPoint("TR", "TRF1", "TR1", 140, 200, 1.5, "阀门井");
    db.addPoint("YD", "YDS1", "YD1", 150, 200, 0.9, "手孔");
    db.addPoint("JS", "JSF1", "JS1", 160, 200, 1.1, "阀门井");
    db.addPoint("JS", "JSV1", "JS2", 170, 200, 1.0, "阀门");
    db.addPoint("JS", "JSP1", "JS3", 180, 200, 1.0, "排污阀");
    db.addPoint("LD", "LDL1", "LD1", 190, 200, 0.0, "路灯");
    db.addPoint("LD", "LDL2", "LD2", 200, 200, 1.5, "路灯");
    db.addPoint("SY", "SYV1", "SY1", 210, 200, 1.0, "阀门");
    db.commit();

    osgDB::Registry::instance()->setReadFileCallback(log.get());
    enterFolder(original);
}

void WellSite::enter() {
    enterFolder(siteBin);
}

void WellSite::enterBare() {
    enterFolder(bareBin);
}

void WellSite::leave() {
    enterFolder(original);
}

CPPoint WellSite::record(DBPoint& category, const std::string& gid) {
    for (const CPPoint& point : category.getRecords())
        if (point.gid == gid)
            return point;
    ADD_FAILURE() << "no record " << gid;
    return CPPoint();
}

osg::MatrixTransform* placedTransform(osg::Node* pointNode) {
    auto* lod = dynamic_cast<osg::LOD*>(pointNode);
    if (!lod || lod->getNumChildren() != 1)
        return nullptr;
    return dynamic_cast<osg::MatrixTransform*>(lod->getChild(0));
}

osg::BoundingBoxd wellPartBox(osg::Node* wellNode, unsigned part) {
    osg::BoundingBoxd world;
    osg::MatrixTransform* transform = placedTransform(wellNode);
    if (!transform || transform->getNumChildren() != 1)
        return world;
    osg::Group* model = transform->getChild(0)->asGroup();
    if (!model || part >= model->getNumChildren() || !model->getChild(part)->asGeode())
        return world;
    const osg::BoundingBox& local = model->getChild(part)->asGeode()->getBoundingBox();
    for (unsigned corner = 0; corner < 8; ++corner)
        world.expandBy(osg::Vec3d(local.corner(corner)) * transform->getMatrix());
    return world;
}

std::vector<osg::ref_ptr<osg::Node>> buildOnThreads(const std::function<osg::Node*()>& build) {
    std::vector<std::vector<osg::ref_ptr<osg::Node>>> built(8);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (auto& nodes : built)
        threads.emplace_back([&go, &build, &nodes] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 500; ++i)
                nodes.push_back(build());
        });
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    std::vector<osg::ref_ptr<osg::Node>> all;
    for (auto& nodes : built)
        all.insert(all.end(), nodes.begin(), nodes.end());
    return all;
}
