#include "assets/AssetCatalog.h"

#include "assets/EquipmentModels.h"
#include "assets/TexturePainter.h"

#include <osgDB/FileUtils>
#include <osgDB/Options>
#include <osgDB/WriteFile>

namespace {

using textures::LidLook;
using textures::Masonry;

Asset image(std::string path, std::function<osg::ref_ptr<osg::Image>()> make) {
    return Asset{std::move(path), std::move(make), nullptr};
}
Asset model(std::string path, std::function<osg::ref_ptr<osg::Node>()> make) {
    return Asset{std::move(path), nullptr, std::move(make)};
}

LidLook lid(const char* marking, std::uint32_t seed, bool checkered = true) {
    LidLook look;
    look.marking = marking;
    look.seed = seed;
    look.checkered = checkered;
    return look;
}
LidLook paintedLid(const char* marking, std::uint32_t seed, const osg::Vec3& accent) {
    LidLook look = lid(marking, seed, false);
    look.painted = true;
    look.accent = accent;
    return look;
}

std::vector<Asset> makeCatalog() {
    auto concrete = [](std::uint32_t seed) {
        return [seed] { return textures::wall(Masonry::Concrete, seed); };
    };
    auto round = [](const LidLook& look) { return [look] { return textures::roundLid(look); }; };
    auto square = [](const LidLook& look) { return [look] { return textures::squareLid(look); }; };
    auto riser = [](osg::Vec4 conduit, bool crossArm) {
        return [conduit, crossArm] { return models::poleRiser(conduit, crossArm); };
    };
    auto junctionBox = [](osg::Vec4 colour) {
        return [colour] { return models::cabinet({osg::Vec3(0.6f, 0.32f, 1.0f), colour, 0.15f, false}); };
    };
    const osg::Vec4 powerOrange(0.90f, 0.45f, 0.10f, 1.f), telecomBlue(0.20f, 0.42f, 0.80f, 1.f),
        tvBlack(0.15f, 0.15f, 0.16f, 1.f), militaryGreen(0.33f, 0.40f, 0.25f, 1.f),
        lightingGreen(0.2f, 0.5f, 0.3f, 1.f);

    return {
        // Drainage: cement-rendered shafts, sewer lids, street-inlet grates.
        image(u8"model/wushui/snqm.jpg", concrete(11)),
        image(u8"model/wushui/wsjc.jpg", round(lid("WS", 12))),
        image(u8"model/wushui/bz.jpg", [] { return textures::grate(13); }),
        // Water supply: brick shafts, the valve of valve wells and along the mains, meters, hydrants.
        image(u8"model/gongshui/1/jingbi1.jpg", [] { return textures::wall(Masonry::RedBrick, 21); }),
        image(u8"model/gongshui/1/jinggai1.jpg", round(lid("JS", 22, false))),
        model(u8"model/gongshui/1/famen.ive", models::gateValve),
        model(u8"model/gongshui/shuibiao/shuibiao.ive", models::waterMeter),
        model(u8"model/gongshui/xiaofangshuan/xiaofangshuan.ive", models::hydrant),
        // Gas: block-work valve chambers with yellow-ringed lids, the regulating box.
        image(u8"model/ranqi/jswall.jpg", [] { return textures::wall(Masonry::ConcreteBlock, 31); }),
        image(u8"model/ranqi/rqfm.jpg", round(paintedLid("RQ", 32, osg::Vec3(0.85f, 0.68f, 0.08f)))),
        model(u8"model/ranqi/nishuigang.ive", models::pressureRegulator),
        // Hot water: brick chambers, red-ringed lids.
        image(u8"model/reshui/jswall.jpg", [] { return textures::wall(Masonry::RedBrick, 41); }),
        image(u8"model/reshui/jsfm.jpg", round(paintedLid("RS", 42, osg::Vec3(0.65f, 0.12f, 0.08f)))),
        // Power.
        image(u8"model/dianli/snqm.jpg", concrete(51)),
        image(u8"model/dianli/dlyj.jpg", round(lid("DL", 52))),
        model(u8"model/dianli/shanggan.ive", riser(powerOrange, true)),
        model(u8"model/dianli/kongzhigui.ive",
              [] {
                  return models::cabinet(
                      {osg::Vec3(1.2f, 0.6f, 1.5f), osg::Vec4(0.55f, 0.63f, 0.58f, 1.f), 0.2f, true});
              }),
        // Street lighting.
        image(u8"model/ludeng/snqm.jpg", concrete(61)),
        image(u8"model/ludeng/dlyj.jpg", round(lid("LD", 62))),
        model(u8"model/ludeng/ludeng.ive", models::streetLamp),
        model(u8"model/ludeng/shanggan.ive", riser(lightingGreen, false)),
        // Telecom.
        image(u8"model/dianxin/snqm.jpg", concrete(71)),
        image(u8"model/dianxin/dxyj.jpg", round(lid("DX", 72))),
        image(u8"model/dianxin/dxfj.jpg", square(lid("DX", 73))),
        model(u8"model/dianxin/shanggan.ive", riser(telecomBlue, false)),
        model(u8"model/dianxin/jiexianxiang.ive", junctionBox(osg::Vec4(0.78f, 0.79f, 0.76f, 1.f))),
        // Cable television (whose textures the mobile telecom kind shares).
        image(u8"model/dianshi/snqm.jpg", concrete(81)),
        image(u8"model/dianshi/tvyj.jpg", round(lid("TV", 82))),
        image(u8"model/dianshi/dsfj.jpg", square(lid("TV", 83, false))),
        model(u8"model/dianshi/shanggan.ive", riser(tvBlack, false)),
        model(u8"model/dianshi/jiexianxiang.ive", junctionBox(osg::Vec4(0.80f, 0.74f, 0.60f, 1.f))),
        // Military lines.
        image(u8"model/junyong/snqm.jpg", concrete(91)),
        image(u8"model/junyong/dxyj.jpg", round(lid("JY", 92))),
        image(u8"model/junyong/jyfj.jpg", square(lid("JY", 93))),
        model(u8"model/junyong/shanggan.ive", riser(militaryGreen, false)),
        model(u8"model/junyong/jiexianxiang.ive", junctionBox(militaryGreen)),
        // The excavation pit and tunnel walls and floor.
        image(u8"侧面.jpg", [] { return textures::pitSide(101); }),
        image(u8"底面.jpg", [] { return textures::pitFloor(102); }),
    };
}

} // namespace

const std::vector<Asset>& assetCatalog() {
    static const std::vector<Asset> catalog = makeCatalog();
    return catalog;
}

std::vector<std::string> writeAssets(const std::string& root) {
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options("JPEG_QUALITY 92");
    std::vector<std::string> failed;
    for (const Asset& asset : assetCatalog()) {
        const std::string file = root + "/" + asset.path;
        bool ok = osgDB::makeDirectoryForFile(file);
        if (ok && asset.image) {
            osg::ref_ptr<osg::Image> picture = asset.image();
            ok = picture && osgDB::writeImageFile(*picture, file, options.get());
        } else if (ok) {
            osg::ref_ptr<osg::Node> node = asset.model();
            ok = node && osgDB::writeNodeFile(*node, file, options.get());
        }
        if (!ok)
            failed.push_back(asset.path);
    }
    return failed;
}
