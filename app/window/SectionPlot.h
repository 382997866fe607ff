#pragma once

#include "section/CrossSection.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <vector>

class QPainter;

// A cross-section drawn to scale: the ground line with the earth below, each pipe at its
// height in its kind's colour (a circle or a rectangle, sized to the height scale so its top
// and bottom read true on the height axis), its label (kind, size, depth to top) standing
// in the sky above it, distance and height axes in metres, and every pair of pipes closer
// than their kinds may be joined by a red dashed line with the gap and what is required.
// Heights are stretched by a whole vertical exaggeration; the drawing keeps that ratio at
// any size, fitting the section in whichever way is tighter. A pipe under the mouse is
// outlined, a click selects it.
class SectionPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr int MinExaggeration = 1, MaxExaggeration = 20;

    explicit SectionPlot(QWidget* parent = nullptr);

    // Shows `section` with its suggested exaggeration and nothing selected.
    void setSection(const CrossSection& section);
    const CrossSection& section() const { return _section; }

    // The whole factor (1 to 20) that makes the section's heights about as tall, drawn,
    // as a third of its length, so shallow pipes along a long line still stand apart.
    static int suggestedExaggeration(const CrossSection& section);
    int exaggeration() const { return _exaggeration; }
    void setExaggeration(int factor);

    // The selected row, -1 for none; setting it emits nothing.
    int selectedRow() const { return _selected; }
    void setSelectedRow(int row);

    // Where a point of the section (distance from A, height) is drawn on the widget, and
    // the box a row's pipe is drawn in; which row's pipe is at a widget point (-1: none).
    QPointF toWidget(double distance, double height) const;
    QRectF pipeRect(int row) const;
    int rowAt(const QPointF& point) const;

    // The drawing at `size`, on white, as an export would have it.
    QImage image(const QSize& size) const;

    QSize sizeHint() const override { return {640, 360}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

signals:
    // A person clicked a pipe.
    void pipeClicked(int row);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent*) override;

private:
    // Where the drawing of a size puts things.
    struct Frame {
        QRectF plot;                  // inside the axes
        double scale = 0.0;           // pixels per metre along the line
        double exaggeration = 1.0;    // heights' pixels per metre / scale
        double left = 0.0, top = 0.0; // the distance and height at the plot's top left
        double labelBand = 0.0;       // pixels at the top of the plot kept for the labels
        double x(double distance) const { return plot.left() + (distance - left) * scale; }
        double y(double height) const {
            return plot.top() + labelBand + (top - height) * scale * exaggeration;
        }
    };
    Frame frame(const QSizeF& size, const QFont& font) const;
    QRectF pipeRect(const Frame& frame, std::size_t row) const;
    void paint(QPainter& painter, const QSizeF& size) const;

    CrossSection _section;
    bool _shown = false; // a section was given
    int _exaggeration = 1;
    int _selected = -1, _hovered = -1;
};
