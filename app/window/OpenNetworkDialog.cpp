#include "OpenNetworkDialog.h"

#include "network/UtilityKind.h"
#include "text/GbkText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {
const char* const recentKey = "open/recentSrs";

// The kinds found, each with its counts, in two columns.
QWidget* kindsTable(const NetworkSurvey& survey) {
    auto* table = new QWidget;
    table->setObjectName(QStringLiteral("kindsTable"));
    auto* grid = new QGridLayout(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(24);
    const int rows = static_cast<int>(survey.kinds.size() + 1) / 2;
    for (int i = 0; i < static_cast<int>(survey.kinds.size()); ++i) {
        const NetworkSurvey::Kind& kind = survey.kinds[static_cast<std::size_t>(i)];
        grid->addWidget(new QLabel(QStringLiteral(u"%1（%2）：%3 个管点，%4 条管段")
                                       .arg(gbkToQString(UtilityKinds[kind.kind].layerName),
                                            QString::fromLatin1(UtilityKinds[kind.kind].code))
                                       .arg(kind.points)
                                       .arg(kind.segments)),
                        i % rows, i / rows);
    }
    return table;
}

QString extentText(const NetworkSurvey& survey) {
    return QStringLiteral(u"%1 %2 至 %3 %4（%5 × %6 米）")
        .arg(survey.xmin, 0, 'f', 2)
        .arg(survey.ymin, 0, 'f', 2)
        .arg(survey.xmax, 0, 'f', 2)
        .arg(survey.ymax, 0, 'f', 2)
        .arg(survey.xmax - survey.xmin, 0, 'f', 1)
        .arg(survey.ymax - survey.ymin, 0, 'f', 1);
}
} // namespace

OpenNetworkDialog::OpenNetworkDialog(const QString& database, const NetworkSurvey& survey, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral(u"打开管网数据库"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* file = new QLabel(QDir::toNativeSeparators(database));
    file->setObjectName(QStringLiteral("databaseLabel"));
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral(u"数据库："), file);
    form->addRow(QStringLiteral(u"管线种类："), kindsTable(survey));
    auto* counts =
        new QLabel(QStringLiteral(u"%1 个管点，%2 条管段").arg(survey.points).arg(survey.segments));
    counts->setObjectName(QStringLiteral("countsLabel"));
    form->addRow(QStringLiteral(u"合计："), counts);
    auto* extent = new QLabel(extentText(survey));
    extent->setObjectName(QStringLiteral("extentLabel"));
    form->addRow(QStringLiteral(u"管点范围："), extent);
    auto* ground = new QLabel(survey.hasGround ? QString::number(survey.ground, 'f', 2)
                                               : QStringLiteral(u"数据中没有：地面取 0"));
    form->addRow(QStringLiteral(u"地面高程（中位数）："), ground);
    if (!survey.remarks.isEmpty()) {
        auto* remarks = new QLabel(survey.remarks.trimmed());
        remarks->setObjectName(QStringLiteral("remarksLabel"));
        form->addRow(QStringLiteral(u"未显示："), remarks);
    }

    systems = new QComboBox;
    systems->setObjectName(QStringLiteral("srsCombo"));
    systems->setEditable(true);
    systems->setInsertPolicy(QComboBox::NoInsert);
    systems->setMinimumContentsLength(30);
    QStringList recent = recentSystems();
    if (recent.isEmpty())
        recent << QStringLiteral("EPSG:4547");
    systems->addItems(recent);
    systems->setCurrentIndex(0);
    systems->setToolTip(QStringLiteral(u"管点 X坐标、Y坐标 所在的坐标系：EPSG 代码、WKT 或 PROJ 字符串"));
    form->addRow(QStringLiteral(u"坐标系："), systems);

    refusal = new QLabel;
    refusal->setObjectName(QStringLiteral("srsError"));
    refusal->setWordWrap(true);
    refusal->setStyleSheet(QStringLiteral("color: #b00020"));
    refusal->hide();
    form->addRow(QString(), refusal);
    connect(systems, &QComboBox::editTextChanged, refusal, &QLabel::hide);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OpenNetworkDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OpenNetworkDialog::reject);
    layout->addWidget(buttons);
}

QString OpenNetworkDialog::system() const {
    return systems->currentText().trimmed();
}

void OpenNetworkDialog::accept() {
    std::string reason;
    if (!NetworkFile::checkSrs(system().toStdString(), reason)) {
        refusal->setText(QStringLiteral(u"无法使用此坐标系：") + QString::fromStdString(reason));
        refusal->show();
        systems->setFocus();
        return;
    }
    remember(system());
    QDialog::accept();
}

QStringList OpenNetworkDialog::recentSystems() {
    QStringList recent = QSettings().value(QLatin1String(recentKey)).toStringList();
    recent.removeAll(QString());
    recent.removeDuplicates();
    return recent.mid(0, recentCount);
}

void OpenNetworkDialog::remember(const QString& srs) {
    QStringList recent = recentSystems();
    recent.removeAll(srs);
    recent.prepend(srs);
    QSettings().setValue(QLatin1String(recentKey), QStringList(recent.mid(0, recentCount)));
}

bool OpenNetworkDialog::ask(QWidget* parent, const QString& database, const NetworkSurvey& survey,
                            std::string& srs) {
    OpenNetworkDialog dialog(database, survey, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    srs = dialog.system().toStdString();
    return true;
}
