#include "network/RecordLoader.h"

#include "database/DBConnection.h"
#include "database/DatabasePath.h"
#include "text/GbkText.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <exception>
#include <vector>

namespace {

// Runs `sql` on the network database and hands each row with the result's column
// names (GBK) to `eachRow`.
template <class EachRow> bool runQuery(const std::string& sql, EachRow eachRow) {
    std::string path;
    try {
        path = readDatabasePath();
    } catch (const std::exception&) {
        return false;
    }
    DBConnection connection(path);
    if (!connection.open())
        return false;
    {
        QSqlQuery query;
        query.setForwardOnly(true);
        if (!query.prepare(gbkToQString(sql)) || !query.exec())
            return false;
        QSqlRecord columns = query.record();
        std::vector<std::string> names;
        names.reserve(static_cast<std::size_t>(columns.count()));
        for (int i = 0; i < columns.count(); ++i)
            names.push_back(qstringToGbk(columns.fieldName(i)));
        while (query.next())
            eachRow(names, query);
    }
    connection.close();
    return true;
}

} // namespace

bool loadPointRows(const std::string& pointTable, std::list<CPPoint>& out) {
    return runQuery("SELECT * FROM " + pointTable,
                    [&](const std::vector<std::string>& names, QSqlQuery& row) {
                        CPPoint& point = out.emplace_back();
                        for (std::size_t i = 0; i < names.size(); ++i)
                            point.setField(names[i], row.value(static_cast<int>(i)));
                    });
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
    return runQuery(query, [&](const std::vector<std::string>& names, QSqlQuery& row) {
        CPPipeLine& segment = out.emplace_back();
        for (std::size_t i = 0; i < names.size(); ++i)
            segment.setField(names[i], row.value(static_cast<int>(i)));
        segment.layerName = layerName;
        segment.color = colour;
    });
}
