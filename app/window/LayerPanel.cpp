#include "app/window/LayerPanel.h"

#include "network/LayerPanelNames.h"
#include "network/UtilityKind.h"
#include "text/GbkText.h"

#include "Selmor/CXViewer.h"

#include <QPainter>
#include <QPixmap>

#include <cstring>

namespace {

const UtilityKind* kindOf(const std::string& code) {
    for (const UtilityKind& kind : UtilityKinds)
        if (code == kind.code)
            return &kind;
    return nullptr;
}

// The layer tool's names for a kind, or null for a kind it does not switch.
const LayerPanelRow* namesOf(const std::string& code) {
    const UtilityKind* kind = kindOf(code);
    if (!kind)
        return nullptr;
    for (const LayerPanelRow& names : LayerPanelRows)
        if (std::strcmp(names.layerName, kind->layerName) == 0)
            return &names;
    return nullptr;
}

QIcon swatch(const UtilityKind& kind) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(kind.colour[0], kind.colour[1], kind.colour[2], kind.colour[3]));
    painter.drawRect(1, 1, 13, 13);
    return QIcon(pixmap);
}

constexpr int CodeRole = Qt::UserRole;
constexpr int PartRole = Qt::UserRole + 1;

} // namespace

LayerPanel::LayerPanel(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("layerPanel"));
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::itemChanged, this, &LayerPanel::partToggled);
}

QByteArray LayerPanel::message(const std::string& code, Part part, bool visible) {
    const LayerPanelRow* names = namesOf(code);
    if (!names)
        return QByteArray();
    std::string text = "LayerVisible:";
    if (part == Pipes)
        text += std::string(names->lineName) + "," + names->lineName;
    else
        text += std::string(names->pointName) + (part == Lids ? ",井盖" : ",井室");
    text += visible ? ",1" : ",0";
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

void LayerPanel::setKinds(const std::vector<std::string>& codes) {
    updating = true;
    clear();
    for (const std::string& code : codes) {
        const UtilityKind* kind = kindOf(code);
        if (!kind)
            continue;
        const bool switchable = namesOf(code) != nullptr;
        auto* top = new QTreeWidgetItem(this, QStringList(gbkToQString(kind->layerName)));
        top->setIcon(0, swatch(*kind));
        top->setData(0, CodeRole, QString::fromLatin1(kind->code));
        top->setFlags(Qt::ItemIsEnabled);
        const QString parts[] = {QStringLiteral(u"管线"), QStringLiteral(u"井盖"), QStringLiteral(u"井室")};
        for (int part = Pipes; part <= Chambers; ++part) {
            auto* item = new QTreeWidgetItem(top, QStringList(parts[part]));
            item->setData(0, CodeRole, QString::fromLatin1(kind->code));
            item->setData(0, PartRole, part);
            item->setCheckState(0, Qt::Checked);
            item->setFlags(switchable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable
                                      : Qt::ItemIsUserCheckable);
            if (!switchable)
                item->setToolTip(0, QStringLiteral(u"图层管理不能切换这类管线的显示"));
        }
        if (!switchable)
            top->setToolTip(0, QStringLiteral(u"图层管理不能切换这类管线的显示"));
        top->setExpanded(true);
    }
    updating = false;
}

QTreeWidgetItem* LayerPanel::partItem(const std::string& code, Part part) const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (top->data(0, CodeRole).toString() == QString::fromStdString(code) && part < top->childCount())
            return top->child(part);
    }
    return nullptr;
}

void LayerPanel::setVisibility(const std::string& code, const PIPEVISIBLETABLE& table) {
    updating = true;
    const bool shown[] = {table.pipe, table.lid, table.chamber};
    for (int part = Pipes; part <= Chambers; ++part)
        if (QTreeWidgetItem* item = partItem(code, static_cast<Part>(part)))
            item->setCheckState(0, shown[part] ? Qt::Checked : Qt::Unchecked);
    updating = false;
}

void LayerPanel::partToggled(QTreeWidgetItem* item, int column) {
    if (updating || column != 0 || !item->parent())
        return;
    const QByteArray text =
        message(item->data(0, CodeRole).toString().toStdString(),
                static_cast<Part>(item->data(0, PartRole).toInt()), item->checkState(0) == Qt::Checked);
    if (!text.isEmpty())
        emit layerMessage(text);
}
