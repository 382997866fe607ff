#include "app/window/ImportLinesDialog.h"

#include "text/GbkText.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

namespace {

const QString depthKey = QStringLiteral("importLines/depth");
const QString colourKey = QStringLiteral("importLines/colour");

// Colour components and depths as the plug-in reads them back (C locale, enough digits).
QString number(double value) {
    return QString::number(value, 'g', 10);
}

} // namespace

ImportLinesDialog::ImportLinesDialog(QWidget* parent)
    : QDialog(parent), file(new QLineEdit(this)), depthBox(new QDoubleSpinBox(this)),
      colourButton(new QToolButton(this)), problemLabel(new QLabel(this)) {
    setObjectName(QStringLiteral("importLinesDialog"));
    setWindowTitle(QStringLiteral(u"导入线数据"));

    file->setObjectName(QStringLiteral("file"));
    auto* browse = new QPushButton(QStringLiteral(u"浏览…"), this);
    connect(browse, &QPushButton::clicked, this, &ImportLinesDialog::chooseFile);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file, 1);
    fileRow->addWidget(browse);

    depthBox->setObjectName(QStringLiteral("depth"));
    depthBox->setRange(0.0, 1000.0);
    depthBox->setDecimals(2);
    depthBox->setSingleStep(0.1);
    depthBox->setSuffix(QStringLiteral(" m"));

    colourButton->setObjectName(QStringLiteral("colour"));
    connect(colourButton, &QToolButton::clicked, this, &ImportLinesDialog::chooseColour);

    problemLabel->setObjectName(QStringLiteral("problem"));
    problemLabel->setWordWrap(true);
    problemLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    problemLabel->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportLinesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportLinesDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral(u"矢量文件:"), fileRow);
    form->addRow(QStringLiteral(u"埋深:"), depthBox);
    form->addRow(QStringLiteral(u"颜色:"), colourButton);
    form->addRow(problemLabel);
    form->addRow(buttons);

    QSettings settings;
    setDepth(settings.value(depthKey, 1.5).toDouble());
    setColour(settings.value(colourKey, QColor(255, 128, 0)).value<QColor>());
}

void ImportLinesDialog::setFileName(const QString& name) {
    file->setText(name);
}

// Absolute: the plug-in resolves a relative name against the run's own working folder.
QString ImportLinesDialog::fileName() const {
    const QString name = file->text().trimmed();
    return name.isEmpty() ? name : QFileInfo(name).absoluteFilePath();
}

void ImportLinesDialog::setDepth(double metres) {
    depthBox->setValue(metres);
}

double ImportLinesDialog::depth() const {
    return depthBox->value();
}

void ImportLinesDialog::setColour(const QColor& colour) {
    chosenColour = colour.isValid() ? colour : QColor(255, 128, 0);
    QPixmap pixmap(32, 16);
    pixmap.fill(chosenColour);
    colourButton->setIcon(QIcon(pixmap));
    colourButton->setIconSize(pixmap.size());
}

QColor ImportLinesDialog::colour() const {
    return chosenColour;
}

QByteArray ImportLinesDialog::message() const {
    const QString fields = number(depth()) + ',' + number(chosenColour.redF()) + ',' +
                           number(chosenColour.greenF()) + ',' + number(chosenColour.blueF()) + ',' +
                           number(chosenColour.alphaF());
    const std::string text = "OpenLine:" + qstringToGbk(fileName()) + "," + fields.toStdString();
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

QString ImportLinesDialog::problem() const {
    const QString name = fileName();
    if (name.isEmpty())
        return QStringLiteral(u"请选择一个矢量文件。");
    // The message's fields are separated by commas: a path holding one cannot be named.
    if (name.contains(','))
        return QStringLiteral(u"文件路径中不能有逗号：") + name;
    if (gbkToQString(qstringToGbk(name)) != name)
        return QStringLiteral(u"文件路径中有GBK无法表示的字符：") + name;
    const QFileInfo info(name);
    if (!info.exists())
        return QStringLiteral(u"文件不存在：") + name;
    if (!info.isFile())
        return QStringLiteral(u"不是普通文件：") + name;
    return QString();
}

void ImportLinesDialog::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        problemLabel->setText(why);
        problemLabel->show();
        return;
    }
    problemLabel->hide();
    QSettings settings;
    settings.setValue(depthKey, depth());
    settings.setValue(colourKey, chosenColour);
    QDialog::accept();
}

void ImportLinesDialog::chooseFile() {
    // OGR reads many more formats than any list could name: every file may be chosen.
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral(u"选择矢量文件"), QFileInfo(fileName()).absolutePath(),
        QStringLiteral(u"所有文件 (*);;Shapefile (*.shp);;GeoJSON (*.geojson *.json);;KML (*.kml);;"
                       u"GeoPackage (*.gpkg);;DXF (*.dxf);;GML (*.gml)"));
    if (!chosen.isEmpty())
        setFileName(chosen);
}

void ImportLinesDialog::chooseColour() {
    const QColor chosen = QColorDialog::getColor(chosenColour, this, QStringLiteral(u"线的颜色"),
                                                 QColorDialog::ShowAlphaChannel);
    if (chosen.isValid())
        setColour(chosen);
}
