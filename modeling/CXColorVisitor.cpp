#include "modeling/CXColorVisitor.h"

#include "modeling/SharedObjects.h"

#include <osg/Program>
#include <osg/Shader>

#include <mutex>

namespace {

// A lit vertex colour: 0.7 diffuse plus 0.3 specular (exponent 16) from a light fixed
// in eye space, so pipes read by their layer colour from any viewpoint.
const char* const kVertexSource =
    "const vec3 LightPosition = vec3(500.0, 500.0, 1000.0);\n"
    "const float SpecularContribution = 0.3;\n"
    "const float DiffuseContribution = 1.0 - SpecularContribution;\n"
    "void main()\n"
    "{\n"
    "vec3 ecPosition = vec3(gl_ModelViewMatrix * gl_Vertex);\n"
    "vec3 tnorm = normalize(gl_NormalMatrix * gl_Normal);\n"
    "vec3 lightVec = normalize(LightPosition - ecPosition);\n"
    "vec3 reflectVec = reflect(-lightVec, tnorm);\n"
    "vec3 viewVec = normalize(-ecPosition);\n"
    "float diffuse = max(dot(lightVec, tnorm), 0.0);\n"
    "float spec = 0.0;\n"
    "if(diffuse > 0.0)\n"
    "{\n"
    "\tspec = max(dot(reflectVec, viewVec), 0.0);\n"
    "\tspec = pow(spec, 16.0);\n"
    "}\n"
    "float LightIntensity = DiffuseContribution * diffuse + SpecularContribution * spec;\n"
    "gl_FrontColor = gl_Color * LightIntensity;gl_Position= ftransform();\n"
    "}";

const char* const kFragmentSource = "void main()\n"
                                    "{\n"
                                    "\tgl_FragColor = gl_Color;\n"
                                    "}";

std::mutex g_sharedMutex;
osg::ref_ptr<osg::StateSet> g_shared;
osg::ref_ptr<osg::Program> g_noProgram;

} // namespace

osg::StateSet* CXColorVisitor::sharedStateSet() {
    // Tiles are built on several pager threads at once: the first of them creates it.
    std::lock_guard<std::mutex> lock(g_sharedMutex);
    if (!g_shared) {
        osg::ref_ptr<osg::Program> program = new osg::Program;
        program->addShader(new osg::Shader(osg::Shader::VERTEX, kVertexSource));
        program->addShader(new osg::Shader(osg::Shader::FRAGMENT, kFragmentSource));
        g_shared = new osg::StateSet;
        g_shared->setAttributeAndModes(program.get(), osg::StateAttribute::ON);
        SharedObjects::guardState(*g_shared);
    }
    return g_shared.get();
}

void CXColorVisitor::stopAt(osg::Node& node) {
    osg::ref_ptr<osg::Program> none;
    {
        std::lock_guard<std::mutex> lock(g_sharedMutex);
        // A program without shaders is the fixed-function pipeline.
        if (!g_noProgram) {
            g_noProgram = new osg::Program;
            SharedObjects::guard(*g_noProgram);
        }
        none = g_noProgram;
    }
    node.getOrCreateStateSet()->setAttributeAndModes(none.get(), osg::StateAttribute::ON |
                                                                     osg::StateAttribute::PROTECTED);
}

CXColorVisitor::CXColorVisitor()
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_NONE), _stateSet(sharedStateSet()) {}

void CXColorVisitor::apply(osg::Node& node) {
    node.setStateSet(_stateSet.get());
}
