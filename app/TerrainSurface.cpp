#include "TerrainSurface.h"

#include "GroundImagery.h"

#include "Torvik/GroundImage.h"
#include "Torvik/TerrainHeight.h"

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/TexEnv>
#include <osg/Texture2D>

#include <algorithm>
#include <cmath>

namespace {

// Lays the imagery over the grid: its colours where its alpha says it covers the ground,
// the plain ground's elsewhere (decal), with the ground's own alpha, so the translucent
// ground stays as translucent with imagery on it.
void drape(osg::Geometry& geometry, osg::StateSet& state, const GroundImagery& imagery, double xmin,
           double ymin, double xmax, double ymax, int cells) {
    osg::ref_ptr<osg::Vec2Array> coords = new osg::Vec2Array;
    const double spanX = imagery.xmax - imagery.xmin, spanY = imagery.ymax - imagery.ymin;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i) {
            double x = xmin + (xmax - xmin) * i / cells, y = ymin + (ymax - ymin) * j / cells;
            coords->push_back(
                osg::Vec2(float((x - imagery.xmin) / spanX), float((y - imagery.ymin) / spanY)));
        }
    geometry.setTexCoordArray(0, coords, osg::Array::BIND_PER_VERTEX);

    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(imagery.image.get());
    texture->setName("ground imagery");
    texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR_MIPMAP_LINEAR);
    texture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::LINEAR);
    // Beyond the imagery the border is transparent: the plain ground shows.
    texture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_BORDER);
    texture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_BORDER);
    texture->setBorderColor(osg::Vec4d(0, 0, 0, 0));
    texture->setResizeNonPowerOfTwoHint(false);
    texture->setMaxAnisotropy(8.0f);
    // The pixels live on in the graphics memory only.
    texture->setUnRefImageDataAfterApply(true);
    state.setTextureAttributeAndModes(0, texture);
    state.setTextureAttribute(0, new osg::TexEnv(osg::TexEnv::DECAL));
    state.addUniform(new osg::Uniform(Torvik::GroundImage, 0));
    state.addUniform(new osg::Uniform(Torvik::GroundImageOn, true));
}

} // namespace

osg::ref_ptr<osg::Node> buildTerrainSurface(const TerrainHeight& terrain, double xmin, double ymin,
                                            double xmax, double ymax, float opacity,
                                            const GroundImagery* imagery) {
    // Vertices are offsets from the extent's corner, placed by a double-precision
    // transform, so map coordinates of millions of metres stay exact.
    const int cells = 64;
    double width = xmax - xmin, height = ymax - ymin;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i) {
            double x = xmin + width * i / cells, y = ymin + height * j / cells;
            vertices->push_back(osg::Vec3(float(x - xmin), float(y - ymin), float(terrain.heightAt(x, y))));
            // A checker of soft earth tones every 50 m gives the eye a scale.
            bool dark = (int(std::floor((x - xmin) / 50.0)) + int(std::floor((y - ymin) / 50.0))) % 2 == 0;
            colours->push_back(dark ? osg::Vec4(0.46f, 0.52f, 0.38f, opacity)
                                    : osg::Vec4(0.52f, 0.58f, 0.43f, opacity));
        }
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            unsigned a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
            for (unsigned index : {a, b, d, a, d, c})
                triangles->push_back(index);
        }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices);
    geometry->setColorArray(colours, osg::Array::BIND_PER_VERTEX);
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->push_back(osg::Vec3(0, 0, 1));
    geometry->setNormalArray(normals, osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(triangles);

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry);
    osg::StateSet* state = geode->getOrCreateStateSet();
    if (imagery && imagery->image)
        drape(*geometry, *state, *imagery, xmin, ymin, xmax, ymax, cells);
    state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
    if (opacity < 1.0f) {
        state->setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
        state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, false));
        state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
    }
    osg::ref_ptr<osg::MatrixTransform> placed =
        new osg::MatrixTransform(osg::Matrixd::translate(xmin, ymin, 0.0));
    placed->setName("ground surface");
    placed->addChild(geode);
    return placed;
}
