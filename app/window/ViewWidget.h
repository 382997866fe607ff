#pragma once

#include "app/HostApp.h"

#include <QOpenGLWidget>
#include <QPoint>

class QTimer;

// The 3D view inside the window: the host's embedded view drawn into this widget's
// framebuffer, the mouse and keys handed to the view's event queue (the camera and the
// active tool get them as from an osgViewer window). Frames are drawn while something
// changes (input, paging, an animation); an idle view draws nothing.
class ViewWidget : public QOpenGLWidget, public HostApp::Surface {
    Q_OBJECT
public:
    explicit ViewWidget(HostApp& host, QWidget* parent = nullptr);
    ~ViewWidget() override;

    void beginFrame(unsigned& framebuffer) override;
    void endFrame() override;

    // A frame counter for the frame rate: frames drawn since the last call.
    unsigned takeFrameCount();

signals:
    // The pointer is over pixel (x, y) of the view (device pixels, from the top left).
    void pointerMoved(int x, int y);
    // A left click that did not move the pointer (not a drag that turned the camera).
    void clicked(int x, int y);
    void escapePressed();

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int width, int height) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void tick();
    bool pointer(const QPoint& at, float& x, float& y) const;

    HostApp& _host;
    QTimer* _timer;
    bool _frameOwned = false; // a frame the host runs on its own holds the context
    QPoint _pressedAt;
    unsigned _frames = 0;
};
