#pragma once

#include "app/HostApp.h"
#include "app/NetworkFile.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPoint>
#include <QString>

#include <osg/Vec3d>

#include <memory>
#include <string>
#include <vector>

class CameraFlight;
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSlider;
class RunFolder;
class IdentifyPanel;
class LayerPanel;
class LineLayersPanel;
class SectionDock;
struct ViewSettings;
class ViewWidget;

// The desktop window around the host: the 3D view, the menus and tool bar with the twelve
// tools, the panels (layers, line layers, identify, cross-section) and the status bar.
// Everything it does to the scene goes through the host and the tools' messages, as a
// script's commands do.
class MainWindow : public QMainWindow, private HostApp::Observer {
    Q_OBJECT
public:
    MainWindow(HostApp& host, RunFolder& folder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a pipe.xml, or a database file (a pipe.xml is written for it after asking for
    // its coordinate system). On failure the reason is shown (`interactive`) and returned,
    // and the network shown stays. True when the network is shown.
    bool openFile(const QString& path, QString* error = nullptr, bool interactive = true);
    // Shows the network of the pipe.xml already in the run's folder, over `view`'s extent
    // (the ground set up already); the title names it after `pipeXml`. False with a reason.
    bool showNetwork(const ViewSettings& view, const std::string& pipeXml, std::string& error);

    ViewWidget* view() const { return _view; }
    // The tool's action by command name (GBK), or the host's identify mode for "identify".
    QAction* toolAction(const std::string& name) const;
    // Sends a tool a message (GBK), as the panels and dialogs do.
    void messageTool(const std::string& tool, const std::string& text);
    // Highlights the features a user typed (survey number or GID) and flies there.
    bool search(const QString& text);
    // Flies the camera to frame a world point, over about a second.
    void flyTo(const osg::Vec3d& target);
    bool flying() const { return _flight != nullptr; }

    static constexpr int MaxRecent = 10;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool takeReport(const std::string& name, const std::string& payload) override;
    void sectionReady(const CrossSection& section) override;

    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildDocks();
    void importLines();
    // The database a file to open names (itself when it is one); empty with a reason.
    QString databaseOf(const QString& path, QString& error) const;
    void activateTool(const std::string& name, bool checked);
    void deactivateTool();
    void oneShotTool(const std::string& name);
    void chooseAndOpen();
    void updateRecent(const QString& path);
    void rebuildRecentMenu();
    void updateStatus();
    void pointerAt(int x, int y);
    void probePointer();
    void flightStep();
    void clickedAt(int x, int y);
    void saveLayout() const;
    void answerPending(const std::string& name, const std::string& payload);

    HostApp& _host;
    RunFolder& _folder;
    ViewWidget* _view;
    QActionGroup* _modes;    // the tools that stay active, and the identify mode
    QActionGroup* _browsing; // underground or above ground
    std::vector<std::pair<std::string, QAction*>> _toolActions;
    QAction* _identify = nullptr;
    QAction* _frameRate = nullptr;
    QMenu* _recentMenu = nullptr;
    QMenu* _menuDocks = nullptr; // View: the panels
    QLineEdit* _searchBox = nullptr;
    QSlider* _opacity = nullptr;
    QLabel* _position = nullptr;
    QLabel* _depth = nullptr;
    QLabel* _fps = nullptr;
    QProgressBar* _loading = nullptr;
    QString _networkName;
    std::string _pipeXml; // the one shown, GBK
    NetworkSurvey _survey;
    std::string _surveyedFor; // the pipe.xml _survey was read for, until it is shown
    SectionDock* _sectionDock = nullptr;
    LayerPanel* _layerPanel = nullptr;
    LineLayersPanel* _lineLayers = nullptr;
    IdentifyPanel* _identifyPanel = nullptr;
    QTimer* _probeTimer = nullptr;
    QPoint _pointer;
    QTimer* _flightTimer = nullptr;
    QElapsedTimer _flightClock;
    std::unique_ptr<CameraFlight> _flight;
    std::string _modeTool; // the command active as a mode, GBK
};
