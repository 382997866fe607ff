#include "app/window/LineLayersPanel.h"

#include "text/GbkText.h"

#include <QHeaderView>
#include <QPixmap>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QByteArray gbk(const std::string& text) {
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

} // namespace

LineLayersPanel::LineLayersPanel(QWidget* parent) : QWidget(parent), tree(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("lineLayersPanel"));
    tree->setObjectName(QStringLiteral("lineLayers"));
    tree->setColumnCount(2);
    tree->setHeaderLabels({QStringLiteral(u"线图层"), QString()});
    tree->setRootIsDecorated(false);
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree);
    connect(tree, &QTreeWidget::itemChanged, this, &LineLayersPanel::layerToggled);
}

QByteArray LineLayersPanel::visibilityMessage(const QString& name, bool visible) {
    return gbk((visible ? "Visual:yes" : "Visual:no") + qstringToGbk(name));
}

QByteArray LineLayersPanel::removalMessage(const QString& name) {
    return gbk("Remove:" + qstringToGbk(name));
}

void LineLayersPanel::addLayer(const QString& name, const QColor& colour) {
    // An empty name is dropped by the plug-in: there is no layer to list.
    if (name.isEmpty())
        return;
    updating = true;
    QTreeWidgetItem* item = layerItem(name);
    if (!item) {
        item = new QTreeWidgetItem(tree, QStringList(name));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setToolTip(0, name);
        auto* remove = new QToolButton(tree);
        remove->setText(QStringLiteral(u"移除"));
        remove->setToolTip(QStringLiteral(u"移除这个线图层"));
        tree->setItemWidget(item, 1, remove);
        connect(remove, &QToolButton::clicked, this, [this, name] { removeLayer(name); });
    }
    QPixmap pixmap(16, 16);
    pixmap.fill(colour.isValid() ? colour : QColor(Qt::gray));
    item->setIcon(0, QIcon(pixmap));
    item->setCheckState(0, Qt::Checked);
    updating = false;
}

int LineLayersPanel::layerCount() const {
    return tree->topLevelItemCount();
}

QTreeWidgetItem* LineLayersPanel::layerItem(const QString& name) const {
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == name)
            return tree->topLevelItem(i);
    return nullptr;
}

void LineLayersPanel::removeLayer(const QString& name) {
    QTreeWidgetItem* item = layerItem(name);
    if (!item)
        return;
    delete item;
    emit controlMessage(removalMessage(name), true);
}

void LineLayersPanel::layerToggled(QTreeWidgetItem* item, int column) {
    if (updating || column != 0)
        return;
    emit controlMessage(visibilityMessage(item->text(0), item->checkState(0) == Qt::Checked), false);
}
