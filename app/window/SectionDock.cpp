#include "app/window/SectionDock.h"

#include "app/window/SectionPlot.h"
#include "network/UtilityKind.h"
#include "section/SectionPicture.h"
#include "section/SectionTable.h"
#include "text/GbkText.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int GidColumn = 4; // after the layer, as in the CSV file
const QColor BreachRow(0xFF, 0xD8, 0xD8);

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString fromNative(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}
} // namespace

SectionDock::SectionDock(QWidget* parent) : QDockWidget(QStringLiteral(u"横断面"), parent) {
    setObjectName(QStringLiteral("sectionDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);

    auto* controls = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral(u"垂直放大"), body);
    _exaggeration = new QSpinBox(body);
    _exaggeration->setObjectName(QStringLiteral("exaggeration"));
    _exaggeration->setRange(SectionPlot::MinExaggeration, SectionPlot::MaxExaggeration);
    _exaggeration->setSuffix(QStringLiteral(u" 倍"));
    _exaggeration->setToolTip(QStringLiteral(u"高程相对距离放大的倍数"));
    label->setBuddy(_exaggeration);
    _export = new QToolButton(body);
    _export->setObjectName(QStringLiteral("exportButton"));
    _export->setText(QStringLiteral(u"导出"));
    _export->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(_export);
    struct Format {
        const char* name;
        QString text;
    };
    for (const Format& format :
         {Format{"png", QStringLiteral(u"图片 (PNG)…")}, Format{"svg", QStringLiteral(u"矢量图 (SVG)…")},
          Format{"csv", QStringLiteral(u"表格 (CSV)…")}}) {
        QString name = QString::fromLatin1(format.name);
        QAction* action = menu->addAction(format.text, this, [this, name] { exportWithDialog(name); });
        action->setObjectName("export" + name.left(1).toUpper() + name.mid(1));
    }
    _export->setMenu(menu);
    _export->setEnabled(false);
    controls->addWidget(label);
    controls->addWidget(_exaggeration);
    controls->addStretch(1);
    controls->addWidget(_export);
    layout->addLayout(controls);

    auto* splitter = new QSplitter(Qt::Horizontal, body);
    _plot = new SectionPlot(splitter);
    _table = new QTableWidget(splitter);
    _table->setObjectName(QStringLiteral("sectionTable"));
    _table->setSelectionBehavior(QAbstractItemView::SelectRows);
    _table->setSelectionMode(QAbstractItemView::SingleSelection);
    _table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    _table->verticalHeader()->setVisible(false);
    splitter->addWidget(_plot);
    splitter->addWidget(_table);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    setWidget(body);

    connect(_exaggeration, qOverload<int>(&QSpinBox::valueChanged), _plot, &SectionPlot::setExaggeration);
    connect(_plot, &SectionPlot::pipeClicked, this, [this](int row) {
        _syncing = true;
        _table->selectRow(row);
        _table->scrollToItem(_table->item(row, 0));
        _syncing = false;
        choose(row);
    });
    connect(_table, &QTableWidget::itemSelectionChanged, this, [this] {
        if (_syncing)
            return;
        QList<QTableWidgetSelectionRange> ranges = _table->selectedRanges();
        int row = ranges.isEmpty() ? -1 : ranges.first().topRow();
        _plot->setSelectedRow(row);
        if (row < 0)
            return;
        choose(row);
        // A press that changed the selection has been told; one on the chosen row again has not.
        _justChosen = true;
        QTimer::singleShot(0, this, [this] { _justChosen = false; });
    });
    connect(_table, &QTableWidget::cellPressed, this, [this](int row, int) {
        if (!_justChosen)
            choose(row);
    });
    setHeaders();
}

const CrossSection& SectionDock::section() const {
    return _plot->section();
}

void SectionDock::showSection(const CrossSection& s) {
    _plot->setSection(s);
    {
        const QSignalBlocker blocker(_exaggeration);
        _exaggeration->setValue(_plot->exaggeration());
    }
    _export->setEnabled(true);

    _syncing = true;
    _table->clearContents();
    setHeaders();
    _table->setRowCount(int(s.rows.size()));
    for (std::size_t i = 0; i < s.rows.size(); ++i) {
        QStringList values;
        for (const std::string& cell : SectionTable::cells(s, i))
            values << gbkToQString(cell);
        values.insert(GidColumn, gbkToQString(s.rows[i].gid));
        std::string close = SectionTable::tooCloseTo(s, i);
        values << QString::fromStdString(close);
        QString breaches;
        for (const CrossSection::Clearance& c : s.clearances)
            if (c.first == i || c.second == i)
                breaches +=
                    (breaches.isEmpty() ? "" : "\n") + QStringLiteral(u"与第 %1 行净距 %2 m，应不小于 %3 m")
                                                           .arg((c.first == i ? c.second : c.first) + 1)
                                                           .arg(QString::number(c.gap, 'f', 2))
                                                           .arg(QString::number(c.required, 'f', 2));
        for (int c = 0; c < values.size(); ++c) {
            auto* item = new QTableWidgetItem(values[c]);
            if (c == 1 || (c >= 9 && c <= 12)) // the distance, heights and depths
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!close.empty()) {
                item->setBackground(BreachRow);
                item->setToolTip(breaches);
            }
            _table->setItem(int(i), c, item);
        }
    }
    _table->resizeColumnsToContents();
    _syncing = false;
}

void SectionDock::setHeaders() {
    QStringList headers;
    for (const std::string& column : SectionTable::columns())
        headers << QString::fromStdString(column);
    headers.insert(GidColumn, QStringLiteral("gid"));
    headers << QStringLiteral("too close to");
    _table->setColumnCount(headers.size());
    _table->setHorizontalHeaderLabels(headers);
}

void SectionDock::choose(int row) {
    if (row < 0 || row >= int(section().rows.size()))
        return;
    emit pipeChosen(row, QByteArray::fromStdString(section().rows[std::size_t(row)].gid));
}

bool SectionDock::exportPng(const QString& path, QString& error) const {
    QSize size = _plot->size();
    if (size.width() < 200 || size.height() < 120)
        size = QSize(1200, 675);
    else if (size.width() < 1200)
        size = QSize(1200, std::max(1, size.height() * 1200 / size.width()));
    if (!_plot->image(size).save(path, "PNG")) {
        error = QStringLiteral(u"无法写入 ") + QDir::toNativeSeparators(path);
        return false;
    }
    return true;
}

bool SectionDock::exportSvg(const QString& path, QString& error) const {
    SectionPicture picture(section(), std::max(640, _plot->width()), std::max(360, _plot->height()),
                           _plot->exaggeration());
    std::string reason;
    if (!picture.writeSvg(nativePath(path), reason)) {
        error = fromNative(reason);
        return false;
    }
    return true;
}

bool SectionDock::exportCsv(const QString& path, QString& error) const {
    std::string reason;
    if (!SectionTable::writeCsv(section(), nativePath(path), reason)) {
        error = fromNative(reason);
        return false;
    }
    return true;
}

void SectionDock::exportWithDialog(const QString& format) {
    QString filter = format == "png"   ? QStringLiteral(u"PNG 图片 (*.png)")
                     : format == "svg" ? QStringLiteral(u"SVG 矢量图 (*.svg)")
                                       : QStringLiteral(u"CSV 表格 (*.csv)");
    QString start = QDir(_folder.isEmpty() ? QDir::homePath() : _folder).filePath("section." + format);
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral(u"导出横断面"), start, filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith('.' + format, Qt::CaseInsensitive))
        path += '.' + format;
    _folder = QFileInfo(path).absolutePath();
    QString error;
    bool written = format == "png"   ? exportPng(path, error)
                   : format == "svg" ? exportSvg(path, error)
                                     : exportCsv(path, error);
    if (!written)
        QMessageBox::warning(this, QStringLiteral(u"导出横断面"), error);
}
