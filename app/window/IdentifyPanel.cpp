#include "app/window/IdentifyPanel.h"

#include "network/UtilityKind.h"
#include "text/GbkText.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

IdentifyPanel::IdentifyPanel(QWidget* parent)
    : QWidget(parent), title(new QLabel(this)), message(new QLabel(this)),
      fields(new QTableWidget(0, 2, this)) {
    setObjectName(QStringLiteral("identifyPanel"));
    title->setObjectName(QStringLiteral("identifyTitle"));
    title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    title->setWordWrap(true);
    message->setObjectName(QStringLiteral("identifyMessage"));
    message->setWordWrap(true);
    message->setStyleSheet(QStringLiteral("color: #b00000"));
    message->hide();
    fields->setObjectName(QStringLiteral("identifyFields"));
    fields->setHorizontalHeaderLabels({QStringLiteral(u"字段"), QStringLiteral(u"值")});
    fields->verticalHeader()->hide();
    fields->horizontalHeader()->setStretchLastSection(true);
    fields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fields->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(message);
    layout->addWidget(fields, 1);
    clear();
}

void IdentifyPanel::showFeature(const Feature& picked) {
    Feature feature = picked;
    Columns columns;
    std::string error;
    if (FeatureRecord::locate(feature, error) && FeatureRecord::readRow(feature, columns, error))
        showRecord(feature, columns);
    else
        showProblem(feature, gbkToQString(error));
}

void IdentifyPanel::showRecord(const Feature& feature, const Columns& columns) {
    setHeading(feature);
    message->hide();
    fields->setRowCount(static_cast<int>(columns.size()));
    for (int row = 0; row < static_cast<int>(columns.size()); ++row) {
        fields->setItem(row, 0, new QTableWidgetItem(gbkToQString(columns[row].first)));
        fields->setItem(row, 1, new QTableWidgetItem(gbkToQString(columns[row].second)));
    }
    fields->resizeColumnToContents(0);
}

void IdentifyPanel::showProblem(const Feature& feature, const QString& why) {
    setHeading(feature);
    fields->setRowCount(0);
    message->setText(QStringLiteral(u"无法读取这条记录：") + why);
    message->show();
}

void IdentifyPanel::clear() {
    title->setText(QStringLiteral(u"在视图中点选管线或管点以查看其属性。"));
    message->hide();
    fields->setRowCount(0);
}

QString IdentifyPanel::heading() const {
    return title->text();
}

QString IdentifyPanel::problem() const {
    return message->isHidden() ? QString() : message->text();
}

void IdentifyPanel::setHeading(const Feature& feature) {
    QString kind = feature.kind >= 0 && feature.kind < static_cast<int>(KindCount)
                       ? gbkToQString(UtilityKinds[feature.kind].layerName)
                       : QStringLiteral(u"管线");
    kind += feature.type == Feature::Type::Pipe ? QStringLiteral(u" 管段") : QStringLiteral(u" 管点");
    title->setText(kind + QStringLiteral("  GID: ") + gbkToQString(feature.gid));
}
