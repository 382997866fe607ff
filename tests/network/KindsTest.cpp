#include "NetworkDatabase.h"

#include "layers/Kinds.h"
#include "plugin/CXPipeLineCtrl.h"

#include "Selmor/CXViewer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Registration word, code, layer name and colour of each kind, then its categories in the
// order its layer receives them; "*" marks a fitting, drawn from the pipes meeting there
// instead of having a look of its own. In the order of the words, as the control keeps them.
const char* const expectedKinds[] = {
    "dianshi DS 有线电视管线 0,255,0,255 检修井 接线箱 人孔 上杆 手孔",
    "dianxin DX 电信管线 0,255,0,255 检修井 接线箱 人孔 上杆 手孔",
    "gongyeqing QG 工业氢气管线 255,0,197,255 三通* 弯头*",
    "gongyeyang YG 工业氧气管线 255,0,197,255 三通* 弯头*",
    "junyong JY 军用管线 0,255,0,255 检修井 接线箱 人孔 上杆 手孔",
    "ludeng LD 路灯管线 255,0,0,255 路灯 检修井 上杆",
    "power GD 供电管线 255,0,0,255 检修井 控制柜 上杆",
    "reshui RS 热水管线 255,170,0,255 检修井 三通* 弯头*",
    "shiyou SY 石油管线 0,38,115,255 阀门 三通* 弯头*",
    "tianranqi TR 天然气管线 205,0,197,255 阀门井 三通* 调压箱 弯头*",
    "water JS 给水管线 0,0,255,255 阀门井 阀门 检修井 排污阀 水表 消防栓 四通* 三通* 弯头*",
    "wushui WS 排水管线 115,76,0,255 污水检修井 污篦 检修井 三通* 弯头*",
    "yidong YD 移动管线 0,255,0,255 检修井 人孔 手孔",
    "yushui YS 雨水管线 115,76,0,255 三通* 弯头* 雨篦 雨水井",
    "yuwu PS 雨污合流管线 115,76,0,255 四通* 检修井 三通* 雨篦",
};

std::string describe(const std::string& word, DBPipe& layer) {
    const osg::Vec4ub c = layer.getLayerColor();
    std::ostringstream out;
    out << word << " " << layer.getKindCode() << " " << layer.getLayerName() << " " << int(c.r()) << ","
        << int(c.g()) << "," << int(c.b()) << "," << int(c.a());
    for (const osg::ref_ptr<DBPoint>& category : layer.getPointCategories())
        out << " " << category->getName() << (category->hasOwnLook() ? "" : "*");
    return out.str();
}

} // namespace

// Each kind's tables hold the same number of points for every category, their nature the
// category's name, chained by segments. Pager threads building their first tiles ask for
// all of them at once: each kind must be read once and no thread may go on with a partly
// filled or empty list; then each category holds exactly its own points.
TEST(UtilityKinds, EveryKindHasItsLayerCategoriesAndTablesAndLoadsOnceWhenManyThreadsAskAtOnce) {
    const std::size_t perCategory = 40;
    NetworkDatabase db;
    db.begin();
    for (const char* expected : expectedKinds) {
        std::istringstream in(expected);
        std::string code, name;
        std::vector<std::string> natures;
        in >> name >> code >> name >> name;
        while (in >> name)
            natures.push_back(name.substr(0, name.find('*')));
        db.createKindTables(code);
        for (std::size_t j = 0; j < perCategory * natures.size(); ++j) {
            const std::string number = code + std::to_string(j);
            db.addPoint(code, number, number, j, j, 1, natures[j % natures.size()]);
            if (j > 0)
                db.addLine(code, "L" + number, code + std::to_string(j - 1), number, 1, 1);
        }
    }
    db.commit();

    CXViewer viewer;
    CXPipeLineCtrl& ctrl = *CXPipeLineCtrl::getInstance();
    ctrl.initialize();
    const std::vector<osg::ref_ptr<DBPipe>> layers = ctrl.pipeLayers;
    ctrl.initialize(); // a second initialisation keeps the layers the tiles already use
    EXPECT_EQ(ctrl.pipeLayers, layers);
    EXPECT_EQ(ctrl.getNetworkRoot().get(), viewer.getPipeGroup());
    ASSERT_EQ(layers.size(), std::size(expectedKinds));

    // Half the threads go through the kinds forwards, half backwards, each starting with
    // another category, and every other one with the segments.
    const int threads = 8;
    std::vector<std::vector<std::size_t>> seen(threads, std::vector<std::size_t>(layers.size()));
    std::atomic<int> arrived{0};
    std::vector<std::thread> pager;
    for (int t = 0; t < threads; ++t)
        pager.emplace_back([&, t] {
            for (++arrived; arrived < threads;)
                std::this_thread::yield();
            for (std::size_t n = 0; n < layers.size(); ++n) {
                const std::size_t k = t % 2 ? n : layers.size() - 1 - n;
                const std::vector<osg::ref_ptr<DBPoint>> categories(layers[k]->getPointCategories().begin(),
                                                                    layers[k]->getPointCategories().end());
                if (t % 4 < 2)
                    seen[t][k] += layers[k]->segments().size();
                for (std::size_t i = 0; i < categories.size(); ++i)
                    seen[t][k] += categories[(i + t) % categories.size()]->getRecords().size();
                if (t % 4 >= 2)
                    seen[t][k] += layers[k]->segments().size();
            }
        });
    for (auto& thread : pager)
        thread.join();

    auto creator = ctrl.pipeCreators.begin();
    for (std::size_t k = 0; k < layers.size(); ++k, ++creator) {
        DBPipe& layer = *layers[k];
        const std::string code = layer.getKindCode();
        EXPECT_EQ(describe(creator->first, layer), expectedKinds[k]);
        EXPECT_EQ(ctrl.findPipeLayer(layer.getLayerName()).get(), &layer);
        const std::size_t points = perCategory * layer.getPointCategories().size();
        for (int t = 0; t < threads; ++t)
            EXPECT_EQ(seen[t][k], 2 * points - 1) << code << " as thread " << t << " saw it";
        // Drains, pressure pipes and gas lines measure the pipes at each of their points.
        const bool fittings = std::strchr(expectedKinds[k], '*') != nullptr;
        int i = 0;
        for (const osg::ref_ptr<DBPoint>& category : layer.getPointCategories()) {
            SCOPED_TRACE(code + " " + category->getName());
            EXPECT_EQ(dynamic_cast<DBFittingPoint*>(category.get()) != nullptr, fittings);
            EXPECT_EQ(category->getOwner(), &layer);
            EXPECT_EQ(layer.findPointCategory(category->getName()), category.get());
            ASSERT_EQ(category->getRecords().size(), perCategory);
            EXPECT_EQ(category->getRecords().front()->gid, code + std::to_string(i++));
        }
        ASSERT_EQ(layer.segments().size(), points - 1) << code;
        const osg::Vec4ub c = layer.getLayerColor();
        EXPECT_EQ(layer.segments().front().color, c.r() + 256u * c.g() + 65536u * c.b()) << code;
    }
    // Names are matched whole.
    EXPECT_FALSE(ctrl.findPipeLayer("给水管线 ").valid());
    EXPECT_EQ(ctrl.findPipeLayer("排水管线")->findPointCategory("井"), nullptr);
}
