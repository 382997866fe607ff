#include "app/window/SectionPlot.h"

#include "network/UtilityKind.h"
#include "section/SectionTable.h"
#include "text/GbkText.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
const QColor Earth(0xE8, 0xDC, 0xC8), GroundLine(0x5A, 0x3C, 0x1E), Axis(0x40, 0x40, 0x40),
    Grid(0xD8, 0xD8, 0xD8), Ink(0x20, 0x20, 0x20), Breach(0xD0, 0x00, 0x00), Chosen(0x00, 0x60, 0xD0);
constexpr double MinPipe = 4.0; // pixels: a thin cable still shows and can be clicked

// A round step of about `span / count`: 1, 2 or 5 times a power of ten.
double niceStep(double span, double count) {
    double raw = span / std::max(count, 1.0), power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10.0 * power;
}
QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}
// The round values from `from` to `to` a step apart, counted rather than summed so that
// heights far from zero still move on; never more than a screenful.
std::vector<double> ticks(double from, double to, double step) {
    std::vector<double> values;
    for (double k = std::ceil(from / step - 1e-9); k * step <= to + 1e-9 && values.size() < 200; ++k)
        values.push_back(k * step);
    return values;
}
int decimalsFor(double step) {
    return step >= 1.0 ? 0 : std::min(3, int(std::ceil(-std::log10(step) - 1e-9)));
}
// The heights the drawing must show: the ground and every pipe, with some room around.
bool heightRange(const CrossSection& s, double& low, double& high) {
    low = 1e300, high = -1e300;
    for (const CrossSection::GroundPoint& g : s.ground)
        if (std::isfinite(g.height))
            low = std::min(low, g.height), high = std::max(high, g.height);
    for (const CrossSection::Row& r : s.rows)
        if (std::isfinite(r.ground - r.depthBottom) && std::isfinite(r.ground - r.depthTop))
            low = std::min(low, r.ground - r.depthBottom), high = std::max(high, r.ground - r.depthTop);
    if (low > high)
        return false;
    low -= 0.5, high += 0.3;
    return true;
}
bool drawable(const CrossSection& s) {
    double low, high;
    return s.message.empty() && s.length > 0.0 && std::isfinite(s.length) && heightRange(s, low, high);
}
QColor kindColour(int kind) {
    const unsigned char* c = UtilityKinds[kind].colour;
    return QColor(c[0], c[1], c[2]);
}
// The kind's name without the word for pipeline: "给水", "天然气".
QString shortName(int kind) {
    QString name = gbkToQString(UtilityKinds[kind].layerName);
    if (name.endsWith(QStringLiteral(u"管线")))
        name.chop(2);
    return name;
}
QFont fontFor(const QFont& base, const QSizeF& size) {
    QFont font(base);
    font.setPixelSize(int(std::clamp(std::min(size.width() / 60.0, size.height() / 30.0), 8.0, 12.0)));
    return font;
}
} // namespace

SectionPlot::SectionPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sectionPlot"));
    setMouseTracking(true);
    setAutoFillBackground(false);
}

void SectionPlot::setSection(const CrossSection& section) {
    _section = section;
    _shown = true;
    _exaggeration = suggestedExaggeration(section);
    _selected = _hovered = -1;
    update();
}

int SectionPlot::suggestedExaggeration(const CrossSection& section) {
    double low, high;
    if (!drawable(section) || !heightRange(section, low, high))
        return MinExaggeration;
    double factor = std::round(section.length / 3.0 / (high - low));
    return int(std::clamp(factor, double(MinExaggeration), double(MaxExaggeration)));
}

void SectionPlot::setExaggeration(int factor) {
    factor = std::clamp(factor, MinExaggeration, MaxExaggeration);
    if (factor == _exaggeration)
        return;
    _exaggeration = factor;
    update();
}

void SectionPlot::setSelectedRow(int row) {
    if (row < -1 || row >= int(_section.rows.size()))
        row = -1;
    if (row == _selected)
        return;
    _selected = row;
    update();
}

SectionPlot::Frame SectionPlot::frame(const QSizeF& size, const QFont& font) const {
    Frame f;
    double low, high;
    if (!drawable(_section) || !heightRange(_section, low, high))
        return f;
    QFontMetricsF metrics(font);
    double line = metrics.height();
    double left = metrics.horizontalAdvance(QStringLiteral("-0000.0")) + 10.0;
    f.plot = QRectF(left, line + 10.0, size.width() - left - 12.0,
                    size.height() - (line + 10.0) - 2.0 * line - 12.0);
    if (f.plot.width() < 10.0 || f.plot.height() < 10.0)
        return Frame();
    // The labels stand upright above the pipes: as tall as the longest, within reason.
    double longest = 0.0;
    for (std::size_t i = 0; i < _section.rows.size(); ++i) {
        const CrossSection::Row& r = _section.rows[i];
        QString label = shortName(r.kind) + ' ' +
                        QString::fromStdString(SectionTable::sizeText(_section, i)) + ' ' +
                        number(r.depthTop, 2);
        longest = std::max(longest, metrics.horizontalAdvance(label));
    }
    f.labelBand = _section.rows.empty() ? 0.0 : std::min(longest + 10.0, f.plot.height() * 0.4);
    f.exaggeration = _exaggeration;
    double dataHeight = f.plot.height() - f.labelBand;
    f.scale = std::min(f.plot.width() / _section.length, dataHeight / ((high - low) * f.exaggeration));
    if (!(f.scale > 0.0) || !std::isfinite(f.scale) || !std::isfinite(high - low))
        return Frame();
    // Centred in whichever direction has room to spare.
    f.left = -(f.plot.width() / f.scale - _section.length) / 2.0;
    f.top = high + (dataHeight / (f.scale * f.exaggeration) - (high - low)) / 2.0;
    return f;
}

QRectF SectionPlot::pipeRect(const Frame& f, std::size_t index) const {
    const CrossSection::Row& r = _section.rows[index];
    double half = (r.ground - r.depthTop) - r.centre; // half the cut height, metres
    double h = std::max(2.0 * half * f.scale * f.exaggeration, MinPipe);
    double w = r.shape == PipeSection::Shape::Rectangular
                   ? std::max(r.width * f.scale * f.exaggeration, MinPipe)
                   : h;
    return QRectF(f.x(r.distance) - w / 2.0, f.y(r.centre) - h / 2.0, w, h);
}

QPointF SectionPlot::toWidget(double distance, double height) const {
    Frame f = frame(size(), fontFor(font(), size()));
    return f.scale > 0.0 ? QPointF(f.x(distance), f.y(height)) : QPointF();
}

QRectF SectionPlot::pipeRect(int row) const {
    Frame f = frame(size(), fontFor(font(), size()));
    if (f.scale <= 0.0 || row < 0 || row >= int(_section.rows.size()))
        return QRectF();
    return pipeRect(f, std::size_t(row));
}

int SectionPlot::rowAt(const QPointF& point) const {
    Frame f = frame(size(), fontFor(font(), size()));
    if (f.scale <= 0.0)
        return -1;
    int best = -1;
    double nearest = 1e300;
    for (std::size_t i = 0; i < _section.rows.size(); ++i) {
        QRectF box = pipeRect(f, i).adjusted(-3, -3, 3, 3);
        double d = std::hypot(point.x() - box.center().x(), point.y() - box.center().y());
        if (box.contains(point) && d < nearest)
            best = int(i), nearest = d;
    }
    return best;
}

QImage SectionPlot::image(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, size);
    return image;
}

void SectionPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paint(painter, size());
}

void SectionPlot::paint(QPainter& p, const QSizeF& size) const {
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = fontFor(this->font(), size);
    p.setFont(font);
    QFontMetricsF metrics(font);
    const CrossSection& s = _section;
    Frame f = frame(size, font);
    if (f.scale <= 0.0) {
        QString words = !_shown ? QStringLiteral(u"没有横断面：在场景中画一条横断面线")
                        : !s.message.empty() ? gbkToQString(s.message)
                        : s.length > 0.0     ? QStringLiteral(u"横断面无法绘制")
                                             : QStringLiteral(u"横断面线没有长度");
        p.setPen(Ink);
        p.drawText(QRectF(QPointF(8, 8), size - QSizeF(16, 16)), Qt::AlignCenter | Qt::TextWordWrap, words);
        return;
    }
    const QRectF& plot = f.plot;
    p.save();
    p.setClipRect(plot);

    // Grid and the earth under the ground line.
    double hStep = niceStep((plot.height() - f.labelBand) / (f.scale * f.exaggeration), plot.height() / 40.0);
    double dStep = niceStep(s.length, plot.width() / 80.0);
    double bottomHeight = f.top - (plot.height() - f.labelBand) / (f.scale * f.exaggeration);
    p.setPen(QPen(Grid, 0.0));
    for (double h : ticks(bottomHeight, f.top, hStep))
        p.drawLine(QPointF(plot.left(), f.y(h)), QPointF(plot.right(), f.y(h)));
    QPolygonF ground;
    for (const CrossSection::GroundPoint& g : s.ground)
        ground << QPointF(f.x(g.distance), f.y(g.height));
    if (!ground.isEmpty()) {
        QPolygonF earth = ground;
        earth << QPointF(ground.back().x(), plot.bottom() + 1)
              << QPointF(ground.front().x(), plot.bottom() + 1);
        p.setPen(Qt::NoPen);
        p.setBrush(Earth);
        p.drawPolygon(earth);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(GroundLine, 2.0));
        p.drawPolyline(ground);
    }

    // The pipes, those along the line with their common stretch dashed.
    std::vector<QRectF> boxes;
    for (std::size_t i = 0; i < s.rows.size(); ++i)
        boxes.push_back(pipeRect(f, i));
    auto outline = [&](std::size_t i, double grow, const QPen& pen) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QRectF box = boxes[i].adjusted(-grow, -grow, grow, grow);
        if (s.rows[i].shape == PipeSection::Shape::Rectangular)
            p.drawRect(box);
        else
            p.drawEllipse(box);
    };
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const CrossSection::Row& r = s.rows[i];
        QColor colour = kindColour(r.kind);
        if (r.contact == CrossSection::Contact::Along) {
            QPen dashed(colour, 2.0, Qt::DashLine);
            p.setPen(dashed);
            p.drawLine(QPointF(f.x(r.distance), f.y(r.centre)), QPointF(f.x(r.alongTo), f.y(r.centre)));
        }
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(colour);
        if (r.shape == PipeSection::Shape::Rectangular)
            p.drawRect(boxes[i]);
        else
            p.drawEllipse(boxes[i]);
    }

    // Pipes too close: ringed, joined by a dashed line, the gap against what is needed.
    for (const CrossSection::Clearance& c : s.clearances) {
        if (c.first >= s.rows.size() || c.second >= s.rows.size())
            continue;
        outline(c.first, 3.0, QPen(Breach, 1.5));
        outline(c.second, 3.0, QPen(Breach, 1.5));
        QPointF a = boxes[c.first].center(), b = boxes[c.second].center();
        p.setPen(QPen(Breach, 1.5, Qt::DashLine));
        p.drawLine(a, b);
        QString words = number(c.gap, 2) + " < " + number(c.required, 2) + " m";
        QPointF middle = (a + b) / 2.0;
        double lowest = std::max(boxes[c.first].bottom(), boxes[c.second].bottom()) + 6.0;
        p.setPen(Breach);
        p.drawText(QPointF(middle.x() - metrics.horizontalAdvance(words) / 2.0, lowest + metrics.ascent()),
                   words);
    }
    if (_hovered >= 0 && _hovered != _selected && _hovered < int(boxes.size()))
        outline(std::size_t(_hovered), 2.0, QPen(Chosen, 1.0, Qt::DotLine));
    if (_selected >= 0 && _selected < int(boxes.size()))
        outline(std::size_t(_selected), 2.5, QPen(Chosen, 2.5));

    // Labels upright in the band above, spread apart and led down to their pipes.
    double spacing = metrics.height() + 1.0, bandBottom = plot.top() + f.labelBand;
    std::vector<double> labelX;
    for (const QRectF& box : boxes)
        labelX.push_back(
            std::max(box.center().x(), labelX.empty() ? plot.left() + 4 : labelX.back() + spacing));
    for (std::size_t i = labelX.size(); i-- > 0;)
        labelX[i] =
            std::max(plot.left() + 4,
                     std::min(labelX[i], i + 1 < labelX.size() ? labelX[i + 1] - spacing : plot.right() - 4));
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const CrossSection::Row& r = s.rows[i];
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.6));
        p.drawLine(QPointF(labelX[i], bandBottom - 2), QPointF(boxes[i].center().x(), boxes[i].top() - 1));
        QString label = shortName(r.kind) + ' ' + QString::fromStdString(SectionTable::sizeText(s, i)) + ' ' +
                        number(r.depthTop, 2);
        label = metrics.elidedText(label, Qt::ElideRight, f.labelBand - 6.0);
        QFont labelFont = font;
        labelFont.setBold(int(i) == _selected);
        p.setFont(labelFont);
        p.setPen(int(i) == _selected ? Chosen : Ink);
        p.save();
        p.translate(labelX[i] + metrics.ascent() / 2.0 - 1.0, bandBottom - 4);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), label);
        p.restore();
        p.setFont(font);
    }
    if (s.rows.empty()) {
        p.setPen(Ink);
        p.drawText(plot.adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral(u"线下没有管线"));
    }
    p.restore();

    // Axes, their ticks in round metres, the title.
    p.setPen(QPen(Axis, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    int dDecimals = decimalsFor(dStep), hDecimals = decimalsFor(hStep);
    for (double d : ticks(0.0, s.length, dStep)) {
        double x = f.x(d);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        QString words = number(d, dDecimals);
        p.drawText(QPointF(x - metrics.horizontalAdvance(words) / 2.0, plot.bottom() + 4 + metrics.ascent()),
                   words);
    }
    for (double h : ticks(bottomHeight, f.top, hStep)) {
        double y = f.y(h);
        p.drawLine(QPointF(plot.left() - 4, y), QPointF(plot.left(), y));
        QString words = number(h, hDecimals);
        p.drawText(
            QPointF(plot.left() - 6 - metrics.horizontalAdvance(words), y + metrics.ascent() / 2.0 - 1),
            words);
    }
    p.setPen(Ink);
    p.drawText(QRectF(plot.left(), plot.bottom() + 4 + metrics.height(), plot.width(), metrics.height() + 4),
               Qt::AlignHCenter | Qt::AlignTop, QStringLiteral(u"距 A 点距离 (m)"));
    p.drawText(QPointF(4, metrics.ascent() + 2), QStringLiteral(u"高程 (m)"));
    QString title =
        QStringLiteral(u"横断面 A—B  %1 m    垂直放大 %2 倍").arg(number(s.length, 2)).arg(_exaggeration);
    if (!s.clearances.empty())
        title += QStringLiteral(u"    净距不足 %1 处").arg(s.clearances.size());
    p.drawText(QRectF(plot.left(), 2, plot.width(), metrics.height() + 4), Qt::AlignRight | Qt::AlignTop,
               title);
}

void SectionPlot::mouseMoveEvent(QMouseEvent* event) {
    int row = rowAt(event->localPos());
    if (row != _hovered) {
        _hovered = row;
        setCursor(row >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (row >= 0) {
            const CrossSection::Row& r = _section.rows[std::size_t(row)];
            setToolTip(QString::number(row + 1) + "  " + shortName(r.kind) + "  " + gbkToQString(r.gid) +
                       QStringLiteral(u"\n管顶埋深 ") + number(r.depthTop, 2) +
                       QStringLiteral(u" m，管底埋深 ") + number(r.depthBottom, 2) + " m");
        } else {
            setToolTip(QString());
        }
        update();
    }
}

void SectionPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    int row = rowAt(event->localPos());
    if (row < 0)
        return;
    setSelectedRow(row);
    emit pipeClicked(row);
}

void SectionPlot::leaveEvent(QEvent*) {
    if (_hovered >= 0) {
        _hovered = -1;
        update();
    }
}
