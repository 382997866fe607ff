// Renders every generated asset into two contact sheets (PREFIX-models.png and
// PREFIX-textures.png) so that a person can check they read as what they are. The models
// are read back from ROOT as the network reads them; the round, square and grate lids are
// also shown on the shapes they are drawn on in a well, to check how they map.

#include "assets/AssetCatalog.h"

#include <osg/ComputeBoundsVisitor>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/ShapeDrawable>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>
#include <osgText/Text>
#include <osgViewer/Viewer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace {

const int kCell = 300;

struct Item {
    std::string label;
    osg::ref_ptr<osg::Node> node;
    bool flat = false; // a texture on a quad, seen from straight above
    float below = 0.f; // when set, only the part of the model below this height is framed
};

osg::ref_ptr<osg::Node> texturedQuad(osg::Image* image) {
    const float aspect = static_cast<float>(image->s()) / image->t();
    osg::ref_ptr<osg::Geometry> quad = osg::createTexturedQuadGeometry(
        osg::Vec3(-aspect / 2, -0.5f, 0), osg::Vec3(aspect, 0, 0), osg::Vec3(0, 1, 0));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(quad);
    geode->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
    geode->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    return geode;
}

osg::ref_ptr<osg::Geode> texturedShape(osg::Shape* shape, osg::Image* image) {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(new osg::ShapeDrawable(shape));
    if (image)
        geode->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
    return geode;
}

// A chamber as the network draws one: wall shaft and lid, lengths as the wells use them.
osg::ref_ptr<osg::Node> well(const std::string& root, const std::string& wall, const std::string& lid,
                             int shape) {
    osg::ref_ptr<osg::Image> wallImage = osgDB::readImageFile(root + "/" + wall);
    osg::ref_ptr<osg::Image> lidImage = osgDB::readImageFile(root + "/" + lid);
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (shape == 0) {
        group->addChild(texturedShape(new osg::Cylinder(osg::Vec3(0, 0, 0.925f), 0.5f, 2.25f), wallImage));
        group->addChild(texturedShape(new osg::Cylinder(osg::Vec3(0, 0, 2.05f), 0.5f, 0.01f), lidImage));
    } else if (shape == 1) {
        group->addChild(texturedShape(new osg::Box(osg::Vec3(0, 0, 0.5f), 0.5f, 1.0f, 1.0f), wallImage));
        group->addChild(texturedShape(new osg::Box(osg::Vec3(0, 0, 1.0f), 0.5f, 1.0f, 0.01f), lidImage));
    } else {
        group->addChild(texturedShape(new osg::Box(osg::Vec3(0, 0, 1.02f), 0.8f, 0.8f, 2.06f), wallImage));
        group->addChild(texturedShape(new osg::Box(osg::Vec3(0, 0, 2.05f), 0.8f, 0.8f, 0.01f), lidImage));
    }
    return group;
}

osg::ref_ptr<osg::Node> label(const std::string& text) {
    osg::ref_ptr<osgText::Text> t = new osgText::Text;
    t->setText(text);
    t->setCharacterSize(11.f);
    t->setPosition(osg::Vec3(4.f, 4.f, 0.f));
    t->setColor(osg::Vec4(0, 0, 0, 1));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(t);
    osg::ref_ptr<osg::Camera> hud = new osg::Camera;
    hud->setReferenceFrame(osg::Transform::ABSOLUTE_RF);
    hud->setProjectionMatrixAsOrtho2D(0, kCell, 0, kCell);
    hud->setViewMatrix(osg::Matrix::identity());
    hud->setClearMask(GL_DEPTH_BUFFER_BIT);
    hud->setRenderOrder(osg::Camera::POST_RENDER);
    hud->addChild(geode);
    hud->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    return hud;
}

bool renderSheet(const std::vector<Item>& items, const std::string& file) {
    const int cols = 5, rows = static_cast<int>((items.size() + cols - 1) / cols);
    osgViewer::Viewer viewer;
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    viewer.setUpViewInWindow(0, 0, kCell, kCell);
    viewer.realize();
    osg::Camera* camera = viewer.getCamera();
    camera->setClearColor(osg::Vec4(0.86f, 0.88f, 0.90f, 1.f));
    osgViewer::Viewer::Windows windows;
    viewer.getWindows(windows);
    if (windows.empty())
        return false;

    osg::ref_ptr<osg::Image> sheet = new osg::Image;
    sheet->allocateImage(cols * kCell, rows * kCell, 1, GL_RGB, GL_UNSIGNED_BYTE);
    std::fill(sheet->data(), sheet->data() + sheet->getTotalSizeInBytes(), 255);
    for (size_t i = 0; i < items.size(); ++i) {
        osg::ref_ptr<osg::Group> scene = new osg::Group;
        if (items[i].node)
            scene->addChild(items[i].node);
        scene->addChild(label(items[i].label));
        viewer.setSceneData(scene);

        osg::ComputeBoundsVisitor bounds;
        if (items[i].node)
            items[i].node->accept(bounds);
        osg::BoundingBox box = bounds.getBoundingBox();
        if (items[i].below > 0.f)
            box.zMax() = std::min(box.zMax(), items[i].below);
        const osg::Vec3 centre = box.valid() ? box.center() : osg::Vec3();
        const float radius = box.valid() ? box.radius() * 1.05f : 1.f;
        const osg::Vec3 look = items[i].flat ? osg::Vec3(0, 0, 1) : osg::Vec3(0.75f, -1.6f, 0.9f) / 1.98f;
        const osg::Vec3 up = items[i].flat ? osg::Vec3(0, 1, 0) : osg::Vec3(0, 0, 1);
        camera->setViewMatrixAsLookAt(centre + look * radius * 4.f, centre, up);
        camera->setProjectionMatrixAsOrtho(-radius, radius, -radius * 1.08f, radius * 0.92f, 0.1f,
                                           radius * 10.f);
        viewer.frame();
        viewer.frame();

        osg::ref_ptr<osg::Image> shot = new osg::Image;
        windows.front()->makeCurrent();
        shot->readPixels(0, 0, kCell, kCell, GL_RGB, GL_UNSIGNED_BYTE);
        windows.front()->releaseContext();
        const int col = static_cast<int>(i) % cols, row = rows - 1 - static_cast<int>(i) / cols;
        for (int y = 0; y < kCell; ++y)
            std::copy(shot->data(0, y), shot->data(0, y) + static_cast<std::ptrdiff_t>(kCell) * 3,
                      sheet->data(col * kCell, row * kCell + y));
    }
    return osgDB::writeImageFile(*sheet, file);
}

std::string heightLabel(const std::string& path, osg::Node* node) {
    osg::ComputeBoundsVisitor bounds;
    node->accept(bounds);
    const osg::BoundingBox& b = bounds.getBoundingBox();
    std::ostringstream s;
    s.precision(2);
    s << std::fixed << path.substr(path.find_last_of('/') + 1) << "  " << (b.xMax() - b.xMin()) << " x "
      << (b.yMax() - b.yMin()) << " x " << (b.zMax() - b.zMin()) << " m";
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    const bool help = argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"));
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        std::fprintf(help ? stdout : stderr, "usage: %s ROOT PREFIX\n", argv[0]);
        return help ? 0 : 2;
    }
    const std::string root = argv[1], prefix = argv[2];
    std::vector<Item> models, pictures;
    for (const Asset& asset : assetCatalog()) {
        const std::string file = root + "/" + asset.path;
        if (asset.model) {
            osg::ref_ptr<osg::Node> node = osgDB::readNodeFile(file);
            models.push_back({node ? heightLabel(asset.path, node) : asset.path + " MISSING", node});
            // Tall equipment is recognised by what stands at its foot.
            if (node && node->getBound().radius() > 3.f)
                models.push_back({asset.path.substr(6) + ", lower 4 m", node, false, 4.f});
        } else {
            osg::ref_ptr<osg::Image> image = osgDB::readImageFile(file);
            std::ostringstream s;
            s << (asset.path.rfind("model/", 0) == 0 ? asset.path.substr(6) : asset.path);
            if (image)
                s << "  " << image->s() << "x" << image->t();
            pictures.push_back({s.str(), image ? texturedQuad(image) : nullptr, true});
        }
    }
    models.push_back({"circular well", well(root, u8"model/wushui/snqm.jpg", u8"model/wushui/wsjc.jpg", 0)});
    models.push_back({"grate", well(root, u8"model/wushui/snqm.jpg", u8"model/wushui/bz.jpg", 1)});
    models.push_back({"hand hole", well(root, u8"model/dianxin/snqm.jpg", u8"model/dianxin/dxfj.jpg", 2)});
    models.push_back(
        {"round lid from above", well(root, u8"model/wushui/snqm.jpg", u8"model/wushui/wsjc.jpg", 0), true});
    models.push_back(
        {"grate from above", well(root, u8"model/wushui/snqm.jpg", u8"model/wushui/bz.jpg", 1), true});
    models.push_back({"valve-well brick",
                      well(root, u8"model/gongshui/1/jingbi1.jpg", u8"model/gongshui/1/jinggai1.jpg", 0)});

    const bool ok =
        renderSheet(models, prefix + "-models.png") && renderSheet(pictures, prefix + "-textures.png");
    return ok ? 0 : 1;
}
