#pragma once

#include "section/CrossSection.h"

#include <QByteArray>
#include <QDockWidget>
#include <QString>

class QSpinBox;
class QTableWidget;
class QToolButton;
class SectionPlot;

// The cross-section panel: the section drawn beside the table of the pipes it crosses
// (the columns the section table prints, with each pipe's id and the rows it is too close
// to; rows breaking a clearance in red), the vertical exaggeration, and exports of the
// drawing as PNG or SVG and of the table as CSV. Choosing a pipe in the drawing or the
// table chooses it in the other and tells whoever listens.
class SectionDock : public QDockWidget {
    Q_OBJECT
public:
    explicit SectionDock(QWidget* parent = nullptr);

    void showSection(const CrossSection& section);
    const CrossSection& section() const;

    SectionPlot* plot() const { return _plot; }
    QTableWidget* table() const { return _table; }

    // The exports: false with a reason when the file could not be written.
    bool exportPng(const QString& path, QString& error) const;
    bool exportSvg(const QString& path, QString& error) const;
    bool exportCsv(const QString& path, QString& error) const;

signals:
    // A person chose the pipe of `row` in the table or the drawing (`gid` in GBK).
    void pipeChosen(int row, QByteArray gid);

private:
    void setHeaders();
    void choose(int row);
    void exportWithDialog(const QString& format);

    SectionPlot* _plot;
    QTableWidget* _table;
    QSpinBox* _exaggeration;
    QToolButton* _export;
    bool _syncing = false;    // the table's selection is being set to follow the drawing
    bool _justChosen = false; // the selection changed in this very event
    QString _folder;          // where the last export went
};
