#include "tools/CXSetOpacityHandler.h"
#include "tools/ToolMessage.h"

#include "Selmor/CXViewer.h"
#include "Torvik/GroundImage.h"
#include "Torvik/Torvik.h"

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/Program>

namespace {

// A ground model of the design data is one whose file lies in this folder.
const char groundModelMarker[] = "\\三维设计数据\\地面模型\\";

// The ground keeps its own colours, its imagery laid over them where the imagery covers
// it (Torvik::GroundImage); the terrain material's diffuse alpha decides how much of what
// lies beneath it shows through.
osg::ref_ptr<osg::Program> makeGroundProgram() {
    osg::ref_ptr<osg::Program> program = new osg::Program;
    program->setName("ground opacity");
    program->addShader(new osg::Shader(osg::Shader::VERTEX, "varying vec4 groundColour;\n"
                                                            "varying vec2 groundCoord;\n"
                                                            "void main() {\n"
                                                            "    groundColour = gl_Color;\n"
                                                            "    groundCoord = gl_MultiTexCoord0.xy;\n"
                                                            "    gl_Position = ftransform();\n"
                                                            "}\n"));
    const std::string fragment = std::string("varying vec4 groundColour;\n"
                                             "varying vec2 groundCoord;\n"
                                             "uniform sampler2D ") +
                                 Torvik::GroundImage + ";\nuniform bool " + Torvik::GroundImageOn +
                                 ";\n"
                                 "void main() {\n"
                                 "    vec3 colour = groundColour.rgb;\n"
                                 "    if (" +
                                 Torvik::GroundImageOn + ") {\n        vec4 image = texture2D(" +
                                 Torvik::GroundImage +
                                 ", groundCoord);\n"
                                 "        colour = mix(colour, image.rgb, image.a);\n"
                                 "    }\n"
                                 "    gl_FragColor = vec4(colour, gl_FrontMaterial.diffuse.a);\n"
                                 "}\n";
    program->addShader(new osg::Shader(osg::Shader::FRAGMENT, fragment));
    return program;
}

} // namespace

CXSetOpacityHandler::CXSetOpacityHandler() = default;

void CXSetOpacityHandler::OnMessage(std::string message) {
    float alpha = 0.0f;
    if (!ToolMessage::opacity(message, alpha) || !g_pCXviewer)
        return;
    if (g_pCXviewer->GetViceView())
        makeGroundModelsTranslucent(alpha);
    setTerrainOpacity(alpha);
}

void CXSetOpacityHandler::makeGroundModelsTranslucent(float alpha) const {
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setDiffuse(osg::Material::FRONT_AND_BACK, osg::Vec4(1.0f, 1.0f, 1.0f, alpha));
    for (osg::Group* models : {g_pCXviewer->GetModels(), g_pCXviewer->GetViceModels()}) {
        for (unsigned i = 0; i < models->getNumChildren(); ++i) {
            osg::Node* model = models->getChild(i);
            if (model->getName().find(groundModelMarker) == std::string::npos)
                continue;
            osg::StateSet* state = model->getOrCreateStateSet();
            state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
            state->setAttributeAndModes(material, osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
            state->setAttributeAndModes(new osg::BlendFunc, osg::StateAttribute::ON);
        }
    }
}

void CXSetOpacityHandler::setTerrainOpacity(float alpha) {
    osg::StateSet* state = g_pCXviewer->getTerrain()->getOrCreateStateSet();
    const auto forced = osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE;
    if (!_terrainMaterial) {
        _terrainMaterial = new osg::Material;
        state->setAttributeAndModes(_terrainMaterial, forced);
        state->setAttributeAndModes(new osg::BlendFunc, osg::StateAttribute::ON);
        state->setAttributeAndModes(makeGroundProgram(), forced);
        _terrainMaterial->setEmission(osg::Material::FRONT_AND_BACK, osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
    }
    osg::Vec4 diffuse = _terrainMaterial->getDiffuse(osg::Material::FRONT);
    if (alpha == 1.0f) {
        // Opaque again: drawn with the rest of the scene and hiding what lies beneath.
        state->setRenderBinDetails(0, "", osg::StateSet::USE_RENDERBIN_DETAILS);
        diffuse.a() = 1.0f;
        state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, true), forced);
    } else {
        // Drawn after the network, without hiding it from what is drawn later.
        state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
        diffuse.set(1.0f, 0.0f, 0.0f, alpha);
        state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS, 0.0, 1.0, false), forced);
    }
    _terrainMaterial->setDiffuse(osg::Material::FRONT_AND_BACK, diffuse);
    // The tools pick the pipes seen through the ground, not the ground above them.
    g_pCXviewer->getTerrain()->setUserValue(Torvik::SeeThrough, alpha < 1.0f);
}
