#include "tools/FlowDirectionShow.h"

#include "layers/DBPipe.h"
#include "plugin/CXPipeLineCtrl.h"

#include <osg/Node>
#include <osg/Program>
#include <osg/Shader>
#include <osg/StateSet>

void ColorCallback::operator()(osg::Uniform* uniform, osg::NodeVisitor*) {
    if (!uniform)
        return;
    float value = 0.0f;
    uniform->get(value);
    if (value < -1.0f || value > 1.0f)
        value = 0.0f;
    uniform->set(value - speed);
}

void pipeDirectionShow::apply(DBPipe& layer) {
    // The live groups, the entries of unloaded tiles dropped on the way.
    for (const osg::ref_ptr<osg::Node>& group : layer.liveExtentPipeGroups()) {
        osg::StateSet* state = group->getOrCreateStateSet();
        if (mode == Show)
            install(*state);
        else if (mode == Cancel)
            remove(*state);
    }
}

void pipeDirectionShow::install(osg::StateSet& state) {
    // The distance of a vertex from the start of its segment, whose frame the body is
    // modelled in, gives the band.
    static const char* vertexSource = "varying float MCposition; \n"
                                      "void main()\n"
                                      "{\n"
                                      "\tMCposition = length(gl_Vertex);\n"
                                      "\tgl_Position= ftransform();\n"
                                      "}";
    static const char* fragmentSource = "varying float MCposition;\n"
                                        "uniform float offset;void main()\n"
                                        "{\n"
                                        "vec3 color;\n"
                                        "if(fract(MCposition + offset) < 0.5)\n"
                                        "\tcolor = vec3(0.0, 0.6, 0.6);\n"
                                        "else\n"
                                        "\tcolor = vec3(0.5, 1.0, 1.0);\n"
                                        "gl_FragColor = vec4(color, 1.0);\n"
                                        "}";
    osg::ref_ptr<osg::Program> program = new osg::Program;
    program->addShader(new osg::Shader(osg::Shader::VERTEX, vertexSource));
    program->addShader(new osg::Shader(osg::Shader::FRAGMENT, fragmentSource));

    osg::ref_ptr<osg::Uniform> offset = new osg::Uniform("offset", 0.0f);
    offset->setUpdateCallback(new ColorCallback(0.01f));
    state.addUniform(offset.get(), osg::StateAttribute::ON);
    state.setAttributeAndModes(program.get(), osg::StateAttribute::ON | osg::StateAttribute::OVERRIDE);
}

void pipeDirectionShow::remove(osg::StateSet& state) {
    // The uniform stays: without the program it does nothing, and a later show puts a
    // new one in its place.
    if (auto* program = dynamic_cast<osg::Program*>(state.getAttribute(osg::StateAttribute::PROGRAM)))
        state.removeAttribute(program);
}

void pipeDirectionShow::onDrainage(int mode) {
    osg::ref_ptr<DBPipe> drainage = CXPipeLineCtrl::getInstance()->findPipeLayer("排水管线");
    if (!drainage)
        return;
    osg::ref_ptr<pipeDirectionShow> visitor = new pipeDirectionShow(mode);
    drainage->accept(*visitor);
}
