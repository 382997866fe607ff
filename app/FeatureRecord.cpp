#include "app/FeatureRecord.h"

#include "database/DBConnection.h"
#include "database/DatabasePath.h"
#include "network/CPPipeLine.h"
#include "network/CPPoint.h"
#include "network/UtilityKind.h"
#include "text/GbkText.h"

#include "Torvik/CXPlayerManager.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>

namespace {

int kindOfLayer(const std::string& layerName) {
    for (std::size_t k = 0; k < KindCount; ++k)
        if (layerName == UtilityKinds[k].layerName)
            return static_cast<int>(k);
    return -1;
}

// The table of the feature's kind: never text a feature merely carries, so no SQL is ever
// built from anything but the fixed kind table.
std::string tableOf(Feature::Type type, int kind) {
    if (kind < 0 || kind >= static_cast<int>(KindCount))
        return std::string();
    const UtilityKind& k = UtilityKinds[kind];
    return type == Feature::Type::Pipe ? k.lineTable : k.pointTable;
}

// The calling thread's connection to the network database that pipe.xml names.
std::unique_ptr<ThreadConnection> openNetwork(std::string& error) {
    std::string path;
    try {
        path = readDatabasePath();
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    if (path.empty()) {
        error = "pipe.xml names no network database";
        return nullptr;
    }
    auto connection = std::make_unique<ThreadConnection>(path);
    if (!connection->open()) {
        error = "the network database " + path + " could not be opened";
        return nullptr;
    }
    return connection;
}

bool run(QSqlQuery& query, const std::string& sql, const std::vector<QString>& values) {
    query.setForwardOnly(true);
    if (!query.prepare(gbkToQString(sql)))
        return false;
    for (const QString& value : values)
        query.addBindValue(value);
    return query.exec();
}

// A value as the database holds it: numbers with the 15 significant digits a double keeps
// of what was entered, binary columns by their size, NULL as nothing.
std::string valueText(const QVariant& value) {
    if (value.isNull())
        return std::string();
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
    case QMetaType::Float:
        return qstringToGbk(QString::number(value.toDouble(), 'g', 15));
    case QMetaType::QByteArray:
        return "(" + std::to_string(value.toByteArray().size()) + " bytes)";
    default:
        return qstringToGbk(value.toString());
    }
}

bool number(const QVariant& value, double& out) {
    if (value.isNull())
        return false;
    bool ok = false;
    out = value.toDouble(&ok);
    return ok;
}

// The condition that picks the feature's row out of its table, over the keys it has.
std::string rowCondition(const Feature& feature, std::vector<QString>& values) {
    std::vector<const char*> columns{"GID"};
    if (feature.type == Feature::Type::Pipe)
        columns.insert(columns.end(), {"起点物探号", "终点物探号"});
    else
        columns.push_back("物探点号");
    std::vector<std::string> keys{feature.gid};
    keys.insert(keys.end(), feature.surveyNumbers.begin(), feature.surveyNumbers.end());
    std::string condition;
    for (std::size_t i = 0; i < columns.size() && i < keys.size(); ++i) {
        if (keys[i].empty())
            continue;
        condition += (condition.empty() ? "" : " AND ") + std::string(columns[i]) + " = ?";
        values.push_back(gbkToQString(keys[i]));
    }
    return condition;
}

std::string describe(const Feature& feature) {
    std::string text = feature.type == Feature::Type::Pipe ? "pipe" : "point";
    if (!feature.gid.empty())
        return text + " of GID " + feature.gid;
    for (const std::string& number : feature.surveyNumbers)
        text += " " + number;
    return text;
}

std::string pointWhat(const std::string& nature, const std::string& facility) {
    if (!facility.empty() && facility != nature)
        return nature.empty() ? facility : nature + "/" + facility;
    return nature.empty() ? std::string("管点") : nature;
}

struct PipeMatch {
    Found found;
    double startDepth = 0.0, endDepth = 0.0;
};

// A pipe's position: the middle of the ends whose points the point table has.
void placePipe(const QSqlDatabase& db, const UtilityKind& kind, PipeMatch& match) {
    const std::vector<std::string>& numbers = match.found.feature.surveyNumbers;
    const double depths[2] = {match.startDepth, match.endDepth};
    osg::Vec3d sum;
    int ends = 0;
    for (std::size_t i = 0; i < 2 && i < numbers.size(); ++i) {
        QSqlQuery query(db);
        if (numbers[i].empty() ||
            !run(query, std::string("SELECT X坐标, Y坐标 FROM ") + kind.pointTable + " WHERE 物探点号 = ?",
                 {gbkToQString(numbers[i])}))
            continue;
        double x = 0.0, y = 0.0;
        if (query.next() && number(query.value(0), x) && number(query.value(1), y)) {
            sum += osg::Vec3d(x, y, g_playerManager->getHeight(x, y) - depths[i]);
            ++ends;
        }
    }
    if (ends > 0) {
        match.found.hasPosition = true;
        match.found.position = sum / ends;
    }
}

} // namespace

bool FeatureRecord::fromNodePath(const osg::NodePath& path, Feature& feature) {
    for (auto node = path.rbegin(); node != path.rend(); ++node) {
        const osg::Referenced* data = *node ? (*node)->getUserData() : nullptr;
        if (!data)
            continue;
        if (const auto* segment = dynamic_cast<const CPPipeLine*>(data)) {
            feature = Feature();
            feature.type = Feature::Type::Pipe;
            feature.kind = kindOfLayer(segment->layerName);
            feature.table = tableOf(feature.type, feature.kind);
            feature.gid = segment->gid;
            feature.surveyNumbers = {segment->startNumber, segment->endNumber};
            feature.highlightName = segment->gid;
            return true;
        }
        if (const auto* point = dynamic_cast<const CPPoint*>(data)) {
            // The point records carry no kind: locate finds it by the row.
            feature = Feature();
            feature.type = Feature::Type::Point;
            feature.gid = point->gid;
            feature.surveyNumbers = {point->surveyNumber};
            feature.highlightName = point->gid;
            return true;
        }
    }
    return false;
}

namespace {
// The condition that names the feature's row (its values in `values`) and the connection to
// ask it on; null with the reason.
std::unique_ptr<ThreadConnection> rowQuery(const Feature& feature, std::string& condition,
                                           std::vector<QString>& values, std::string& error) {
    condition = rowCondition(feature, values);
    if (condition.empty()) {
        error = "the " + describe(feature) + " has neither a GID nor a survey number";
        return nullptr;
    }
    return openNetwork(error);
}
} // namespace

bool FeatureRecord::locate(Feature& feature, std::string& error) {
    if (feature.type == Feature::Type::None) {
        error = "nothing is picked";
        return false;
    }
    if (!tableOf(feature.type, feature.kind).empty()) {
        feature.table = tableOf(feature.type, feature.kind);
        return true;
    }
    std::vector<QString> values;
    std::string condition;
    std::unique_ptr<ThreadConnection> connection = rowQuery(feature, condition, values, error);
    if (!connection)
        return false;
    for (std::size_t k = 0; k < KindCount; ++k) {
        const std::string table = tableOf(feature.type, static_cast<int>(k));
        QSqlQuery query(connection->database());
        if (run(query, "SELECT * FROM " + table + " WHERE " + condition, values) && query.next()) {
            feature.kind = static_cast<int>(k);
            feature.table = table;
            return true;
        }
    }
    error = "no table of the network has the " + describe(feature);
    return false;
}

bool FeatureRecord::readRow(const Feature& picked, Columns& columns, std::string& error) {
    Feature feature = picked;
    if (!locate(feature, error))
        return false;
    std::vector<QString> values;
    std::string condition;
    std::unique_ptr<ThreadConnection> connection = rowQuery(feature, condition, values, error);
    if (!connection)
        return false;
    QSqlQuery query(connection->database());
    if (!run(query, "SELECT * FROM " + feature.table + " WHERE " + condition, values)) {
        error = feature.table + " could not be read: " + qstringToGbk(query.lastError().text());
        return false;
    }
    if (!query.next()) {
        error = query.lastError().isValid()
                    ? feature.table + " could not be read: " + qstringToGbk(query.lastError().text())
                    : feature.table + " has no row for the " + describe(feature);
        return false;
    }
    const QSqlRecord record = query.record();
    columns.clear();
    for (int i = 0; i < record.count(); ++i)
        columns.emplace_back(qstringToGbk(record.fieldName(i)), valueText(query.value(i)));
    return true;
}

bool FeatureRecord::find(const std::string& text, std::vector<Found>& found, std::string& error) {
    const QString wanted = gbkToQString(text).trimmed();
    if (wanted.isEmpty()) {
        error = "type a survey number or a GID to look for";
        return false;
    }
    std::unique_ptr<ThreadConnection> connection = openNetwork(error);
    if (!connection)
        return false;
    const QSqlDatabase& db = connection->database();
    std::size_t tablesRead = 0;
    for (std::size_t k = 0; k < KindCount; ++k) {
        const UtilityKind& kind = UtilityKinds[k];
        QSqlQuery points(db);
        if (run(points,
                std::string("SELECT GID, 物探点号, X坐标, Y坐标, 深度, 测点性质, 附属设施 FROM ") +
                    kind.pointTable + " WHERE 物探点号 = ? OR GID = ?",
                {wanted, wanted})) {
            ++tablesRead;
            while (points.next()) {
                Found match;
                Feature& feature = match.feature;
                feature.type = Feature::Type::Point;
                feature.kind = static_cast<int>(k);
                feature.table = kind.pointTable;
                feature.gid = valueText(points.value(0));
                feature.surveyNumbers = {valueText(points.value(1))};
                feature.highlightName = feature.gid;
                match.what = pointWhat(valueText(points.value(5)), valueText(points.value(6)));
                if (!feature.gid.empty())
                    match.highlightNames.push_back(feature.gid);
                double x = 0.0, y = 0.0, depth = 0.0;
                if (number(points.value(2), x) && number(points.value(3), y)) {
                    number(points.value(4), depth);
                    match.hasPosition = true;
                    match.position.set(x, y, g_playerManager->getHeight(x, y) - depth);
                }
                found.push_back(std::move(match));
            }
        }
        std::vector<PipeMatch> pipes;
        QSqlQuery lines(db);
        if (run(lines,
                std::string("SELECT GID, 起点物探号, 终点物探号, 起点埋深, 终点埋深 FROM ") + kind.lineTable +
                    " WHERE GID = ?",
                {wanted})) {
            ++tablesRead;
            while (lines.next()) {
                PipeMatch match;
                Feature& feature = match.found.feature;
                feature.type = Feature::Type::Pipe;
                feature.kind = static_cast<int>(k);
                feature.table = kind.lineTable;
                feature.gid = valueText(lines.value(0));
                feature.surveyNumbers = {valueText(lines.value(1)), valueText(lines.value(2))};
                feature.highlightName = feature.gid;
                match.found.what = "管段 " + feature.surveyNumbers[0] + "-" + feature.surveyNumbers[1];
                if (!feature.gid.empty())
                    match.found.highlightNames.push_back(feature.gid);
                number(lines.value(3), match.startDepth);
                number(lines.value(4), match.endDepth);
                pipes.push_back(std::move(match));
            }
        }
        lines.finish();
        for (PipeMatch& pipe : pipes) {
            placePipe(db, kind, pipe);
            found.push_back(std::move(pipe.found));
        }
    }
    if (tablesRead == 0) {
        error = "none of the point and line tables of the network could be read";
        return false;
    }
    return true;
}
