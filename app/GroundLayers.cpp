#include "GroundLayers.h"

#include "Torvik/TerrainHeight.h"
#include "text/Number.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <osg/BlendFunc>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LOD>
#include <osg/LineWidth>
#include <osg/MatrixTransform>
#include <osg/Point>
#include <osg/PolygonOffset>
#include <osg/TriangleIndexFunctor>
#include <osgText/Text>
#include <osgUtil/Tessellator>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace GroundLayers {

namespace {

// How far above the terrain the features lie: enough to stay in front of the ground at any
// distance the layers are looked at from, too little to be seen as a gap.
constexpr double Lift = 0.15;

bool readColour(std::istringstream& in, osg::Vec4& colour) {
    std::string word;
    double value[4] = {0, 0, 0, 1};
    int n = 0;
    while (in >> word) {
        if (n == 4 || !parseDecimal(word, value[n]) || value[n] < 0 || value[n] > 1)
            return false;
        ++n;
    }
    if (n < 3)
        return false;
    colour.set(float(value[0]), float(value[1]), float(value[2]), float(value[3]));
    return true;
}

struct CloseDataset {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// The vertices and primitives of a layer, offset from the extent's corner.
class Drawing {
public:
    Drawing(const TerrainHeight& terrain, double x0, double y0, double step)
        : _terrain(terrain), _x0(x0), _y0(y0), _step(step) {}

    void line(const OGRLineString& line, std::vector<unsigned>& indices) {
        OGRLineString dense(line);
        dense.segmentize(_step);
        for (int i = 0; i + 1 < dense.getNumPoints(); ++i) {
            indices.push_back(vertex(dense.getX(i), dense.getY(i)));
            indices.push_back(vertex(dense.getX(i + 1), dense.getY(i + 1)));
        }
    }

    void polygon(const OGRPolygon& polygon, bool fill) {
        for (int r = 0; r <= polygon.getNumInteriorRings(); ++r) {
            const OGRLinearRing* ring = r == 0 ? polygon.getExteriorRing() : polygon.getInteriorRing(r - 1);
            if (ring)
                line(*ring, _outlines);
        }
        if (!fill)
            return;
        // Each polygon tessellated on its own (holes cut out), its triangles kept.
        osg::ref_ptr<osg::Geometry> shape = new osg::Geometry;
        osg::ref_ptr<osg::Vec3Array> points = new osg::Vec3Array;
        std::vector<unsigned> corners;
        for (int r = 0; r <= polygon.getNumInteriorRings(); ++r) {
            const OGRLinearRing* ring = r == 0 ? polygon.getExteriorRing() : polygon.getInteriorRing(r - 1);
            if (!ring || ring->getNumPoints() < 4)
                continue;
            OGRLinearRing dense(*ring);
            dense.segmentize(_step);
            const unsigned first = static_cast<unsigned>(points->size());
            for (int i = 0; i + 1 < dense.getNumPoints(); ++i) {
                points->push_back(osg::Vec3(float(dense.getX(i) - _x0), float(dense.getY(i) - _y0), 0.0f));
                corners.push_back(vertex(dense.getX(i), dense.getY(i)));
            }
            shape->addPrimitiveSet(new osg::DrawArrays(GL_POLYGON, first, points->size() - first));
        }
        if (points->size() < 3)
            return;
        shape->setVertexArray(points);
        osg::ref_ptr<osgUtil::Tessellator> tessellator = new osgUtil::Tessellator;
        tessellator->setTessellationType(osgUtil::Tessellator::TESS_TYPE_GEOMETRY);
        tessellator->setWindingType(osgUtil::Tessellator::TESS_WINDING_ODD);
        tessellator->setBoundaryOnly(false);
        tessellator->retessellatePolygons(*shape);
        // The tessellator may add vertices where edges cross: those go to the shared array too.
        const auto* tessellated = static_cast<const osg::Vec3Array*>(shape->getVertexArray());
        for (size_t i = corners.size(); i < tessellated->size(); ++i)
            corners.push_back(vertex((*tessellated)[i].x() + _x0, (*tessellated)[i].y() + _y0));
        struct Collect {
            std::vector<unsigned>* out;
            const std::vector<unsigned>* map;
            void operator()(unsigned a, unsigned b, unsigned c) {
                for (unsigned i : {a, b, c})
                    out->push_back((*map)[i]);
            }
        };
        osg::TriangleIndexFunctor<Collect> triangles;
        triangles.out = &_fills;
        triangles.map = &corners;
        shape->accept(triangles);
    }

    void add(const OGRGeometry& geometry, bool fill) {
        switch (wkbFlatten(geometry.getGeometryType())) {
        case wkbPoint: {
            const auto& p = static_cast<const OGRPoint&>(geometry);
            _points.push_back(vertex(p.getX(), p.getY()));
            break;
        }
        case wkbLineString:
            line(static_cast<const OGRLineString&>(geometry), _lines);
            break;
        case wkbPolygon:
            polygon(static_cast<const OGRPolygon&>(geometry), fill);
            break;
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (const OGRGeometry* part : static_cast<const OGRGeometryCollection&>(geometry))
                add(*part, fill);
            break;
        default:
            // Curves and surfaces of other kinds, as straight pieces.
            if (std::unique_ptr<OGRGeometry> linear{geometry.getLinearGeometry()};
                linear && wkbFlatten(linear->getGeometryType()) != wkbFlatten(geometry.getGeometryType()))
                add(*linear, fill);
        }
    }

    osg::ref_ptr<osg::Geode> geode(const Style& style) const {
        osg::ref_ptr<osg::Geode> geode = new osg::Geode;
        auto part = [&](const std::vector<unsigned>& indices, GLenum mode, const osg::Vec4& colour) {
            if (indices.empty())
                return;
            osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
            geometry->setVertexArray(_vertices);
            osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array(1, &colour);
            geometry->setColorArray(colours, osg::Array::BIND_OVERALL);
            geometry->addPrimitiveSet(new osg::DrawElementsUInt(mode, indices.begin(), indices.end()));
            if (mode == GL_TRIANGLES) // the fill behind the outlines
                geometry->getOrCreateStateSet()->setAttributeAndModes(new osg::PolygonOffset(-1.0f, -1.0f));
            geode->addDrawable(geometry);
        };
        part(_fills, GL_TRIANGLES, style.fill);
        part(_outlines, GL_LINES, style.lineColourSet ? style.lineColour : style.polygonColour);
        part(_lines, GL_LINES, style.lineColour);
        part(_points, GL_POINTS, style.lineColour);
        osg::StateSet* state = geode->getOrCreateStateSet();
        state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
        state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
        state->setAttributeAndModes(new osg::LineWidth(style.width));
        state->setAttributeAndModes(new osg::Point(style.width * 2.0f));
        state->setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
        state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
        return geode;
    }

    bool empty() const { return _vertices->empty(); }

private:
    unsigned vertex(double x, double y) {
        _vertices->push_back(
            osg::Vec3(float(x - _x0), float(y - _y0), float(_terrain.heightAt(x, y) + Lift)));
        return static_cast<unsigned>(_vertices->size() - 1);
    }

    const TerrainHeight& _terrain;
    double _x0, _y0, _step;
    osg::ref_ptr<osg::Vec3Array> _vertices = new osg::Vec3Array;
    std::vector<unsigned> _lines, _outlines, _fills, _points;
};

// Labels in a font that has the Chinese characters of street and parcel names when the
// system has one, else in OSG's own (Latin letters only).
osg::ref_ptr<osgText::Font> labelFont() {
    static osg::ref_ptr<osgText::Font> font = [] {
        const char* cjk = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
        struct stat status {};
        osg::ref_ptr<osgText::Font> read = stat(cjk, &status) == 0 ? osgText::readRefFontFile(cjk) : nullptr;
        return read ? read : osgText::Font::getDefaultFont();
    }();
    return font;
}

// Where a feature's label stands: the middle of a line, a point inside a polygon, the point.
bool labelAnchor(const OGRGeometry& geometry, double& x, double& y) {
    OGRPoint at;
    const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
    if (type == wkbLineString) {
        const auto& line = static_cast<const OGRLineString&>(geometry);
        line.Value(line.get_Length() / 2.0, &at);
    } else if (type == wkbPoint) {
        at = static_cast<const OGRPoint&>(geometry);
    } else if (OGRGeometryUniquePtr inside(OGRGeometry::FromHandle(
                   OGR_G_PointOnSurface(OGRGeometry::ToHandle(const_cast<OGRGeometry*>(&geometry)))));
               inside && wkbFlatten(inside->getGeometryType()) == wkbPoint) {
        at = *inside->toPoint();
    } else if (geometry.Centroid(&at) != OGRERR_NONE) {
        return false;
    }
    x = at.getX(), y = at.getY();
    return std::isfinite(x) && std::isfinite(y);
}

// A label facing the screen at a fixed size, shown within LabelRange of the eye.
osg::ref_ptr<osg::Node> labelNode(const std::string& utf8, const osg::Vec3& at, const osg::Vec4& colour) {
    osg::ref_ptr<osgText::Text> text = new osgText::Text;
    text->setFont(labelFont());
    text->setText(utf8, osgText::String::ENCODING_UTF8);
    text->setCharacterSizeMode(osgText::Text::SCREEN_COORDS);
    text->setCharacterSize(14.0f);
    text->setAxisAlignment(osgText::Text::SCREEN);
    text->setAlignment(osgText::Text::CENTER_BOTTOM);
    text->setColor(colour);
    text->setBackdropType(osgText::Text::OUTLINE);
    text->setPosition(at);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(text);
    osg::ref_ptr<osg::LOD> near = new osg::LOD;
    near->setCenter(at);
    near->addChild(geode, 0.0f, Style::LabelRange);
    return near;
}

} // namespace

bool Style::read(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the style file " + path;
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::istringstream line(text.substr(0, text.find('#')));
        std::string key;
        if (!(line >> key))
            continue;
        bool ok;
        if (key == "colour" || key == "color") {
            ok = readColour(line, lineColour);
            polygonColour = lineColour;
            lineColourSet = true;
        } else if (key == "width") {
            std::string word, rest;
            double value = 0;
            ok = line >> word && !(line >> rest) && parseDecimal(word, value) && value > 0 && value <= 64;
            width = static_cast<float>(value);
        } else if (key == "fill") {
            std::istringstream copy(line.str());
            std::string first, second;
            copy >> first >> second;
            filled = second != "none";
            ok = !filled || readColour(line, fill);
        } else if (key == "label") {
            std::string rest;
            ok = line >> label && !(line >> rest);
        } else
            ok = false;
        if (!ok) {
            error =
                path + ":" + std::to_string(number) +
                ": not a setting (colour R G B [A], width W, fill R G B [A], fill none or label FIELD): " +
                text;
            return false;
        }
    }
    return true;
}

std::string styleBeside(const std::string& layer) {
    const std::string::size_type slash = layer.rfind('/'), dot = layer.rfind('.');
    const std::string style =
        (dot != std::string::npos && (slash == std::string::npos || dot > slash) ? layer.substr(0, dot)
                                                                                 : layer) +
        ".style";
    struct stat status {};
    return stat(style.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? style : std::string();
}

osg::ref_ptr<osg::Node> build(const std::string& path, const Style& style, const std::string& srs,
                              const TerrainHeight& terrain, double xmin, double ymin, double xmax,
                              double ymax, std::string& error) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        error = path + " is not a file that can be read";
        return nullptr;
    }
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
    std::unique_ptr<GDALDataset, CloseDataset> dataset(static_cast<GDALDataset*>(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    CPLPopErrorHandler();
    if (!dataset || dataset->GetLayerCount() == 0) {
        const char* message = CPLGetLastErrorMsg();
        error = path + " is not a vector file OGR reads" +
                (message && *message ? std::string(" (") + message + ")" : "");
        return nullptr;
    }
    OGRSpatialReference map;
    if (map.SetFromUserInput(srs.c_str()) != OGRERR_NONE) {
        error = "the map's coordinate system \"" + srs + "\" cannot be read";
        return nullptr;
    }
    map.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);

    // Lines follow the terrain between their vertices: a point every few metres.
    const double step = std::max(2.0, std::hypot(xmax - xmin, ymax - ymin) / 2000.0);
    Drawing drawing(terrain, xmin, ymin, step);
    osg::ref_ptr<osg::Group> labels = new osg::Group;
    labels->setName("labels");
    OGREnvelope extent;
    extent.MinX = xmin, extent.MinY = ymin, extent.MaxX = xmax, extent.MaxY = ymax;
    for (OGRLayer* layer : dataset->GetLayers()) {
        std::unique_ptr<OGRCoordinateTransformation> toMap;
        if (const OGRSpatialReference* own = layer->GetSpatialRef()) {
            OGRSpatialReference from(*own);
            from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            if (!from.IsSame(&map)) {
                toMap.reset(OGRCreateCoordinateTransformation(&from, &map));
                if (!toMap) {
                    error = path + ": layer " + layer->GetName() +
                            " cannot be placed in the map's coordinate system";
                    return nullptr;
                }
            }
        }
        const int labelField =
            style.label.empty() ? -1 : layer->GetLayerDefn()->GetFieldIndex(style.label.c_str());
        layer->ResetReading();
        for (auto& feature : *layer) {
            OGRGeometry* geometry = feature->GetGeometryRef();
            if (!geometry || (toMap && geometry->transform(toMap.get()) != OGRERR_NONE))
                continue;
            OGREnvelope box;
            geometry->getEnvelope(&box);
            if (!box.Intersects(extent))
                continue;
            drawing.add(*geometry, style.filled);
            double x, y;
            const char* name = labelField >= 0 && feature->IsFieldSetAndNotNull(labelField)
                                   ? feature->GetFieldAsString(labelField)
                                   : "";
            if (*name && labelAnchor(*geometry, x, y))
                labels->addChild(labelNode(
                    name, osg::Vec3(float(x - xmin), float(y - ymin), float(terrain.heightAt(x, y) + 1.0)),
                    style.lineColour));
        }
    }
    osg::ref_ptr<osg::MatrixTransform> placed =
        new osg::MatrixTransform(osg::Matrixd::translate(xmin, ymin, 0.0));
    placed->setName("ground layer " + path);
    if (!drawing.empty())
        placed->addChild(drawing.geode(style));
    if (labels->getNumChildren() > 0)
        placed->addChild(labels);
    return placed;
}

} // namespace GroundLayers
