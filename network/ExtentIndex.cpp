#include "network/ExtentIndex.h"

#include "network/RecordLoader.h"
#include "text/GbkText.h"
#include "text/Number.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cmath>

namespace {

bool onServer(const QSqlDatabase& database) {
    return database.driverName() == QLatin1String("QPSQL");
}

bool run(QSqlDatabase& database, const std::string& sql, std::string& error) {
    QSqlQuery query(database);
    if (query.exec(gbkToQString(sql)))
        return true;
    error = qstringToGbk(query.lastError().text()) + " (" + sql.substr(0, 120) + ")";
    return false;
}

// A bound reaching a little further out, so that no value a database stores with less
// precision (an R*Tree keeps 32-bit boxes, rounded outward) falls outside it.
std::string outward(double value, double direction) {
    const double slack = std::fabs(value) * 1e-9 + 1e-9;
    return formatDecimal(value + direction * slack);
}

// The survey-number pairs of the kind's segments with the box of their ends, as the
// segment query joins them.
std::string pairBoxes(const std::string& l, const std::string& p, bool server) {
    const std::string least = server ? "least" : "min", greatest = server ? "greatest" : "max";
    return "SELECT " + l + ".起点物探号 AS startNumber, " + l + ".终点物探号 AS endNumber, min(" + least +
           "(a.X坐标, b.X坐标)) AS minX, max(" + greatest + "(a.X坐标, b.X坐标)) AS maxX, min(" + least +
           "(a.Y坐标, b.Y坐标)) AS minY, max(" + greatest + "(a.Y坐标, b.Y坐标)) AS maxY FROM " + l + ", " +
           p + " AS a, " + p + " AS b WHERE " + l + ".起点物探号 = a.物探点号 AND " + l +
           ".终点物探号 = b.物探点号 AND a.X坐标 IS NOT NULL AND a.Y坐标 IS NOT NULL AND b.X坐标 IS NOT NULL "
           "AND "
           "b.Y坐标 IS NOT NULL GROUP BY " +
           l + ".起点物探号, " + l + ".终点物探号";
}

} // namespace

namespace ExtentIndex {

std::string sideTable(const std::string& lineTable) {
    return lineTable + "_extent";
}

bool create(QSqlDatabase& database, const std::string& l, const std::string& p, std::string& error) {
    const bool server = onServer(database);
    const std::string side = sideTable(l);
    const std::string steps[] = {
        "CREATE INDEX IF NOT EXISTS " + p + "_number ON " + p + " (物探点号)",
        server ? "CREATE INDEX IF NOT EXISTS " + p + "_xy ON " + p + " USING gist (point(X坐标, Y坐标))"
               : "CREATE INDEX IF NOT EXISTS " + p + "_xy ON " + p + " (X坐标, Y坐标)",
        "CREATE INDEX IF NOT EXISTS " + l + "_ends ON " + l + " (起点物探号, 终点物探号)",
        "DROP TABLE IF EXISTS " + side,
        server ? "CREATE TABLE " + side + " AS " + pairBoxes(l, p, true)
               : "CREATE VIRTUAL TABLE " + side +
                     " USING rtree(id, minX, maxX, minY, maxY, +startNumber, +endNumber)",
        server ? "CREATE INDEX " + side + "_box ON " + side +
                     " USING gist (box(point(minX, minY), point(maxX, maxY)))"
               : "INSERT INTO " + side +
                     " (startNumber, endNumber, minX, maxX, minY, maxY) SELECT startNumber, "
                     "endNumber, minX, maxX, minY, maxY FROM (" +
                     pairBoxes(l, p, false) + ")",
        // The planner's figures for the tables just filled, so that the first queries
        // (a count of unjoined segments among them) are planned as joins, not row by row.
        "ANALYZE " + p,
        "ANALYZE " + l,
        server ? "ANALYZE " + side : "SELECT 1",
    };
    for (const std::string& step : steps)
        if (!run(database, step, error))
            return false;
    return true;
}

bool present(const QSqlDatabase& database, const std::string& lineTable) {
    const QString side = gbkToQString(sideTable(lineTable));
    for (const QString& table : database.tables())
        if (table.compare(side, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::string pointQuery(const QSqlDatabase& database, const std::string& p, const Bounds& b) {
    const std::string x0 = outward(b.xMin, -1), x1 = outward(b.xMax, 1), y0 = outward(b.yMin, -1),
                      y1 = outward(b.yMax, 1);
    if (onServer(database))
        return "SELECT * FROM " + p + " WHERE point(X坐标, Y坐标) <@ box(point(" + x0 + ", " + y0 +
               "), point(" + x1 + ", " + y1 + "))";
    return "SELECT * FROM " + p + " WHERE X坐标 >= " + x0 + " AND X坐标 <= " + x1 + " AND Y坐标 >= " + y0 +
           " AND Y坐标 <= " + y1;
}

std::string segmentQuery(const QSqlDatabase& database, const std::string& l, const std::string& p,
                         const Bounds& b, std::size_t longest) {
    const std::string x0 = outward(b.xMin, -1), x1 = outward(b.xMax, 1), y0 = outward(b.yMin, -1),
                      y1 = outward(b.yMax, 1);
    const std::string side = sideTable(l);
    const std::string meets =
        onServer(database)
            ? "box(point(e.minX, e.minY), point(e.maxX, e.maxY)) && box(point(" + x0 + ", " + y0 +
                  "), point(" + x1 + ", " + y1 + "))"
            : "e.minX <= " + x1 + " AND e.maxX >= " + x0 + " AND e.minY <= " + y1 + " AND e.maxY >= " + y0;
    // The whole kind's query, the side table's boxes choosing the pairs.
    if (longest == 0)
        return ::segmentQuery(l, p, side + " AS e", meets);
    return ::segmentQuery(l, p,
                          "(SELECT startNumber, endNumber FROM " + side + " AS e WHERE " + meets +
                              " ORDER BY (e.maxX - e.minX) + (e.maxY - e.minY) DESC LIMIT " +
                              std::to_string(longest) + ") AS e");
}

} // namespace ExtentIndex
