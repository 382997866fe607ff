#include "section/SectionPicture.h"

#include "network/UtilityKind.h"
#include "section/CrossSection.h"
#include "section/SectionTable.h"
#include "text/Number.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <sstream>

namespace {
constexpr unsigned NoFill = 0xFFFFFFFF;
constexpr unsigned Red = 0xD00000;
constexpr double Left = 56, Right = 16, Top = 30, Bottom = 58;
constexpr double LabelBand = 112, LabelSpacing = 11; // the pipes' labels stand in the sky

std::string fixed(double value, int decimals) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}
// A round step of about `span / count`: 1, 2 or 5 times a power of ten.
double niceStep(double span, int count) {
    double raw = span / count, power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw)
            return m * power;
    return 10.0 * power;
}
unsigned kindColour(int kind) {
    const unsigned char* c = UtilityKinds[kind].colour;
    return (unsigned(c[0]) << 16) | (unsigned(c[1]) << 8) | c[2];
}
std::string hex(unsigned rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", rgb & 0xFFFFFF);
    return text;
}
std::string escape(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
    return out;
}
} // namespace

SectionPicture::SectionPicture(const CrossSection& s, int width, int height, double exaggeration)
    : _width(width), _height(height) {
    using Type = Mark::Type;
    auto add = [&](Type type, std::vector<double> points, unsigned rgb, unsigned fill = NoFill,
                   double line = 1.0, bool dashed = false) {
        _marks.push_back({type, std::move(points), rgb, fill, line, dashed, std::string(), 0, false});
    };
    auto text = [&](double x, double y, const std::string& words, int align = 0, unsigned rgb = 0x202020,
                    bool upright = false) {
        _marks.push_back({Type::Text, {x, y}, rgb, NoFill, 1.0, false, words, align, upright});
    };
    const double plotW = width - Left - Right, plotH = height - Top - Bottom;
    if (s.length <= 0.0) {
        text(width / 2.0, height / 2.0, "Empty section: the line has no length");
        return;
    }

    // Heights shown: the ground and every pipe with some room around.
    double low = 1e300, high = -1e300;
    for (const CrossSection::GroundPoint& g : s.ground)
        low = std::min(low, g.height), high = std::max(high, g.height);
    for (const CrossSection::Row& r : s.rows)
        low = std::min(low, r.ground - r.depthBottom), high = std::max(high, r.ground - r.depthTop);
    low -= 0.5, high += 0.3;
    double sx = plotW / s.length;
    // Heights stretched as much as fits, by a factor of one significant digit (9, 30, 0.5).
    double band = s.rows.empty() ? 0.0 : LabelBand, dataH = plotH - band;
    double fit = dataH / (high - low) / sx;
    if (exaggeration > 0.0 && std::isfinite(exaggeration)) {
        _exaggeration = exaggeration;
        sx = std::min(sx, dataH / (high - low) / exaggeration);
    } else {
        double power = std::pow(10.0, std::floor(std::log10(fit)));
        _exaggeration = std::floor(fit / power + 1e-9) * power;
    }
    double sy = sx * _exaggeration;
    double top = high + band / sy + (dataH / sy - (high - low)) / 2.0; // centred below the labels
    double margin = (plotW - s.length * sx) / 2.0;                     // and across, when narrowed
    auto px = [&](double d) { return Left + margin + d * sx; };
    auto py = [&](double h) { return Top + (top - h) * sy; };

    // Earth under the ground line.
    std::vector<double> earth, groundLine;
    for (const CrossSection::GroundPoint& g : s.ground)
        groundLine.push_back(px(g.distance)), groundLine.push_back(py(g.height));
    earth = groundLine;
    earth.insert(earth.end(), {px(s.length), Top + plotH, px(0), Top + plotH});
    add(Type::Polygon, earth, 0xE8DCC8, 0xE8DCC8, 0.0);
    add(Type::Polyline, groundLine, 0x5A3C1E, NoFill, 2.0);

    // Axes with round ticks.
    add(Type::Rectangle, {Left, Top, plotW, plotH}, 0x404040, NoFill, 1.0);
    double dStep = niceStep(s.length, std::clamp(int(s.length * sx / 50.0), 1, 6)); // room for the numbers
    for (double d = 0.0; d <= s.length + 1e-9; d += dStep) {
        add(Type::Polyline, {px(d), Top + plotH, px(d), Top + plotH + 4}, 0x404040);
        text(px(d), Top + plotH + 15, fixed(d, dStep < 1 ? 1 : 0));
    }
    double hStep = niceStep(plotH / sy, 5);
    // Counted, not summed: a step added to a height far from zero could leave it where it is.
    int hTicks = 0;
    for (double k = std::ceil((top - plotH / sy) / hStep); k * hStep <= top + 1e-9 && hTicks < 100;
         ++k, ++hTicks) {
        double h = k * hStep;
        add(Type::Polyline, {Left - 4, py(h), Left, py(h)}, 0x404040);
        text(Left - 6, py(h) + 4, fixed(h, hStep < 1 ? 1 : 0), 1);
    }
    text(Left + plotW / 2, Top + plotH + 30, "distance from A (m)");
    text(4, Top - 4, "height (m)", -1);
    text(Left, 13,
         "Section A-B, " + fixed(s.length, 2) + " m; vertical exaggeration " + formatDecimal(_exaggeration) +
             ":1 (pipes to the height scale)",
         -1);

    // The pipes, their labels upright in the sky, spread apart and led to their pipes.
    std::vector<double> labelX;
    for (const CrossSection::Row& r : s.rows)
        labelX.push_back(std::max(px(r.distance), labelX.empty() ? Left + 8 : labelX.back() + LabelSpacing));
    for (std::size_t i = labelX.size(); i-- > 0;)
        labelX[i] =
            std::max(Left + 8, std::min(labelX[i], i + 1 < labelX.size() ? labelX[i + 1] - LabelSpacing
                                                                         : Left + plotW - 4));
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        const CrossSection::Row& r = s.rows[i];
        unsigned colour = kindColour(r.kind);
        double half = (r.ground - r.depthTop) - r.centre; // half the cut height
        double h = std::max(2.0 * half * sy, 3.0);
        double w = r.shape == PipeSection::Shape::Rectangular ? std::max(r.width * sy, 3.0) : h;
        double x = px(r.distance), y = py(r.centre);
        if (r.contact == CrossSection::Contact::Along)
            add(Type::Polyline, {x, y, px(r.alongTo), py(r.centre)}, colour, NoFill, 2.0, true);
        add(Type::Polyline, {labelX[i], Top + band - 2, x, y - h / 2 - 1}, 0x909090, NoFill, 0.6);
        add(r.shape == PipeSection::Shape::Rectangular ? Type::Rectangle : Type::Ellipse,
            {x - w / 2, y - h / 2, w, h}, 0x000000, colour, 0.8);
        std::string label = std::to_string(i + 1) + " " + UtilityKinds[r.kind].code + " " +
                            SectionTable::sizeText(s, i) + " " + fixed(r.depthTop, 2);
        text(labelX[i] + 4, Top + band - 4, label, -1, 0x202020, true);
    }

    // Pipes too close: a red ring round each and a dashed line between, listed below.
    std::string list;
    for (const CrossSection::Clearance& c : s.clearances) {
        const CrossSection::Row &a = s.rows[c.first], &b = s.rows[c.second];
        for (const CrossSection::Row* r : {&a, &b}) {
            double radius = std::max(((r->ground - r->depthTop) - r->centre) * sy, 3.0) + 4.0;
            if (r->shape == PipeSection::Shape::Rectangular)
                radius = std::max(radius, r->width * sy / 2.0 * 1.42 + 4.0);
            add(Type::Ellipse, {px(r->distance) - radius, py(r->centre) - radius, 2 * radius, 2 * radius},
                Red, NoFill, 1.5);
        }
        add(Type::Polyline, {px(a.distance), py(a.centre), px(b.distance), py(b.centre)}, Red, NoFill, 1.5,
            true);
        list += (list.empty() ? "" : "; ") + std::to_string(c.first + 1) + "-" +
                std::to_string(c.second + 1) + " " + fixed(c.gap, 2) + " < " + fixed(c.required, 2) + " m";
    }
    text(Left, height - 8.0, s.clearances.empty() ? "Clearances: all kept" : "Too close: " + list, -1,
         s.clearances.empty() ? 0x202020 : Red);
    if (s.rows.empty())
        text(Left + plotW / 2, Top + 16, "no pipe under the line");
}

std::string SectionPicture::svg() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::setprecision(6);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << _width << "\" height=\"" << _height
        << "\" viewBox=\"0 0 " << _width << ' ' << _height
        << "\" font-family=\"sans-serif\" font-size=\"10\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    for (const Mark& m : _marks) {
        std::string paint = " stroke=\"" + (m.lineWidth > 0 ? hex(m.rgb) : std::string("none")) +
                            "\" stroke-width=\"" + fixed(m.lineWidth, 1) + "\" fill=\"" +
                            (m.fill == NoFill ? std::string("none") : hex(m.fill)) + "\"" +
                            (m.dashed ? " stroke-dasharray=\"4 3\"" : "");
        const std::vector<double>& p = m.points;
        switch (m.type) {
        case Mark::Type::Polyline:
        case Mark::Type::Polygon: {
            out << (m.type == Mark::Type::Polygon ? "<polygon" : "<polyline") << " points=\"";
            for (std::size_t i = 0; i + 1 < p.size(); i += 2)
                out << (i ? " " : "") << p[i] << ',' << p[i + 1];
            out << '"' << paint << "/>\n";
            break;
        }
        case Mark::Type::Ellipse:
            out << "<ellipse cx=\"" << p[0] + p[2] / 2 << "\" cy=\"" << p[1] + p[3] / 2 << "\" rx=\""
                << p[2] / 2 << "\" ry=\"" << p[3] / 2 << '"' << paint << "/>\n";
            break;
        case Mark::Type::Rectangle:
            out << "<rect x=\"" << p[0] << "\" y=\"" << p[1] << "\" width=\"" << p[2] << "\" height=\""
                << p[3] << '"' << paint << "/>\n";
            break;
        case Mark::Type::Text:
            out << "<text x=\"" << p[0] << "\" y=\"" << p[1] << "\" fill=\"" << hex(m.rgb) << '"';
            if (m.upright)
                out << " transform=\"rotate(-90 " << p[0] << ' ' << p[1] << ")\"";
            out << " text-anchor=\""
                << (m.align < 0   ? "start"
                    : m.align > 0 ? "end"
                                  : "middle")
                << "\">" << escape(m.text) << "</text>\n";
            break;
        }
    }
    out << "</svg>\n";
    return out.str();
}

bool SectionPicture::writeSvg(const std::string& path, std::string& error) const {
    std::ofstream file(path, std::ios::binary);
    file << svg();
    file.close();
    if (!file)
        error = "cannot write " + path;
    return static_cast<bool>(file);
}

bool SectionPicture::writePng(const std::string& path, std::string& error) const {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        error = "no PNG without a QGuiApplication (its fonts)";
        return false;
    }
    QImage image(_width, _height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(10);
        painter.setFont(font);
        auto colour = [](unsigned rgb) { return QColor::fromRgb(rgb & 0xFFFFFF); };
        for (const Mark& m : _marks) {
            QPen pen(colour(m.rgb), m.lineWidth);
            if (m.dashed)
                pen.setDashPattern({4.0 / m.lineWidth, 3.0 / m.lineWidth});
            painter.setPen(m.lineWidth > 0 || m.type == Mark::Type::Text ? pen : QPen(Qt::NoPen));
            painter.setBrush(m.fill == NoFill ? QBrush(Qt::NoBrush) : QBrush(colour(m.fill)));
            const std::vector<double>& p = m.points;
            QPolygonF polygon;
            for (std::size_t i = 0; i + 1 < p.size(); i += 2)
                polygon << QPointF(p[i], p[i + 1]);
            switch (m.type) {
            case Mark::Type::Polyline:
                painter.drawPolyline(polygon);
                break;
            case Mark::Type::Polygon:
                painter.drawPolygon(polygon);
                break;
            case Mark::Type::Ellipse:
                painter.drawEllipse(QRectF(p[0], p[1], p[2], p[3]));
                break;
            case Mark::Type::Rectangle:
                painter.drawRect(QRectF(p[0], p[1], p[2], p[3]));
                break;
            case Mark::Type::Text: {
                QString words = QString::fromLatin1(m.text.c_str());
                double w = painter.fontMetrics().horizontalAdvance(words);
                double x = m.align < 0 ? p[0] : m.align > 0 ? p[0] - w : p[0] - w / 2;
                if (!m.upright) {
                    painter.drawText(QPointF(x, p[1]), words);
                    break;
                }
                painter.save();
                painter.translate(p[0], p[1]);
                painter.rotate(-90);
                painter.drawText(QPointF(x - p[0], 0), words);
                painter.restore();
                break;
            }
            }
        }
    }
    if (!image.save(QString::fromUtf8(path.c_str()), "PNG")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
