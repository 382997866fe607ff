#include "paging/CZEMPipeGraph.h"

#include "layers/DBPipe.h"
#include "paging/PipeGraphRegistry.h"
#include "plugin/CXPipeLineCtrl.h"

#include "Torvik/Torvik.h"
#include "geo/GeoExtent.h"
#include "geo/Profile.h"
#include "geo/SpatialReference.h"
#include "text/Number.h"

#include <osg/PagedLOD>
#include <osgDB/Options>

#include <cfloat>
#include <cmath>

namespace {

// A whole decimal number and nothing else, in the C locale's notation.
bool parseNumber(const std::string& text, double& value) {
    return parseDecimal(text, value);
}

} // namespace

osg::ref_ptr<CZEMPipeGraph> CZEMPipeGraph::create(const osgDB::Options* options, std::string& error) {
    if (!options) {
        error = "no read options: \"srs\", \"extent\" and \"baseZ\" are needed";
        return nullptr;
    }
    std::string srs = options->getPluginStringData("srs");
    std::string extentText = options->getPluginStringData("extent");
    std::string baseText = options->getPluginStringData("baseZ");
    if (srs.empty()) {
        error = "option \"srs\" is missing";
        return nullptr;
    }
    std::vector<std::string> fields = Torvik::splitStr(extentText, " ");
    double bounds[4];
    if (fields.size() != 4 || !parseNumber(fields[0], bounds[0]) || !parseNumber(fields[1], bounds[1]) ||
        !parseNumber(fields[2], bounds[2]) || !parseNumber(fields[3], bounds[3])) {
        error = "option \"extent\" must be four numbers \"xmin ymin xmax ymax\", not \"" + extentText + "\"";
        return nullptr;
    }
    std::string why;
    if (!osgEarth::checkExtentBounds(bounds[0], bounds[1], bounds[2], bounds[3], why)) {
        error = "option \"extent\" cannot be used (" + why + "): \"" + extentText + "\"";
        return nullptr;
    }
    double base = 0.0;
    if (!parseNumber(baseText, base)) {
        error = "option \"baseZ\" must be a number, not \"" + baseText + "\"";
        return nullptr;
    }
    osg::ref_ptr<osgEarth::Profile> profile =
        osgEarth::Profile::create(srs, bounds[0], bounds[1], bounds[2], bounds[3], "", 0, 0);
    if (!profile || !profile->getSRS()) {
        error = "no coordinate system can be made of \"" + srs + "\"";
        return nullptr;
    }
    // The host may have every kind read whole; by default each decides by its database.
    DBPipe::allowReadingByExtent(options->getPluginStringData("extentReading") != "off");
    return new CZEMPipeGraph(profile.get(), base, options->getPluginStringData("overview") == "on");
}

CZEMPipeGraph::CZEMPipeGraph(const osgEarth::Profile* profile, double base, bool withOverview)
    : rootKey(new osgEarth::TileKey(0, 0, 0, profile)), baseZ(base), overview(withOverview) {
    _id = PipeGraphRegistry::instance().add(this);
    extent = rootKey->getExtent();
    setName("pipe network");
    addChild(createPagedNode(extent, _id, 0, 0, 0));
}

CZEMPipeGraph::~CZEMPipeGraph() = default;

osg::ref_ptr<osg::PagedLOD> CZEMPipeGraph::createPagedNode(const osgEarth::GeoExtent& tileExtent, unsigned id,
                                                           unsigned level, unsigned x, unsigned y) const {
    double cx = 0.0, cy = 0.0;
    tileExtent.getCentroid(cx, cy);
    osg::Vec3d centroid(cx, cy, baseZ);
    osg::Vec3d corner(tileExtent.xMin(), tileExtent.yMin(), baseZ);
    // The centre lives in the host's world frame (the map's own system when it is
    // projected), so the pager's distance to the eye is a real distance; the radius,
    // one tile diagonal, is measured in the extent's own units.
    osg::Vec3d centre = centroid;
    const osgEarth::SpatialReference* srs = tileExtent.getSRS();
    if (srs)
        srs->transform(centroid, srs->getWorldSRS(), centre);
    float radius = static_cast<float>(2.0 * (centroid - corner).length());

    osg::ref_ptr<osg::PagedLOD> paged = new osg::PagedLOD;
    paged->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    paged->setCenter(osg::Vec3f(centre));
    paged->setRadius(radius);
    unsigned tile = 0;
    float reach = radius;
    if (overview && level == 0) {
        reach = FLT_MAX;
    } else if (overview) {
        // Within one tile diagonal the tile's own content takes over; a deepest tile wider
        // than its pipes' range keeps its drawing wherever its tubes or wells may be culled.
        float from = level == DeepestLevel && radius > DBPipe::PipeRange ? 0.0f : radius;
        paged->addChild(CXPipeLineCtrl::getInstance()->createOverviewNode(
                            ownedExtent(level, x, y), "overview " + std::to_string(level) + "_" +
                                                          std::to_string(x) + "_" + std::to_string(y)),
                        from, FLT_MAX);
        tile = 1;
    }
    paged->setRange(tile, 0.0f, reach);
    paged->setFileName(tile, tileName(id, level, x, y));
    paged->setPriorityOffset(tile, 0.0f);
    paged->setPriorityScale(tile, 1.0f);
    return paged;
}

osgEarth::GeoExtent CZEMPipeGraph::ownedExtent(unsigned level, unsigned x, unsigned y) const {
    osgEarth::GeoExtent tileExtent = osgEarth::TileKey(level, x, y, rootKey->getProfile()).getExtent();
    // A tile owns its west and north edges (xMin <= X < xMax, yMin < Y <= yMax), so a
    // survey point on an edge two tiles share is built once. The graph's own east and
    // south edges belong to the tiles along them: those extents reach one ulp further.
    const unsigned last = (1u << level) - 1;
    if (x != last && y != last)
        return tileExtent;
    double xMax = x == last ? std::nextafter(tileExtent.xMax(), HUGE_VAL) : tileExtent.xMax();
    double yMin = y == last ? std::nextafter(tileExtent.yMin(), -HUGE_VAL) : tileExtent.yMin();
    return osgEarth::GeoExtent(tileExtent.getSRS(), tileExtent.xMin(), yMin, xMax, tileExtent.yMax());
}

osg::ref_ptr<osg::Node> CZEMPipeGraph::createNode(unsigned level, unsigned x, unsigned y, unsigned id) const {
    if (level > DeepestLevel || x >= (1u << level) || y >= (1u << level))
        return nullptr;
    const osgEarth::Profile* profile = rootKey->getProfile();
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (level < DeepestLevel) {
        const unsigned children[4][2] = {
            {2 * x, 2 * y}, {2 * x, 2 * y + 1}, {2 * x + 1, 2 * y}, {2 * x + 1, 2 * y + 1}};
        for (const auto& child : children) {
            osgEarth::TileKey key(level + 1, child[0], child[1], profile);
            group->addChild(createPagedNode(key.getExtent(), id, level + 1, child[0], child[1]));
        }
        return group;
    }
    osgEarth::GeoExtent tileExtent = ownedExtent(level, x, y);
    group->addChild(CXPipeLineCtrl::getInstance()->createExtentNode(tileExtent));
    return group;
}
