#include "ViewWidget.h"

#include "Selmor/CXViewer.h"

#include <osgDB/DatabasePager>
#include <osgGA/EventQueue>
#include <osgViewer/CompositeViewer>
#include <osgViewer/GraphicsWindow>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>

namespace {

unsigned buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::RightButton:
        return 3;
    default:
        return 0;
    }
}

int keyOf(const QKeyEvent& event) {
    using Key = osgGA::GUIEventAdapter::KeySymbol;
    switch (event.key()) {
    case Qt::Key_Home:
        return Key::KEY_Home;
    case Qt::Key_Left:
        return Key::KEY_Left;
    case Qt::Key_Right:
        return Key::KEY_Right;
    case Qt::Key_Up:
        return Key::KEY_Up;
    case Qt::Key_Down:
        return Key::KEY_Down;
    case Qt::Key_Shift:
        return Key::KEY_Shift_L;
    case Qt::Key_Control:
        return Key::KEY_Control_L;
    case Qt::Key_Alt:
        return Key::KEY_Alt_L;
    case Qt::Key_Space:
        return Key::KEY_Space;
    default:
        break;
    }
    const QString text = event.text();
    return text.size() == 1 && text[0].unicode() < 128 ? text[0].unicode() : 0;
}

unsigned modifiersOf(Qt::KeyboardModifiers modifiers) {
    unsigned mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= osgGA::GUIEventAdapter::MODKEY_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= osgGA::GUIEventAdapter::MODKEY_CTRL;
    if (modifiers & Qt::AltModifier)
        mask |= osgGA::GUIEventAdapter::MODKEY_ALT;
    return mask;
}

} // namespace

ViewWidget::ViewWidget(HostApp& host, QWidget* parent)
    : QOpenGLWidget(parent), _host(host), _timer(new QTimer(this)) {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8); // the digs cut the ground with a stencil mask
    setFormat(format);
    // The framebuffer keeps the last frame: Qt may show it again without a new one.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    _host.setSurface(this);
    connect(_timer, &QTimer::timeout, this, &ViewWidget::tick);
    _timer->start(15);
}

ViewWidget::~ViewWidget() {
    _host.setSurface(nullptr);
}

void ViewWidget::beginFrame(unsigned& framebuffer) {
    makeCurrent();
    _frameOwned = true;
    framebuffer = defaultFramebufferObject();
}

void ViewWidget::endFrame() {
    _frameOwned = false;
    ++_frames;
    doneCurrent();
    update();
}

unsigned ViewWidget::takeFrameCount() {
    unsigned frames = _frames;
    _frames = 0;
    return frames;
}

void ViewWidget::initializeGL() {}

void ViewWidget::paintGL() {
    if (_frameOwned)
        return;
    ++_frames;
    _host.paint(defaultFramebufferObject());
}

void ViewWidget::resizeGL(int width, int height) {
    const qreal ratio = devicePixelRatioF();
    _host.resize(int(width * ratio), int(height * ratio));
}

void ViewWidget::tick() {
    // A frame when the view asks for one: input waiting, the camera moving on, tiles to
    // request, load or merge.
    osgViewer::CompositeViewer* viewer = _host.viewer().getCompositeViewer();
    osgDB::DatabasePager* pager = _host.viewer().getViewer()->getDatabasePager();
    const bool paging =
        pager && (pager->requiresUpdateSceneGraph() || pager->getRequestsInProgress() ||
                  pager->getFileRequestListSize() > 0 || pager->getDataToCompileListSize() > 0);
    if (isVisible() && (paging || viewer->checkNeedToDoFrame()))
        update();
}

bool ViewWidget::pointer(const QPoint& at, float& x, float& y) const {
    const qreal ratio = devicePixelRatioF();
    x = float(at.x() * ratio);
    y = float(at.y() * ratio);
    return _host.embeddedWindow() != nullptr;
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    float x, y;
    _pressedAt = event->pos();
    if (pointer(event->pos(), x, y))
        _host.embeddedWindow()->getEventQueue()->mouseButtonPress(x, y, buttonOf(event->button()));
    update();
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    float x, y;
    if (pointer(event->pos(), x, y))
        _host.embeddedWindow()->getEventQueue()->mouseButtonRelease(x, y, buttonOf(event->button()));
    update();
    if (event->button() == Qt::LeftButton && (event->pos() - _pressedAt).manhattanLength() <= 3)
        emit clicked(int(x), int(y));
}

void ViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    float x, y;
    if (pointer(event->pos(), x, y))
        _host.embeddedWindow()->getEventQueue()->mouseDoubleButtonPress(x, y, buttonOf(event->button()));
    update();
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    float x, y;
    if (!pointer(event->pos(), x, y))
        return;
    _host.embeddedWindow()->getEventQueue()->mouseMotion(x, y);
    update();
    emit pointerMoved(int(x), int(y));
}

void ViewWidget::wheelEvent(QWheelEvent* event) {
    if (!_host.embeddedWindow())
        return;
    const int delta = event->angleDelta().y();
    if (delta != 0)
        _host.embeddedWindow()->getEventQueue()->mouseScroll(delta > 0 ? osgGA::GUIEventAdapter::SCROLL_UP
                                                                       : osgGA::GUIEventAdapter::SCROLL_DOWN);
    update();
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        return;
    }
    const int key = keyOf(*event);
    if (!_host.embeddedWindow() || key == 0)
        return QOpenGLWidget::keyPressEvent(event);
    _host.embeddedWindow()->getEventQueue()->getCurrentEventState()->setModKeyMask(
        modifiersOf(event->modifiers()));
    _host.embeddedWindow()->getEventQueue()->keyPress(key);
    update();
}

void ViewWidget::keyReleaseEvent(QKeyEvent* event) {
    const int key = keyOf(*event);
    if (!_host.embeddedWindow() || key == 0 || event->isAutoRepeat())
        return QOpenGLWidget::keyReleaseEvent(event);
    _host.embeddedWindow()->getEventQueue()->keyRelease(key);
    update();
}
