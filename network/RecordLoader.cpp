#include "network/RecordLoader.h"

#include "Torvik/CXPlayerManager.h"
#include "database/DBConnection.h"
#include "database/DatabasePath.h"
#include "network/RecordField.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <vector>

namespace {

void reportFailure(const std::string& what, const std::string& reason) {
    g_playerManager->OnCallback(CXPlayerManager::LoadFailureCallback, what + ": " + reason, nullptr);
}

void reportLeftOut(const std::string& what, std::size_t count, const std::string& reason) {
    if (count > 0)
        g_playerManager->OnCallback(CXPlayerManager::LeftOutCallback,
                                    what + "\t" + std::to_string(count) + "\t" + reason, nullptr);
}

bool hasColumns(const std::vector<std::string>& names, std::initializer_list<const char*> columns) {
    return std::all_of(columns.begin(), columns.end(), [&](const char* column) {
        return std::find(names.begin(), names.end(), column) != names.end();
    });
}

// Whether every one of `columns` (of those the result has) holds a number in this row.
bool numbersIn(const std::vector<std::string>& names, const QSqlQuery& row,
               std::initializer_list<const char*> columns) {
    for (const char* column : columns) {
        auto at = std::find(names.begin(), names.end(), column);
        if (at != names.end() && !recordIsNumber(row.value(static_cast<int>(at - names.begin()))))
            return false;
    }
    return true;
}

// Runs `sql` on the network database and hands each row with the result's column
// names (GBK) to `eachRow`.
// A failure is reported for `what` (a table or layer name), and so is an error met while
// the rows are read: the caller then drops the rows it was given.
template <class EachRow> bool runQuery(const std::string& what, const std::string& sql, EachRow eachRow) {
    std::string path;
    try {
        path = readDatabasePath();
    } catch (const std::exception& e) {
        reportFailure(what, e.what());
        return false;
    }
    DBConnection connection(path);
    if (!connection.open()) {
        reportFailure(what, "the network database " + path + " could not be opened");
        return false;
    }
    {
        QSqlQuery query;
        query.setForwardOnly(true);
        if (!query.prepare(gbkToQString(sql)) || !query.exec()) {
            reportFailure(what, "the query failed (a table or column missing?): " +
                                    qstringToGbk(query.lastError().text()));
            return false;
        }
        QSqlRecord columns = query.record();
        std::vector<std::string> names;
        names.reserve(static_cast<std::size_t>(columns.count()));
        for (int i = 0; i < columns.count(); ++i)
            names.push_back(qstringToGbk(columns.fieldName(i)));
        while (query.next())
            eachRow(names, query);
        if (query.lastError().isValid()) {
            reportFailure(what, "reading the rows failed: " + qstringToGbk(query.lastError().text()));
            return false;
        }
    }
    connection.close();
    return true;
}

} // namespace

bool loadPointRows(const std::string& pointTable, std::list<CPPoint>& out) {
    std::size_t leftOut = 0;
    bool columnsMissing = false;
    bool ok = runQuery(pointTable, "SELECT * FROM " + pointTable,
                       [&](const std::vector<std::string>& names, QSqlQuery& row) {
                           columnsMissing = columnsMissing || !hasColumns(names, {"X坐标", "Y坐标"});
                           if (columnsMissing || !numbersIn(names, row, {"X坐标", "Y坐标"})) {
                               ++leftOut;
                               return;
                           }
                           CPPoint& point = out.emplace_back();
                           for (std::size_t i = 0; i < names.size(); ++i)
                               point.setField(names[i], row.value(static_cast<int>(i)));
                       });
    if (ok && columnsMissing) {
        reportFailure(pointTable, "the columns X坐标 and Y坐标 are not both there");
        return false;
    }
    if (ok)
        reportLeftOut(pointTable, leftOut, "coordinates not numbers");
    return ok;
}

std::string segmentQuery(const std::string& lineTable, const std::string& pointTable) {
    const std::string& l = lineTable;
    const std::string& p = pointTable;
    return "SELECT " + l +
           ".*, 管点1.X坐标 as 起点横坐标, 管点1.Y坐标 as 起点纵坐标, 管点1.地面高程 as 起点高程, " +
           "管点2.X坐标 as 终点横坐标, 管点2.Y坐标 as 终点纵坐标 ,管点2.地面高程 as 终点高程 FROM " + l +
           ", " + p + " as 管点1, " + p + " as 管点2 WHERE " + l + ".起点物探号 = 管点1.物探点号 AND " + l +
           ".终点物探号 = 管点2.物探点号";
}

bool loadSegmentRows(const std::string& query, const std::string& layerName, std::uint32_t colour,
                     std::list<CPPipeLine>& out) {
    std::size_t leftOut = 0;
    bool ok = runQuery(layerName, query, [&](const std::vector<std::string>& names, QSqlQuery& row) {
        if (!numbersIn(names, row, {"起点横坐标", "起点纵坐标", "终点横坐标", "终点纵坐标"})) {
            ++leftOut;
            return;
        }
        CPPipeLine& segment = out.emplace_back();
        for (std::size_t i = 0; i < names.size(); ++i)
            segment.setField(names[i], row.value(static_cast<int>(i)));
        segment.layerName = layerName;
        segment.color = colour;
    });
    if (ok)
        reportLeftOut(layerName, leftOut, "coordinates not numbers");
    return ok;
}

std::size_t countUnjoinedSegments(const std::string& lineTable, const std::string& pointTable,
                                  const std::string& layerName) {
    const std::string& l = lineTable;
    const std::string& p = pointTable;
    std::size_t count = 0;
    runQuery(layerName,
             "SELECT COUNT(*) FROM " + l + " WHERE 起点物探号 NOT IN (SELECT 物探点号 FROM " + p +
                 ") OR 终点物探号 NOT IN (SELECT 物探点号 FROM " + p + ")",
             [&](const std::vector<std::string>&, QSqlQuery& row) {
                 count = static_cast<std::size_t>(row.value(0).toLongLong());
             });
    reportLeftOut(layerName, count, "end points not found");
    return count;
}
