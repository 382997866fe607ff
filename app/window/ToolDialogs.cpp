#include "app/window/ToolDialogs.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

#include <cmath>

namespace {

const char* const TrenchReport = "沿线开挖";
const char* const RegionReport = "区域开挖";
const char* const TunnelReport = "SetUpTunnel";

// Beyond these no excavator digs nor any shield bores in a city street.
constexpr double MostTrenchWidth = 20.0, MostTrenchDepth = 30.0;
constexpr double MostPitDepth = 50.0;
constexpr double MostTunnelSide = 50.0, MostTunnelDepth = 200.0;

bool usable(double value, double most) {
    return std::isfinite(value) && value > 0.0 && value <= most;
}

} // namespace

bool ToolDialogs::asks(const std::string& reportName) {
    return reportName == TrenchReport || reportName == RegionReport || reportName == TunnelReport;
}

bool ToolDialogs::ask(QWidget* parent, const std::string& reportName, ToolAnswers::Settings& settings) {
    using S = ToolAnswers::Settings;
    std::vector<Field> fields;
    QString title, intro;
    if (reportName == TrenchReport) {
        title = QStringLiteral(u"沿线开挖");
        intro = QStringLiteral(u"沿所画的线开挖一条沟槽。");
        fields = {{"trenchWidth", QStringLiteral(u"沟宽"), &S::width, MostTrenchWidth},
                  {"trenchDepth", QStringLiteral(u"深度"), &S::depth, MostTrenchDepth}};
    } else if (reportName == RegionReport) {
        title = QStringLiteral(u"区域开挖");
        intro = QStringLiteral(u"在所画的区域内开挖一个基坑。");
        fields = {{"regionDepth", QStringLiteral(u"深度"), &S::depth, MostPitDepth}};
    } else if (reportName == TunnelReport) {
        title = QStringLiteral(u"创建隧道");
        intro = QStringLiteral(u"沿所画的中线创建一条矩形断面的隧道。");
        fields = {{"tunnelWidth", QStringLiteral(u"宽度"), &S::width, MostTunnelSide},
                  {"tunnelHeight", QStringLiteral(u"高度"), &S::height, MostTunnelSide},
                  {"tunnelDepth", QStringLiteral(u"顶部埋深"), &S::depth, MostTunnelDepth}};
    } else {
        return false;
    }
    ToolDialogs dialog(parent, title, intro, std::move(fields), settings);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (const Field& field : dialog._fields)
        settings.*field.value = field.box->value();
    return true;
}

ToolDialogs::ToolDialogs(QWidget* parent, const QString& title, const QString& intro,
                         std::vector<Field> fields, const ToolAnswers::Settings& start)
    : QDialog(parent), _fields(std::move(fields)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(intro, this));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    QSettings stored;
    const ToolAnswers::Settings defaults;
    for (Field& field : _fields) {
        // What was used last, else what the host holds now, else the host's default.
        bool read = false;
        double value = stored.value(QStringLiteral("tools/") + field.key).toDouble(&read);
        if (!read || !usable(value, field.most))
            value = start.*field.value;
        if (!usable(value, field.most))
            value = std::fmin(defaults.*field.value, field.most);
        field.box = new QDoubleSpinBox(this);
        field.box->setObjectName(field.value == &ToolAnswers::Settings::width    ? QStringLiteral("width")
                                 : field.value == &ToolAnswers::Settings::height ? QStringLiteral("height")
                                                                                 : QStringLiteral("depth"));
        field.box->setDecimals(2);
        field.box->setSingleStep(0.1);
        // Wider than allowed, so that a value too large is told about rather than cut short.
        field.box->setRange(0.0, 10 * field.most);
        field.box->setSuffix(QStringLiteral(u" 米"));
        field.box->setValue(value);
        form->addRow(field.label, field.box);
    }
    _problem = new QLabel(this);
    _problem->setObjectName(QStringLiteral("problem"));
    _problem->setStyleSheet(QStringLiteral("color: #b00000"));
    _problem->setWordWrap(true);
    _problem->hide();
    layout->addWidget(_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ToolDialogs::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ToolDialogs::reject);
    layout->addWidget(buttons);
}

QString ToolDialogs::problem() const {
    for (const Field& field : _fields) {
        const double value = field.box->value();
        if (!(value > 0.0))
            return QStringLiteral(u"%1必须大于 0 米。").arg(field.label);
        if (!(value <= field.most))
            return QStringLiteral(u"%1不能超过 %2 米。").arg(field.label).arg(field.most);
    }
    return QString();
}

void ToolDialogs::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        _problem->setText(why);
        _problem->show();
        return;
    }
    QSettings stored;
    for (const Field& field : _fields)
        stored.setValue(QStringLiteral("tools/") + field.key, field.box->value());
    QDialog::accept();
}
