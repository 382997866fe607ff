#include "HostApp.h"

#include "Selmor/CXEarthManipulator.h"
#include "Selmor/ViewSetup.h"
#include "Torvik/CXControl.h"
#include "Torvik/CXPlayerManager.h"
#include "Torvik/TerrainHeight.h"

#include <QString>
#include <QTextCodec>

#include <cstdlib>

namespace {
std::string toUtf8(const std::string& gbk) {
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    return codec->toUnicode(gbk.data(), static_cast<int>(gbk.size())).toStdString();
}
} // namespace

HostApp::HostApp(const Options& options, std::ostream& out) : _options(options), _out(out) {
    g_playerManager->setTerrain(std::make_shared<FlatTerrain>(options.groundHeight));
    _viewer.reset(new CXViewer);
    _callbackListener = g_playerManager->addCallbackListener(
        [this](const std::string& name, const std::string& payload, void*) {
            _out << "callback\t" << toUtf8(name) << '\t' << toUtf8(payload) << std::endl;
        });
}

HostApp::~HostApp() {
    g_playerManager->removeCallbackListener(_callbackListener);
    // The scene may hold nodes of the plug-in's classes: release it before the
    // plug-in's code goes away.
    _viewer.reset();
    _plugin.unload();
}

bool HostApp::start(std::string& error) {
    if (!_plugin.load(_options.pluginPath)) {
        error = _plugin.error();
        return false;
    }
    if (!_options.headless && std::getenv("DISPLAY")) {
        _hasWindow = ViewSetup::window(_viewer->getViewer(), 50, 50, _options.width, _options.height);
        if (_hasWindow)
            _viewer->getViewer()->setCameraManipulator(new CXEarthManipulator);
    }
    for (CXControl* control : _plugin.controls())
        control->initialize();
    return true;
}

CXControl* HostApp::control() const {
    const auto& controls = _plugin.controls();
    return controls.empty() ? nullptr : controls.back();
}

void HostApp::frame(int count) {
    for (int i = 0; i < count; ++i)
        _viewer->frame();
}

int HostApp::run() {
    osgViewer::CompositeViewer* viewer = _viewer->getCompositeViewer();
    while (!viewer->done())
        _viewer->frame();
    return 0;
}
