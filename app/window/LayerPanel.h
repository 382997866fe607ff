#pragma once

#include <QByteArray>
#include <QTreeWidget>

#include <string>
#include <vector>

struct PIPEVISIBLETABLE;

// The loaded utility kinds, each under its layer name with its colour, and the three
// parts the layer tool switches: the pipes ("管线"), the well lids ("井盖") and the well
// chambers ("井室"). A toggle asks the layer tool in its own words ("LayerVisible:" with the
// tool's names for the kind); kinds the tool has no names for are listed but cannot be
// switched.
class LayerPanel : public QTreeWidget {
    Q_OBJECT
public:
    enum Part { Pipes, Lids, Chambers };

    explicit LayerPanel(QWidget* parent = nullptr);

    // Kind codes ("JS", "WS", ...); unknown codes are left out.
    void setKinds(const std::vector<std::string>& codes);
    // Shows the viewer's visibility table for a kind without asking for any change.
    void setVisibility(const std::string& code, const PIPEVISIBLETABLE& table);
    // The box of a kind's part; null when the kind is not listed.
    QTreeWidgetItem* partItem(const std::string& code, Part part) const;

    // The "LayerVisible:" message (GBK) that switches a kind's part; empty for a kind the
    // layer tool cannot switch.
    static QByteArray message(const std::string& code, Part part, bool visible);

signals:
    void layerMessage(const QByteArray& gbk);

private:
    void partToggled(QTreeWidgetItem* item, int column);

    bool updating = false;
};
