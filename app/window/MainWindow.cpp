#include "MainWindow.h"

#include "IdentifyPanel.h"
#include "ImportLinesDialog.h"
#include "LayerPanel.h"
#include "LineLayersPanel.h"
#include "OpenNetworkDialog.h"
#include "SectionDock.h"
#include "ToolDialogs.h"
#include "ToolIcons.h"
#include "ViewWidget.h"
#include "app/CameraFlight.h"
#include "app/FeatureRecord.h"
#include "app/NetworkFile.h"
#include "app/RunFolder.h"
#include "app/ViewProbe.h"
#include "app/ViewSettings.h"

#include "Selmor/CXViewer.h"
#include "Torvik/CXCommandRegistry.h"
#include "Torvik/CXControl.h"
#include "database/DatabasePath.h"
#include "network/UtilityKind.h"
#include "section/CrossSection.h"
#include "text/GbkText.h"

#include <osgDB/DatabasePager>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

const char* const HighlightTool = "高亮显示";
const char* const OpacityTool = "地表透明度";
const char* const LayerTool = "管线图层管理";

QString networkFilter() {
    return QStringLiteral(u"管网 (pipe.xml *.xml *.mdb *.accdb *.sqlite *.db *.gpkg);;pipe.xml (*.xml);;"
                          u"Access (*.mdb *.accdb);;SQLite (*.sqlite *.db *.gpkg);;* (*)");
}

} // namespace

MainWindow::MainWindow(HostApp& host, RunFolder& folder, QWidget* parent)
    : QMainWindow(parent), _host(host), _folder(folder), _view(new ViewWidget(host, this)),
      _modes(new QActionGroup(this)), _browsing(new QActionGroup(this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("pipeviewer"));
    setCentralWidget(_view);
    _modes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildDocks();
    _host.setObserver(this);
    connect(_view, &ViewWidget::escapePressed, this, &MainWindow::deactivateTool);
    connect(_view, &ViewWidget::pointerMoved, this, &MainWindow::pointerAt);
    connect(_view, &ViewWidget::clicked, this, &MainWindow::clickedAt);

    QSettings settings;
    resize(1280, 860);
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
}

MainWindow::~MainWindow() {
    _host.setObserver(nullptr);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral(u"文件(&F)"));
    QAction* open = file->addAction(QStringLiteral(u"打开…"), this, &MainWindow::chooseAndOpen);
    open->setObjectName(QStringLiteral("openAction"));
    open->setShortcut(QKeySequence::Open);
    open->setToolTip(QStringLiteral(u"打开 pipe.xml，或直接打开 Access / SQLite 管网数据库"));
    _recentMenu = file->addMenu(QStringLiteral(u"最近打开"));
    rebuildRecentMenu();
    file->addSeparator();
    QAction* lines = file->addAction(QStringLiteral(u"导入线数据…"), this, &MainWindow::importLines);
    lines->setObjectName(QStringLiteral("importLinesAction"));
    lines->setToolTip(QStringLiteral(u"把 GDAL 能读的矢量线文件按给定埋深和颜色显示为管线"));
    QAction* picture = file->addAction(QStringLiteral(u"保存视图图片…"), this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral(u"保存视图图片"), QStringLiteral("view.png"), QStringLiteral("PNG (*.png)"));
        std::string error;
        if (!path.isEmpty() && !_host.screenshot(QFile::encodeName(path).toStdString(), error))
            QMessageBox::warning(this, QStringLiteral(u"保存视图图片"), QFile::decodeName(error.c_str()));
    });
    picture->setObjectName(QStringLiteral("savePictureAction"));
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral(u"退出"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* view = menuBar()->addMenu(QStringLiteral(u"视图(&V)"));
    QAction* home = view->addAction(QStringLiteral(u"全图"), this, [this] {
        _host.home();
        _view->update();
    });
    home->setShortcut(Qt::Key_Home);
    home->setToolTip(QStringLiteral(u"回到全图视角：整个管网，自南向北俯视"));
    _frameRate = view->addAction(QStringLiteral(u"显示帧率"));
    _frameRate->setCheckable(true);
    _frameRate->setChecked(QSettings().value(QStringLiteral("view/frameRate"), false).toBool());
    view->addSeparator();
    _menuDocks = view;

    menuBar()->addMenu(QStringLiteral(u"工具(&T)"))->setObjectName(QStringLiteral("toolsMenu"));
    QMenu* help = menuBar()->addMenu(QStringLiteral(u"帮助(&H)"));
    help->addAction(QStringLiteral(u"关于"), this, [this] {
        QMessageBox::about(this, QStringLiteral("pipeviewer"),
                           QStringLiteral(u"地下管网三维浏览：开挖、隧道、横断面、地下浏览、图层与流向。\n"
                                          u"左键拖动旋转，右键拖动缩放，滚轮缩放，空格或 Home 回到全图。"));
    });
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral(u"工具"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(28, 28));
    QMenu* menu = menuBar()->findChild<QMenu*>(QStringLiteral("toolsMenu"));
    // The point-collecting tools stay active (checked) until another is chosen or Esc is
    // pressed; browsing is one of two ways; the others act once.
    for (const ToolIcons::Tool& tool : ToolIcons::tools()) {
        const std::string name = tool.command;
        QAction* action = new QAction(ToolIcons::icon(tool), tool.label, this);
        action->setObjectName(QStringLiteral("tool:") + gbkToQString(name));
        action->setToolTip(tool.toolTip);
        const bool browsing = name == "地下浏览" || name == "地上浏览";
        action->setCheckable(tool.mode && !browsing);
        if (action->isCheckable()) {
            _modes->addAction(action);
            connect(action, &QAction::toggled, this,
                    [this, name](bool checked) { activateTool(name, checked); });
        } else if (browsing) {
            // Which way the camera browses: one of the two, shown checked.
            action->setCheckable(true);
            action->setChecked(name == "地上浏览");
            _browsing->addAction(action);
            connect(action, &QAction::triggered, this, [this, name] { oneShotTool(name); });
        } else if (name == HighlightTool) {
            connect(action, &QAction::triggered, this, [this] {
                _searchBox->setFocus();
                _searchBox->selectAll();
            });
        } else if (name == OpacityTool) {
            connect(action, &QAction::triggered, this,
                    [this] { _opacity->setValue(_opacity->value() >= 100 ? 50 : 100); });
        } else if (name == LayerTool) {
            connect(action, &QAction::triggered, this, [this] {
                if (QDockWidget* dock = findChild<QDockWidget*>(QStringLiteral("layerDock")))
                    dock->show(), dock->raise();
            });
        } else {
            connect(action, &QAction::triggered, this, [this, name] { oneShotTool(name); });
        }
        _toolActions.emplace_back(name, action);
        bar->addAction(action);
        menu->addAction(action);
    }
    _identify = new QAction(ToolIcons::icon(ToolIcons::identify()), ToolIcons::identify().label, this);
    _identify->setObjectName(QStringLiteral("tool:identify"));
    _identify->setCheckable(true);
    _identify->setToolTip(ToolIcons::identify().toolTip);
    _modes->addAction(_identify);
    connect(_identify, &QAction::toggled, this, [this](bool checked) {
        if (checked)
            activateTool(std::string(), true);
    });
    bar->addAction(_identify);
    menu->addAction(_identify);
    menu->addSeparator();
    menu->addAction(QStringLiteral(u"删除隧道"), this, [this] { messageTool("创建隧道", "删除隧道"); });
    menu->addAction(QStringLiteral(u"删除沿线开挖"), this,
                    [this] { messageTool("沿线开挖", "删除沿线开挖"); });
    menu->addAction(QStringLiteral(u"删除区域开挖"), this,
                    [this] { messageTool("区域开挖", "删除区域开挖"); });
    QAction* escape = menu->addAction(QStringLiteral(u"结束工具"), this, &MainWindow::deactivateTool);
    escape->setShortcut(Qt::Key_Escape);

    bar->addSeparator();
    _searchBox = new QLineEdit(bar);
    _searchBox->setObjectName(QStringLiteral("searchBox"));
    _searchBox->setPlaceholderText(QStringLiteral(u"物探点号或 GID"));
    _searchBox->setToolTip(QStringLiteral(u"高亮显示：输入物探点号或 GID，回车后高亮并飞到该处"));
    _searchBox->setMaximumWidth(180);
    connect(_searchBox, &QLineEdit::returnPressed, this, [this] { search(_searchBox->text()); });
    bar->addWidget(_searchBox);

    bar->addSeparator();
    bar->addWidget(new QLabel(QStringLiteral(u" 地表透明度 "), bar));
    _opacity = new QSlider(Qt::Horizontal, bar);
    _opacity->setObjectName(QStringLiteral("opacitySlider"));
    _opacity->setRange(0, 100);
    _opacity->setValue(int(std::lround(_host.groundOpacity() * 100)));
    _opacity->setMaximumWidth(140);
    _opacity->setToolTip(QStringLiteral(u"地表的不透明度（%）：越小越能看到地下的管线"));
    connect(_opacity, &QSlider::valueChanged, this,
            [this](int value) { messageTool(OpacityTool, "Opacity:" + std::to_string(value)); });
    bar->addWidget(_opacity);
}

void MainWindow::buildDocks() {
    auto* layerDock = new QDockWidget(QStringLiteral(u"图层"), this);
    layerDock->setObjectName(QStringLiteral("layerDock"));
    auto* layers = new QSplitter(Qt::Vertical, layerDock);
    _layerPanel = new LayerPanel(layers);
    _lineLayers = new LineLayersPanel(layers);
    layers->addWidget(_layerPanel);
    layers->addWidget(_lineLayers);
    layers->setStretchFactor(0, 3);
    layers->setStretchFactor(1, 1);
    layerDock->setWidget(layers);
    addDockWidget(Qt::LeftDockWidgetArea, layerDock);
    connect(_layerPanel, &LayerPanel::layerMessage, this,
            [this](const QByteArray& text) { messageTool(LayerTool, text.toStdString()); });
    connect(
        _lineLayers, &LineLayersPanel::controlMessage, this, [this](const QByteArray& text, bool removal) {
            if (CXControl* control = _host.control())
                removal ? control->postRemoval(text.toStdString()) : control->postMessage(text.toStdString());
            _view->update();
        });
    _menuDocks->addAction(layerDock->toggleViewAction());

    auto* identifyDock = new QDockWidget(QStringLiteral(u"属性"), this);
    identifyDock->setObjectName(QStringLiteral("identifyDock"));
    _identifyPanel = new IdentifyPanel(identifyDock);
    identifyDock->setWidget(_identifyPanel);
    addDockWidget(Qt::RightDockWidgetArea, identifyDock);
    identifyDock->hide();
    _menuDocks->addAction(identifyDock->toggleViewAction());

    _sectionDock = new SectionDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, _sectionDock);
    _sectionDock->hide();
    connect(_sectionDock, &SectionDock::pipeChosen, this, [this](int, const QByteArray& gid) {
        messageTool(HighlightTool, "HighLight:" + gid.toStdString());
    });
    _menuDocks->addAction(_sectionDock->toggleViewAction());
}

void MainWindow::buildStatusBar() {
    _position = new QLabel(statusBar());
    _position->setObjectName(QStringLiteral("positionLabel"));
    _depth = new QLabel(statusBar());
    _depth->setObjectName(QStringLiteral("depthLabel"));
    _fps = new QLabel(statusBar());
    _loading = new QProgressBar(statusBar());
    _loading->setObjectName(QStringLiteral("loadingBar"));
    _loading->setMaximumWidth(160);
    _loading->setTextVisible(true);
    _loading->setFormat(QStringLiteral(u"加载瓦片 %v"));
    _loading->hide();
    statusBar()->addWidget(_position, 1);
    statusBar()->addWidget(_depth);
    statusBar()->addPermanentWidget(_loading);
    statusBar()->addPermanentWidget(_fps);
    QTimer* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::updateStatus);
    timer->start(500);
    _probeTimer = new QTimer(this);
    _probeTimer->setSingleShot(true);
    _probeTimer->setInterval(60);
    connect(_probeTimer, &QTimer::timeout, this, &MainWindow::probePointer);
    _flightTimer = new QTimer(this);
    _flightTimer->setInterval(16);
    connect(_flightTimer, &QTimer::timeout, this, &MainWindow::flightStep);
}

void MainWindow::updateStatus() {
    osgDB::DatabasePager* pager = _host.viewer().getViewer()->getDatabasePager();
    const unsigned waiting = pager ? pager->getFileRequestListSize() + pager->getRequestsInProgress() +
                                         pager->getDataToMergeListSize()
                                   : 0;
    if (waiting > 0) {
        // Busy: the count of tiles waiting, with no end known in advance.
        _loading->setRange(0, 0);
        _loading->setToolTip(QStringLiteral(u"正在加载 %1 个瓦片").arg(waiting));
        _loading->show();
    } else {
        _loading->hide();
    }
    const unsigned frames = _view->takeFrameCount();
    _fps->setVisible(_frameRate->isChecked());
    if (_frameRate->isChecked())
        _fps->setText(QStringLiteral("%1 fps").arg(frames * 2));
}

QAction* MainWindow::toolAction(const std::string& name) const {
    if (name == "identify")
        return _identify;
    for (const auto& [tool, action] : _toolActions)
        if (tool == name)
            return action;
    return nullptr;
}

void MainWindow::messageTool(const std::string& tool, const std::string& text) {
    CXCommandRegistry::instance().message(tool, text);
    _view->update();
}

void MainWindow::activateTool(const std::string& name, bool checked) {
    CXCommandRegistry& registry = CXCommandRegistry::instance();
    if (!checked) {
        if (!name.empty() && registry.activeName() == name)
            registry.deactivate();
        if (_modeTool == name)
            _modeTool.clear();
        return;
    }
    // The identify mode is the host's: no tool is active while it is.
    if (name.empty())
        registry.deactivate();
    else
        registry.activate(name);
    _modeTool = name;
    QAction* action = name.empty() ? _identify : toolAction(name);
    statusBar()->showMessage(action ? action->toolTip() : QString(), 8000);
    _view->setFocus();
    _view->update();
}

void MainWindow::deactivateTool() {
    if (QAction* checked = _modes->checkedAction())
        checked->setChecked(false);
    CXCommandRegistry::instance().deactivate();
    _modeTool.clear();
    _view->update();
}

void MainWindow::oneShotTool(const std::string& name) {
    // The tool acts when it becomes active; the mode in use (if any) is taken up again.
    CXCommandRegistry& registry = CXCommandRegistry::instance();
    registry.activate(name);
    if (_modeTool.empty())
        registry.deactivate();
    else
        registry.activate(_modeTool);
    _view->update();
}

void MainWindow::chooseAndOpen() {
    QSettings settings;
    const QString start = settings.value(QStringLiteral("open/folder")).toString();
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral(u"打开管网"), start, networkFilter());
    if (path.isEmpty())
        return;
    settings.setValue(QStringLiteral("open/folder"), QFileInfo(path).absolutePath());
    openFile(path);
}

bool MainWindow::openFile(const QString& path, QString* error, bool interactive) {
    auto fail = [&](const QString& why) {
        const QString message = QStringLiteral(u"无法打开 %1：\n%2").arg(path, why);
        if (error)
            *error = message;
        if (interactive)
            QMessageBox::warning(this, QStringLiteral(u"打开管网"), message);
        return false;
    };
    const QFileInfo file(path);
    QString pipeXml = file.absoluteFilePath(), why;
    NetworkSurvey survey;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool surveyed = NetworkFile::survey(databaseOf(pipeXml, why), survey, why);
    QApplication::restoreOverrideCursor();
    if (!surveyed)
        return fail(why);
    if (file.suffix().compare(QStringLiteral("xml"), Qt::CaseInsensitive) != 0) {
        // A database: its pipe.xml is written for it, in the coordinate system the user names.
        std::string srs = OpenNetworkDialog::recentSystems().value(0).toStdString();
        if (!OpenNetworkDialog::ask(this, pipeXml, survey, srs))
            return false;
        if (!NetworkFile::write(file.absoluteFilePath(), srs, survey, pipeXml, why))
            return fail(why);
    }
    // Files are named to the system in its own encoding, as on the command line.
    std::string reason;
    const std::string xml = QFile::encodeName(pipeXml).toStdString();
    ViewSettings view;
    if (!view.read(xml, reason))
        return fail(QFile::decodeName(reason.c_str()));
    if (view.srs.empty() || view.extent.empty())
        return fail(QStringLiteral(u"pipe.xml 没有 view（srs、extent）"));
    // The network shown stays until the new one is read: the run's pipe.xml goes back if not.
    const std::string previous = _pipeXml;
    if (!_folder.usePipeXml(xml, reason))
        return fail(QFile::decodeName(reason.c_str()));
    _host.setScenery(view, xml.substr(0, xml.rfind('/')));
    const NetworkSurvey shown = _survey;
    _survey = survey;
    _surveyedFor = xml;
    if (!showNetwork(view, xml, reason)) {
        _survey = shown;
        std::string ignored;
        if (!previous.empty())
            _folder.usePipeXml(previous, ignored);
        return fail(QFile::decodeName(reason.c_str()));
    }
    updateRecent(file.absoluteFilePath());
    return true;
}

QString MainWindow::databaseOf(const QString& path, QString& error) const {
    if (QFileInfo(path).suffix().compare(QStringLiteral("xml"), Qt::CaseInsensitive) != 0)
        return path;
    std::string bytes, reason;
    if (!readPipeXmlBytes(QFile::encodeName(path).toStdString(), bytes, reason)) {
        error = QFile::decodeName(reason.c_str());
        return QString();
    }
    const QString database = gbkToQString(databasePathIn(bytes, reason));
    if (database.isEmpty()) {
        error = gbkToQString(reason);
        return QString();
    }
    // A relative path is taken from the folder of pipe.xml, where its writer meant it.
    return QFileInfo(database).isAbsolute() ? database : QFileInfo(path).absoluteDir().filePath(database);
}

bool MainWindow::showNetwork(const ViewSettings& view, const std::string& pipeXml, std::string& error) {
    const std::string baseZ = view.baseZ.empty() ? std::to_string(view.ground) : view.baseZ;
    if (!_host.loadNetwork(view.srs, view.extent, baseZ, error))
        return false;
    _pipeXml = pipeXml;
    if (_surveyedFor != pipeXml) {
        // The network the program started with: what its database holds, for the layer panel.
        QString ignored;
        _survey = NetworkSurvey();
        NetworkFile::survey(databaseOf(QFile::decodeName(pipeXml.c_str()), ignored), _survey, ignored);
    }
    _surveyedFor.clear();
    std::vector<std::string> codes;
    for (const NetworkSurvey::Kind& kind : _survey.kinds)
        codes.push_back(UtilityKinds[kind.kind].code);
    _layerPanel->setKinds(codes);
    for (const std::string& code : codes) {
        PIPEVISIBLETABLE table;
        _host.viewer().getPipeVisible(code, table);
        _layerPanel->setVisibility(code, table);
    }
    _networkName = QFileInfo(QFile::decodeName(pipeXml.c_str())).completeBaseName();
    setWindowTitle(QStringLiteral("%1 - pipeviewer").arg(_networkName));
    _view->update();
    return true;
}

void MainWindow::updateRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(QStringLiteral("recentFiles")).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > MaxRecent)
        recent.removeLast();
    settings.setValue(QStringLiteral("recentFiles"), recent);
    rebuildRecentMenu();
}

void MainWindow::rebuildRecentMenu() {
    _recentMenu->clear();
    const QStringList recent = QSettings().value(QStringLiteral("recentFiles")).toStringList();
    for (const QString& path : recent)
        _recentMenu->addAction(path, this, [this, path] { openFile(path); });
    _recentMenu->setEnabled(!recent.isEmpty());
}

bool MainWindow::search(const QString& text) {
    std::vector<Found> found;
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = FeatureRecord::find(qstringToGbk(text), found, error);
    QApplication::restoreOverrideCursor();
    if (!read || found.empty()) {
        statusBar()->showMessage(
            read ? QStringLiteral(u"没有找到 %1").arg(text.trimmed()) : gbkToQString(error), 8000);
        return false;
    }
    std::string names;
    for (const Found& match : found)
        for (const std::string& name : match.highlightNames)
            names += (names.empty() ? "" : ",") + name;
    messageTool(HighlightTool, "HighLight:" + names);
    QStringList what;
    for (const Found& match : found)
        what << gbkToQString(match.what);
    statusBar()->showMessage(
        QStringLiteral(u"找到 %1 处：%2").arg(found.size()).arg(what.join(QStringLiteral(u"；"))), 8000);
    for (const Found& match : found)
        if (match.hasPosition) {
            flyTo(match.position);
            break;
        }
    return true;
}

void MainWindow::pointerAt(int x, int y) {
    // Looked at once the pointer rests a moment: a probe costs little, but moves come fast.
    _pointer = QPoint(x, y);
    if (!_probeTimer->isActive())
        _probeTimer->start();
}

void MainWindow::probePointer() {
    const ViewProbe probe =
        ViewProbe::at(_host.viewer().getViewer(), _host.viewer().getTerrain(), _pointer.x(), _pointer.y());
    if (!probe.hit) {
        _position->clear();
        _depth->clear();
        return;
    }
    _position->setText(QStringLiteral(u"X %1  Y %2  Z %3   地面高程 %4 m")
                           .arg(probe.point.x(), 0, 'f', 2)
                           .arg(probe.point.y(), 0, 'f', 2)
                           .arg(probe.point.z(), 0, 'f', 2)
                           .arg(probe.ground, 0, 'f', 2));
    if (probe.pipe)
        _depth->setText(QStringLiteral(u"%1  GID %2  埋深 %3 m")
                            .arg(gbkToQString(probe.layerName), gbkToQString(probe.gid))
                            .arg(probe.axisDepth, 0, 'f', 2));
    else
        _depth->clear();
}

void MainWindow::flyTo(const osg::Vec3d& target) {
    const osg::Camera* camera = _host.viewer().getViewer()->getCamera();
    CameraFlight::Pose from;
    osg::Vec3d up;
    camera->getViewMatrixAsLookAt(from.eye, from.centre, up, (target - from.eye).length());
    _flight = std::make_unique<CameraFlight>(from, CameraFlight::framing(from, target));
    _flightClock.start();
    _flightTimer->start();
}

void MainWindow::flightStep() {
    if (!_flight) {
        _flightTimer->stop();
        return;
    }
    const double elapsed = _flightClock.elapsed() / 1000.0;
    const CameraFlight::Pose pose = _flight->at(elapsed);
    _host.setCamera(pose.eye, pose.centre);
    _view->update();
    if (_flight->done(elapsed)) {
        _flight.reset();
        _flightTimer->stop();
    }
}

void MainWindow::clickedAt(int x, int y) {
    if (!_identify->isChecked())
        return;
    const ViewProbe probe = ViewProbe::at(_host.viewer().getViewer(), _host.viewer().getTerrain(), x, y);
    osg::NodePath path(probe.nodePath.begin(), probe.nodePath.end());
    Feature feature;
    if (!probe.hit || !FeatureRecord::fromNodePath(path, feature)) {
        statusBar()->showMessage(QStringLiteral(u"这里没有管线或管点"), 5000);
        return;
    }
    auto* dock = findChild<QDockWidget*>(QStringLiteral("identifyDock"));
    dock->show();
    dock->raise();
    _identifyPanel->showFeature(feature);
    if (!feature.highlightName.empty())
        messageTool(HighlightTool, "HighLight:" + feature.highlightName);
}

void MainWindow::importLines() {
    ImportLinesDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CXControl* control = _host.control();
    if (!control)
        return;
    control->postMessage(dialog.message().toStdString());
    _lineLayers->addLayer(dialog.layerName(), dialog.colour());
    _view->update();
}

bool MainWindow::takeReport(const std::string& name, const std::string& payload) {
    // Asked outside the frame that reported: the dialog runs an event loop of its own.
    QTimer::singleShot(0, this, [this, name, payload] { answerPending(name, payload); });
    return true;
}

void MainWindow::answerPending(const std::string& name, const std::string& payload) {
    ToolAnswers::Settings settings = _host.answers().settings();
    if (ToolDialogs::asks(name)) {
        if (!ToolDialogs::ask(this, name, settings)) {
            // Nothing is dug: the tool lets go of its outline and, still chosen, starts afresh.
            statusBar()->showMessage(QStringLiteral(u"已取消：%1").arg(gbkToQString(name)), 8000);
            CXCommandRegistry& registry = CXCommandRegistry::instance();
            const std::string active = registry.activeName();
            registry.deactivate();
            if (!active.empty())
                registry.activate(active);
            _view->update();
            return;
        }
        _host.answers().setSettings(settings);
    }
    std::string problem;
    if (!_host.answerReport(name, payload, problem) && !problem.empty())
        statusBar()->showMessage(gbkToQString(problem), 8000);
    _view->update();
}

void MainWindow::sectionReady(const CrossSection& section) {
    _sectionDock->showSection(section);
    _sectionDock->show();
    _sectionDock->raise();
}

void MainWindow::saveLayout() const {
    QSettings settings;
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("view/frameRate"), _frameRate->isChecked());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveLayout();
    event->accept();
}
