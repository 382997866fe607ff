#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

// The line layers opened from vector files ("OpenLine:") and point lists ("OpenKml:"),
// each under its name with its colour: a box shows or hides it, a button removes it.
// Every change is a control message for the plug-in; a removal goes through the control's
// removal channel (CXControl::postRemoval), which a command posted in the same frame does
// not overwrite.
class LineLayersPanel : public QWidget {
    Q_OBJECT
public:
    explicit LineLayersPanel(QWidget* parent = nullptr);

    // A layer opened under `name` (the message's name field). A name already listed is
    // the same layer opened again: the plug-in replaces it, and the row shows it anew.
    void addLayer(const QString& name, const QColor& colour);
    int layerCount() const;
    QTreeWidgetItem* layerItem(const QString& name) const;
    // Removes the layer as its button does.
    void removeLayer(const QString& name);

    static QByteArray visibilityMessage(const QString& name, bool visible);
    static QByteArray removalMessage(const QString& name);

signals:
    // GBK text for CXControl::postMessage, or for CXControl::postRemoval when `removal`.
    void controlMessage(const QByteArray& gbk, bool removal);

private:
    void layerToggled(QTreeWidgetItem* item, int column);

    QTreeWidget* tree;
    bool updating = false;
};
