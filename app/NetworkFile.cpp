#include "NetworkFile.h"

#include "database/DBConnection.h"
#include "geo/GeoExtent.h"
#include "geo/SpatialReference.h"
#include "network/RecordField.h"
#include "network/UtilityKind.h"
#include "text/GbkText.h"
#include "text/XmlBounds.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QVariant>
#include <QXmlStreamWriter>

#include <algorithm>
#include <atomic>
#include <cmath>

const char* const NetworkFile::mark =
    " Written by pipeviewer for the database it names, and written anew each time that database is "
    "opened: remove this comment to keep changes of your own. ";

namespace {
// A network is a district or a city: points further apart than this are a fault in the data
// (a stray point far off the rest), and the extent could not hold them with a margin.
constexpr double MaxNetworkSpan = 0.9 * osgEarth::MaxExtentSpan;

QString quoted(const QString& path) {
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString sqlName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The position of the column named exactly `name` (as the loaders match them), or -1.
int columnOf(const QSqlRecord& record, const QString& name) {
    for (int i = 0; i < record.count(); ++i)
        if (record.fieldName(i) == name)
            return i;
    return -1;
}

double median(std::vector<double>& values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 != 0)
        return upper;
    return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)) + upper) /
           2;
}

struct TableReader {
    const QSqlDatabase& db;
    const QString& shown; // the database, quoted, for messages
    QString& error;

    bool failed(const QString& table, const QSqlQuery& query) {
        error = QStringLiteral("Reading %1 of %2 failed: %3")
                    .arg(table, shown, query.lastError().text().trimmed());
        return false;
    }

    bool count(const QString& table, long long& rows) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT count(*) FROM ") + sqlName(table)) || !query.next())
            return failed(table, query);
        rows = query.value(0).toLongLong();
        return true;
    }

    // The point table's rows: coordinates into the box, ground elevations into `grounds`.
    bool points(const QString& table, int x, int y, int ground, NetworkSurvey& out,
                std::vector<double>& grounds) {
        const QSqlRecord record = db.record(table);
        QString columns = sqlName(record.fieldName(x)) + QLatin1Char(',') + sqlName(record.fieldName(y));
        if (ground >= 0)
            columns += QLatin1Char(',') + sqlName(record.fieldName(ground));
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ") + sqlName(table)))
            return failed(table, query);
        long long found = 0;
        while (query.next()) {
            const QVariant vx = query.value(0), vy = query.value(1);
            if (!recordIsNumber(vx) || !recordIsNumber(vy)) {
                ++out.leftOut;
                continue;
            }
            const double px = vx.toDouble(), py = vy.toDouble();
            if (out.points + found == 0) {
                out.xmin = out.xmax = px;
                out.ymin = out.ymax = py;
            }
            out.xmin = std::min(out.xmin, px), out.xmax = std::max(out.xmax, px);
            out.ymin = std::min(out.ymin, py), out.ymax = std::max(out.ymax, py);
            ++found;
            if (ground >= 0 && recordIsNumber(query.value(2)))
                grounds.push_back(query.value(2).toDouble());
        }
        // A damaged file may only fail after some rows.
        if (query.lastError().isValid())
            return failed(table, query);
        out.points += found;
        if (!out.kinds.empty())
            out.kinds.back().points = found;
        return true;
    }
};

bool readTables(const QSqlDatabase& db, const QString& shown, NetworkSurvey& out, QString& error) {
    // SQLite's table names are matched without regard to case, as the loaders' SQL is.
    QHash<QString, QString> tables;
    for (const QString& name : db.tables(QSql::Tables) + db.tables(QSql::Views))
        tables.insert(name.toLower(), name);
    TableReader reader{db, shown, error};
    bool anyTable = false;
    QStringList withoutCoordinates;
    std::vector<double> grounds;
    for (std::size_t k = 0; k < KindCount; ++k) {
        const QString pointTable = tables.value(QString::fromLatin1(UtilityKinds[k].pointTable).toLower());
        const QString lineTable = tables.value(QString::fromLatin1(UtilityKinds[k].lineTable).toLower());
        if (pointTable.isEmpty() && lineTable.isEmpty())
            continue;
        anyTable = true;
        NetworkSurvey::Kind kind;
        kind.kind = k;
        if (!lineTable.isEmpty() && !reader.count(lineTable, kind.segments))
            return false;
        out.kinds.push_back(kind);
        if (!pointTable.isEmpty()) {
            const QSqlRecord record = db.record(pointTable);
            const int x = columnOf(record, QStringLiteral(u"X坐标")),
                      y = columnOf(record, QStringLiteral(u"Y坐标"));
            // 地面高程, the surveyed ground elevation at the point: the ground the network lies under.
            const int ground = columnOf(record, QStringLiteral(u"地面高程"));
            long long rows = 0;
            if (x >= 0 && y >= 0) {
                if (!reader.points(pointTable, x, y, ground, out, grounds))
                    return false;
            } else if (!reader.count(pointTable, rows)) {
                return false;
            } else if (rows > 0) {
                withoutCoordinates << pointTable;
                out.remarks +=
                    QStringLiteral(u"%1: no columns X坐标 and Y坐标; its %2 points are not shown\n")
                        .arg(pointTable)
                        .arg(rows);
            }
        }
        out.segments += out.kinds.back().segments;
        if (out.kinds.back().points == 0 && out.kinds.back().segments == 0)
            out.kinds.pop_back();
    }
    if (out.leftOut > 0)
        out.remarks +=
            QStringLiteral("%1 points whose coordinates are not numbers are left out\n").arg(out.leftOut);

    if (!anyTable) {
        error =
            QStringLiteral("No pipe tables in %1: it has none of the tables TQMB_PSPoint, TQMB_PSLine, ... "
                           "TQMB_JYPoint, TQMB_JYLine")
                .arg(shown);
        return false;
    }
    if (out.points == 0) {
        if (!withoutCoordinates.isEmpty())
            error = QStringLiteral(
                        u"The point tables of %1 have no coordinates (the columns X坐标 and Y坐标): %2")
                        .arg(shown, withoutCoordinates.join(QStringLiteral(", ")));
        else if (out.leftOut > 0)
            error = QStringLiteral(
                        u"No point of %1 has coordinates: X坐标 and Y坐标 of its %2 points are not numbers")
                        .arg(shown, QString::number(out.leftOut));
        else
            error = QStringLiteral("The pipe tables of %1 hold no points").arg(shown);
        return false;
    }
    for (double v : {out.xmin, out.ymin, out.xmax, out.ymax})
        if (std::fabs(v) > osgEarth::MaxExtentCoordinate / 2) {
            error =
                QStringLiteral(u"The points of %1 lie beyond 5e8 (X坐标 from %2 to %3, Y坐标 from %4 to %5)")
                    .arg(shown, QString::number(out.xmin, 'g', 12), QString::number(out.xmax, 'g', 12),
                         QString::number(out.ymin, 'g', 12), QString::number(out.ymax, 'g', 12));
            return false;
        }
    if (out.xmax - out.xmin > MaxNetworkSpan || out.ymax - out.ymin > MaxNetworkSpan) {
        error = QStringLiteral("The points of %1 lie more than %2 km apart, from (%3, %4) to (%5, %6): "
                               "are some far off the rest?")
                    .arg(shown, QString::number(MaxNetworkSpan / 1000), QString::number(out.xmin, 'f', 2),
                         QString::number(out.ymin, 'f', 2), QString::number(out.xmax, 'f', 2),
                         QString::number(out.ymax, 'f', 2));
        return false;
    }
    if (!grounds.empty()) {
        out.hasGround = true;
        out.ground = median(grounds);
    }
    return true;
}

bool carriesMark(const QString& path) {
    QFile file(path);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(static_cast<qint64>(maxXmlBytes));
    return text.contains(QByteArray("<!--") + NetworkFile::mark + "-->");
}

// Writes the text as `<stem>.pipe.xml` in the folder, or the first of `<stem>.2.pipe.xml`,
// ... that is free or ours.
bool writeIn(const QString& folder, const QString& stem, const std::string& text, QString& written,
             QString& why) {
    const QFileInfo dir(folder);
    if (!dir.isDir() || !dir.isWritable()) {
        why = QStringLiteral("the folder %1 cannot be written").arg(quoted(folder));
        return false;
    }
    for (int n = 1; n <= 100; ++n) {
        const QString candidate = folder + QLatin1Char('/') + stem +
                                  (n == 1 ? QString() : QLatin1Char('.') + QString::number(n)) +
                                  QStringLiteral(".pipe.xml");
        const QFileInfo existing(candidate);
        if ((existing.exists() || existing.isSymLink()) && !carriesMark(candidate))
            continue; // the user's own
        QSaveFile file(candidate);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
            !file.commit()) {
            why = QStringLiteral("%1: %2").arg(quoted(candidate), file.errorString());
            return false;
        }
        written = candidate;
        return true;
    }
    why = QStringLiteral("the folder %1 has a hundred pipe.xml files of others for it").arg(quoted(folder));
    return false;
}
} // namespace

bool NetworkFile::survey(const QString& database, NetworkSurvey& out, QString& error) {
    out = NetworkSurvey();
    const QFileInfo info(database);
    const QString shown = quoted(database);
    if (database.isEmpty() || !info.exists()) {
        error = QStringLiteral("No such file: %1").arg(shown);
        return false;
    }
    if (!info.isFile()) {
        error = QStringLiteral("Not a regular file: %1").arg(shown);
        return false;
    }
    const QString suffix = info.suffix().toLower();
    const bool sqlite =
        suffix == QLatin1String("sqlite") || suffix == QLatin1String("db") || suffix == QLatin1String("gpkg");
    if (!sqlite && suffix != QLatin1String("mdb") && suffix != QLatin1String("accdb")) {
        error =
            QStringLiteral("Not a database this program reads: %1 (it reads Access .mdb and .accdb files and "
                           "SQLite .sqlite, .db and .gpkg files)")
                .arg(shown);
        return false;
    }
    if (!info.isReadable()) {
        error = QStringLiteral("Cannot read %1: no permission").arg(shown);
        return false;
    }

    static std::atomic<unsigned> serial{0};
    const QString name = QStringLiteral("pn-open-survey-%1").arg(++serial);
    bool ok = false;
    {
        QSqlDatabase db;
        const QSqlError failure = openNetworkFile(db, name, qstringToGbk(info.absoluteFilePath()));
        // The database's own words; the driver's add only which call failed.
        const QString why =
            (failure.databaseText().isEmpty() ? failure.text() : failure.databaseText()).trimmed();
        if (failure.type() != QSqlError::NoError)
            error = sqlite ? QStringLiteral("%1 cannot be read as a SQLite database: %2").arg(shown, why)
                           : why; // the Access reader's reason names the file
        else
            ok = readTables(db, shown, out, error);
        db.close();
    }
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
    if (!ok)
        out = NetworkSurvey();
    return ok;
}

void NetworkFile::paddedExtent(const NetworkSurvey& s, bool geographic, double& xmin, double& ymin,
                               double& xmax, double& ymax) {
    const double unit = geographic ? 1e-5 : 1.0;
    const double margin =
        std::max(geographic ? 1e-4 : 25.0, 0.05 * std::max(s.xmax - s.xmin, s.ymax - s.ymin));
    xmin = std::floor((s.xmin - margin) / unit) * unit;
    ymin = std::floor((s.ymin - margin) / unit) * unit;
    xmax = std::ceil((s.xmax + margin) / unit) * unit;
    ymax = std::ceil((s.ymax + margin) / unit) * unit;
}

std::string NetworkFile::pipeXmlText(const QString& database, const std::string& srs,
                                     const NetworkSurvey& s) {
    const osgEarth::SpatialReference* system = osgEarth::SpatialReference::create(srs);
    const bool geographic = system && system->isGeographic();
    double extent[4];
    paddedExtent(s, geographic, extent[0], extent[1], extent[2], extent[3]);
    QStringList numbers;
    for (double v : extent)
        numbers << QString::number(v, 'f', geographic ? 5 : 0);

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeComment(QString::fromLatin1(mark));
    xml.writeStartElement(QStringLiteral("pipeline"));
    xml.writeEmptyElement(QStringLiteral("conn"));
    xml.writeAttribute(QStringLiteral("str"),
                       QDir::toNativeSeparators(QFileInfo(database).absoluteFilePath()));
    xml.writeEmptyElement(QStringLiteral("view"));
    xml.writeAttribute(QStringLiteral("srs"), QString::fromStdString(srs));
    xml.writeAttribute(QStringLiteral("extent"), numbers.join(QLatin1Char(' ')));
    // The tile centres at the ground the points were surveyed on.
    xml.writeAttribute(QStringLiteral("baseZ"), QString::number(s.hasGround ? s.ground : 0.0, 'g', 12));
    if (s.hasGround)
        xml.writeAttribute(QStringLiteral("ground"), QString::number(s.ground, 'g', 12));
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes.toStdString();
}

bool NetworkFile::write(const QString& database, const std::string& srs, const NetworkSurvey& survey,
                        QString& pipeXml, QString& error) {
    const QFileInfo info(database);
    const std::string text = pipeXmlText(database, srs, survey);
    QString beside, elsewhere;
    if (writeIn(info.absolutePath(), info.fileName(), text, pipeXml, beside))
        return true;
    // Databases of the same name in different folders get files of their own.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString folder = data + QStringLiteral("/networks");
    const QString stem = info.fileName() + QLatin1Char('-') +
                         QString::fromLatin1(QCryptographicHash::hash(info.absoluteFilePath().toUtf8(),
                                                                      QCryptographicHash::Sha1)
                                                 .toHex()
                                                 .left(8));
    if (data.isEmpty())
        elsewhere = QStringLiteral("there is no folder for the application's data");
    else if (QDir().mkpath(folder) && writeIn(folder, stem, text, pipeXml, elsewhere))
        return true;
    else if (elsewhere.isEmpty())
        elsewhere = QStringLiteral("the folder %1 cannot be made").arg(quoted(folder));
    error = QStringLiteral("Cannot write a pipe.xml for %1: %2; %3").arg(quoted(database), beside, elsewhere);
    return false;
}

bool NetworkFile::checkSrs(const std::string& srs, std::string& reason) {
    const QString text = QString::fromStdString(srs).trimmed();
    if (text.isEmpty()) {
        reason = "No coordinate system given";
        return false;
    }
    const std::string shown =
        "\"" + (text.size() > 60 ? text.left(57) + QStringLiteral("...") : text).toStdString() + "\"";
    const osgEarth::SpatialReference* system = osgEarth::SpatialReference::create(srs);
    if (!system) {
        reason = "GDAL does not read " + shown +
                 " as a coordinate system (an EPSG code such as EPSG:4547, WKT or a "
                 "PROJ string)";
        return false;
    }
    if (system->isGeocentric()) {
        reason = shown + " is an earth-centred system, not a map's";
        return false;
    }
    return true;
}
