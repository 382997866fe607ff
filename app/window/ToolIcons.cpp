#include "app/window/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Earth(150, 112, 70), Grass(96, 150, 70), Cut(70, 50, 35), Concrete(170, 170, 165);
const QColor Water(40, 110, 220), Gas(230, 190, 30), Power(220, 60, 50), Flow(0, 150, 150);

void ground(QPainter& p, double top, int alpha = 255) {
    QColor earth = Earth;
    earth.setAlpha(alpha);
    p.fillRect(QRectF(0, top, 32, 32 - top), earth);
    p.setPen(QPen(Grass, 2));
    p.drawLine(QPointF(0, top), QPointF(32, top));
}

void pipe(QPainter& p, QPointF from, QPointF to, const QColor& colour, double width = 5) {
    p.setPen(QPen(colour.darker(130), width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(colour.lighter(150), width / 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from - QPointF(0, width / 4), to - QPointF(0, width / 4));
}

void dots(QPainter& p, const QPolygonF& points) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    for (const QPointF& point : points)
        p.drawEllipse(point, 2.2, 2.2);
}

void eye(QPainter& p, QPointF at) {
    QPainterPath lids;
    lids.moveTo(at + QPointF(-9, 0));
    lids.quadTo(at + QPointF(0, -9), at + QPointF(9, 0));
    lids.quadTo(at + QPointF(0, 9), at + QPointF(-9, 0));
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(lids);
    p.setBrush(QColor(40, 70, 140));
    p.drawEllipse(at, 3.2, 3.2);
}

void chevrons(QPainter& p, double y, std::initializer_list<double> xs) {
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (double x : xs)
        p.drawPolyline(QPolygonF({{x - 3, y - 4}, {x + 1, y}, {x - 3, y + 4}}));
}

void drawOpacity(QPainter& p) {
    pipe(p, {2, 22}, {30, 22}, Water);
    p.fillRect(QRectF(0, 12, 16, 20), Earth);
    ground(p, 12, 90);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPie(QRectF(19, 1, 10, 10), 90 * 16, 180 * 16);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(19, 1, 10, 10));
}

void drawTunnel(QPainter& p) {
    ground(p, 8);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Concrete.darker(120));
    p.drawPolygon(QPolygonF({{8, 15}, {14, 11}, {28, 11}, {22, 15}}));
    p.drawPolygon(QPolygonF({{22, 15}, {28, 11}, {28, 21}, {22, 26}}));
    p.setBrush(Concrete);
    p.drawRect(QRectF(6, 15, 16, 11));
    p.setBrush(Cut);
    p.drawRect(QRectF(9, 18, 10, 6));
}

void drawTestDig(QPainter& p) {
    ground(p, 14);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Cut);
    p.drawPolygon(QPolygonF({{5, 14}, {21, 14}, {18, 28}, {8, 28}}));
    p.setPen(QPen(QColor(120, 80, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29, 2), QPointF(21, 10));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(160, 160, 170));
    p.drawPolygon(QPolygonF({{21, 7}, {24, 10}, {19, 16}, {15, 12}}));
}

void drawTransect(QPainter& p) {
    ground(p, 12);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Water);
    p.drawEllipse(QPointF(8, 20), 3.5, 3.5);
    p.setBrush(Gas);
    p.drawEllipse(QPointF(17, 24), 3, 3);
    p.setBrush(Power);
    p.drawEllipse(QRectF(22, 17, 7, 5));
    p.setPen(QPen(Power, 2, Qt::DashLine));
    p.drawLine(QPointF(3, 5), QPointF(29, 5));
    dots(p, QPolygonF() << QPointF(3, 5) << QPointF(29, 5));
}

void drawUnderGround(QPainter& p) {
    ground(p, 12);
    pipe(p, {2, 28}, {30, 28}, Water, 4);
    eye(p, {16, 19});
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(16, 1), QPointF(16, 8));
    p.drawPolyline(QPolygonF({{13, 5}, {16, 8}, {19, 5}}));
}

void drawUpGround(QPainter& p) {
    ground(p, 22);
    eye(p, {16, 13});
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(16, 1), QPointF(16, 5));
    p.drawPolyline(QPolygonF({{13, 4}, {16, 1}, {19, 4}}));
}

void drawHighLight(QPainter& p) {
    pipe(p, {3, 27}, {14, 16}, QColor(140, 140, 140));
    p.setPen(QPen(QColor(0, 255, 255, 90), 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 16), QPointF(27, 4));
    pipe(p, {14, 16}, {27, 4}, QColor(0, 230, 230));
    p.setPen(QPen(QColor(250, 200, 0), 1.5));
    for (auto ray : {QLineF(6, 4, 9, 7), QLineF(4, 11, 8, 11), QLineF(12, 2, 12, 6)})
        p.drawLine(ray);
}

void drawAlongDig(QPainter& p) {
    const QPolygonF line({{4, 27}, {13, 13}, {28, 17}});
    p.setPen(QPen(Cut, 8, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(line);
    p.setPen(QPen(Power, 1.5, Qt::DashLine));
    p.drawPolyline(line);
    dots(p, line);
}

void drawRegionDig(QPainter& p) {
    const QPolygonF region({{5, 10}, {18, 4}, {28, 13}, {23, 27}, {8, 25}});
    p.setPen(QPen(Power, 1.5));
    p.setBrush(Cut);
    p.drawPolygon(region);
    dots(p, region);
}

void drawPipeLayers(QPainter& p) {
    const QColor colours[] = {Power, Gas, Water};
    for (int i = 0; i < 3; ++i) {
        const double y = 6 + 8 * i;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colours[i]);
        p.drawPolygon(QPolygonF({{16, y - 4}, {30, y + 2}, {16, y + 8}, {2, y + 2}}));
    }
}

void drawShowDir(QPainter& p) {
    pipe(p, {3, 16}, {29, 16}, Flow, 10);
    chevrons(p, 16, {10, 18, 26});
}

void drawCancelDir(QPainter& p) {
    drawShowDir(p);
    p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.drawLine(QPointF(7, 25), QPointF(25, 7));
}

void drawIdentify(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{3, 3}, {3, 21}, {8, 16}, {12, 24}, {15, 23}, {11, 15}, {18, 15}}));
    p.setBrush(QColor(40, 100, 200));
    p.drawEllipse(QPointF(23, 22), 8, 8);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(23, 17.5));
    p.drawLine(QPointF(23, 21), QPointF(23, 26.5));
}

} // namespace

namespace ToolIcons {

const std::vector<Tool>& tools() {
    static const std::vector<Tool> all = {
        {"地下浏览", QStringLiteral(u"地下浏览"),
         QStringLiteral(
             u"地下浏览：在地面以下漫游，从下方查看管线。\n"
             "Underground browsing: move the camera beneath the ground and look at the pipes from below."),
         true, drawUnderGround},
        {"地上浏览", QStringLiteral(u"地上浏览"),
         QStringLiteral(u"地上浏览：回到地面以上的浏览方式。\nAbove-ground browsing: move the camera above "
                        u"the ground again."),
         true, drawUpGround},
        {"地表透明度", QStringLiteral(u"地表透明度"),
         QStringLiteral(u"地表透明度：设置地面的不透明度，透过地面查看地下管线。\n"
                        "Ground opacity: set how opaque the ground is, to see the pipes beneath it."),
         false, drawOpacity},
        {"管线图层管理", QStringLiteral(u"管线图层管理"),
         QStringLiteral(u"管线图层管理：按图层显示或隐藏管线、井盖和井室。\n"
                        "Pipe layers: show or hide the pipes, lids and chambers of each network."),
         false, drawPipeLayers},
        {"高亮显示", QStringLiteral(u"高亮显示"),
         QStringLiteral(u"高亮显示：按名称将管段、管件或管井显示为青色。\n"
                        "Highlight: colour the named pipes, fittings or wells cyan."),
         false, drawHighLight},
        {"横断面", QStringLiteral(u"横断面"),
         QStringLiteral(
             u"横断面：左键点取断面线起点，移动鼠标后右键结束，查看断面切过的管线；再次右键清除断面线。\n"
             "Cross-section: left-click where the line starts, move and right-click where it ends to "
             "see the pipes it cuts; right-click again to clear the line."),
         true, drawTransect},
        {"测试开挖", QStringLiteral(u"测试开挖"),
         QStringLiteral(u"测试开挖：左键依次点取坑口的角点（至少三个），右键结束，挖出 5 米深的试坑。\n"
                        "Test dig: left-click the corners of the pit (three or more), right-click to finish; "
                        "a pit 5 m deep is dug."),
         true, drawTestDig},
        {"沿线开挖", QStringLiteral(u"沿线开挖"),
         QStringLiteral(
             u"沿线开挖：左键依次点取沟槽的中线，右键结束，再输入沟宽和深度。\n"
             "Dig along a line: left-click the points of the trench's line, right-click to finish, "
             "then give its width and depth."),
         true, drawAlongDig},
        {"区域开挖", QStringLiteral(u"区域开挖"),
         QStringLiteral(
             u"区域开挖：左键依次点取开挖区域的角点，右键结束，再输入深度。\n"
             "Dig a region: left-click the corners of the area, right-click to finish, then give the depth."),
         true, drawRegionDig},
        {"创建隧道", QStringLiteral(u"创建隧道"),
         QStringLiteral(
             u"创建隧道：左键依次点取隧道中线，右键结束，再输入宽度、高度和顶部埋深。\n"
             "Create a tunnel: left-click the points of its centre line, right-click to finish, then "
             "give its width, height and the depth of its top below ground."),
         true, drawTunnel},
        {"显示流向", QStringLiteral(u"显示流向"),
         QStringLiteral(u"显示流向：排水管线上显示沿流动方向移动的色带。\n"
                        "Show flow: bands move along the drainage pipes in the direction of flow."),
         false, drawShowDir},
        {"取消流向", QStringLiteral(u"取消流向"),
         QStringLiteral(u"取消流向：不再显示排水管线的流向。\nCancel flow: stop showing the flow in the "
                        u"drainage pipes."),
         false, drawCancelDir},
    };
    return all;
}

const Tool* find(const std::string& command) {
    for (const Tool& tool : tools())
        if (command == tool.command)
            return &tool;
    return nullptr;
}

const Tool& identify() {
    static const Tool tool = {
        "", QStringLiteral(u"查询"),
        QStringLiteral(u"查询：移动鼠标查看光标下的管线、坐标和埋深，左键点取查看其属性。\n"
                       "Identify: point at the view to see the pipe, position and depth under the cursor; "
                       "left-click to list its properties."),
        true, drawIdentify};
    return tool;
}

QIcon icon(const Tool& tool) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        tool.draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon icon(const std::string& command) {
    const Tool* tool = find(command);
    return tool ? icon(*tool) : QIcon();
}

} // namespace ToolIcons
