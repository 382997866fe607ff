#include "network/RecordLoader.h"

#include "Torvik/CXPlayerManager.h"
#include "database/DBConnection.h"
#include "database/DatabasePath.h"
#include "network/ExtentIndex.h"
#include "network/RecordField.h"
#include "text/GbkEncoder.h"
#include "text/GbkText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <memory>
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

// Whether a result's column name (GBK) is `column`, ignoring the case of ASCII letters: a
// server gives the names its tables were made with folded ("gid", "x坐标"). The two bytes
// of a GBK character are compared as they are, as its second byte may be a letter's.
bool sameColumn(const std::string& name, const char* column) {
    std::size_t i = 0;
    for (; i < name.size() && column[i] != '\0'; ++i) {
        const unsigned char a = static_cast<unsigned char>(name[i]),
                            b = static_cast<unsigned char>(column[i]);
        if (a >= 0x80 || b >= 0x80) {
            if (a != b || i + 1 == name.size() || name[i + 1] != column[i + 1])
                return false;
            ++i;
            continue;
        }
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return i == name.size() && column[i] == '\0';
}

// Where each of `columns` is in the result, or -1.
std::vector<int> positions(const std::vector<std::string>& names,
                           std::initializer_list<const char*> columns) {
    std::vector<int> at;
    for (const char* column : columns) {
        auto found = std::find_if(names.begin(), names.end(),
                                  [&](const std::string& name) { return sameColumn(name, column); });
        at.push_back(found == names.end() ? -1 : static_cast<int>(found - names.begin()));
    }
    return at;
}

// Whether every one of the columns at `at` (of those the result has) holds a number in this row.
bool numbersIn(const std::vector<int>& at, const QSqlQuery& row) {
    return std::all_of(at.begin(), at.end(), [&](int i) { return i < 0 || recordIsNumber(row.value(i)); });
}

// How the rows of one query become records: which member and which kept value each
// column of the result gives, worked out once before the first row; each row is then
// stored by position. Gives the same records as setField column by column. A column is
// a member's whatever the case of its ASCII letters, and is then kept under the member's
// own spelling, so that a server's folded names give the records a file gives; other
// columns keep the names the database gives.
template <class Record> class RowFiller {
public:
    explicit RowFiller(const std::vector<std::string>& names) {
        std::vector<AttributeColumns::Column> columns;
        for (const std::string& name : names) {
            AttributeColumns::Column column;
            column.name = name;
            for (std::size_t m = 0; m < std::size(Record::memberColumns); ++m) {
                if (sameColumn(name, Record::memberColumns[m].column)) {
                    column.name = Record::memberColumns[m].column;
                    column.member = static_cast<int>(m);
                    column.memberIsText = Record::memberColumns[m].text != nullptr;
                    break;
                }
            }
            columns.push_back(std::move(column));
        }
        table = std::make_shared<const AttributeColumns>(std::move(columns));
    }

    void fill(const QSqlQuery& row, Record& record) {
        bytes.clear();
        const std::vector<AttributeColumns::Column>& columns = table->columns();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const AttributeColumns::Column& column = columns[i];
            const QVariant value = row.value(static_cast<int>(i));
            // A value kept as its member's reference must read back exactly as Qt gave it.
            bool referred = false;
            if (column.member >= 0) {
                const MemberColumn<Record>& member = Record::memberColumns[column.member];
                if (member.text) {
                    const QString text = value.toString();
                    std::string& target = record.*member.text;
                    target = encoder.encode(text);
                    referred = column.mayReferToMember && value.userType() == QMetaType::QString &&
                               !value.isNull() &&
                               (GbkEncoder::isAscii(text) || encoder.decode(target) == text);
                } else {
                    record.*member.number = recordNumber(value);
                    // A NULL typed as a number (a server's) reads 0 in the member, so it
                    // is kept as the NULL it is.
                    referred = column.mayReferToMember && value.userType() == QMetaType::Double &&
                               !value.isNull() && std::isfinite(value.toDouble());
                }
            }
            if (column.stored < 0)
                continue;
            if (referred)
                AttributeStore::appendMemberReference(bytes, column.member, column.memberIsText);
            else
                AttributeStore::appendValue(bytes, value);
        }
        record.attributes.assign(table, bytes, &pool);
    }

private:
    std::shared_ptr<const AttributeColumns> table;
    GbkEncoder encoder;
    AttributePool pool;
    std::string bytes; // one row's values, reused from row to row
};

// Opens `connection` (made on the path pipe.xml names) for the calling thread; a failure is
// reported for `what`.
bool openNetwork(const std::string& what, std::unique_ptr<ThreadConnection>& connection) {
    std::string path;
    try {
        path = readDatabasePath();
    } catch (const std::exception& e) {
        reportFailure(what, e.what());
        return false;
    }
    connection = std::make_unique<ThreadConnection>(path);
    if (connection->open())
        return true;
    reportFailure(what, "the network database " + path + " could not be opened");
    return false;
}

enum class Outcome { Read, QueryFailed, RowsFailed };

// Runs `sql` on `database`, hands the result's column names (GBK) to `eachRow.begin` and
// then each row to `eachRow`; on failure, `error` says what failed.
template <class EachRow>
Outcome queryOn(const QSqlDatabase& database, const std::string& sql, EachRow& eachRow, std::string& error) {
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(gbkToQString(sql)) || !query.exec()) {
        error = "the query failed (a table or column missing?): " + qstringToGbk(query.lastError().text());
        return Outcome::QueryFailed;
    }
    QSqlRecord columns = query.record();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(columns.count()));
    for (int i = 0; i < columns.count(); ++i)
        names.push_back(qstringToGbk(columns.fieldName(i)));
    eachRow.begin(names);
    while (query.next())
        eachRow(query);
    if (query.lastError().isValid()) {
        error = "reading the rows failed: " + qstringToGbk(query.lastError().text());
        return Outcome::RowsFailed;
    }
    return Outcome::Read;
}

// Runs the query `sqlFor` makes for the calling thread's connection to the network
// database, hands the result's column names (GBK) to `eachRow.begin` and then each row to
// `eachRow`. A failure is reported for `what` (a table or layer name), and so is an error
// met while the rows are read: the caller then drops the rows it was given.
template <class SqlFor, class EachRow>
bool runQueryFor(const std::string& what, const SqlFor& sqlFor, EachRow& eachRow) {
    std::unique_ptr<ThreadConnection> connection;
    if (!openNetwork(what, connection))
        return false;
    std::string error;
    for (;;) {
        const Outcome outcome =
            queryOn(connection->database(), sqlFor(connection->database()), eachRow, error);
        if (outcome == Outcome::Read)
            return true;
        // Rows already handed on are never handed again: only a query that gave none is
        // tried once more, on a new connection to the server.
        if (!connection->failed() || outcome == Outcome::RowsFailed)
            break;
        if (!connection->open()) {
            reportFailure(what, "the network database could not be opened again");
            return false;
        }
    }
    reportFailure(what, error);
    return false;
}

template <class EachRow> bool runQuery(const std::string& what, const std::string& sql, EachRow& eachRow) {
    return runQueryFor(
        what, [&sql](const QSqlDatabase&) { return sql; }, eachRow);
}

} // namespace

namespace {

template <class SqlFor>
bool loadPoints(const std::string& pointTable, const SqlFor& sqlFor, std::list<CPPoint>& out) {
    struct Rows {
        explicit Rows(std::list<CPPoint>& into) : out(into) {}
        std::list<CPPoint>& out;
        std::unique_ptr<RowFiller<CPPoint>> filler;
        std::vector<int> coordinates;
        bool columnsMissing = false;
        std::size_t leftOut = 0;

        void begin(const std::vector<std::string>& names) {
            filler = std::make_unique<RowFiller<CPPoint>>(names);
            coordinates = positions(names, {"X坐标", "Y坐标"});
            columnsMissing = std::count(coordinates.begin(), coordinates.end(), -1) > 0;
        }
        void operator()(const QSqlQuery& row) {
            if (columnsMissing || !numbersIn(coordinates, row)) {
                ++leftOut;
                return;
            }
            filler->fill(row, out.emplace_back());
        }
    } rows(out);
    bool ok = runQueryFor(pointTable, sqlFor, rows);
    if (ok && rows.columnsMissing && rows.leftOut > 0) {
        reportFailure(pointTable, "the columns X坐标 and Y坐标 are not both there");
        return false;
    }
    if (ok)
        reportLeftOut(pointTable, rows.leftOut, "coordinates not numbers");
    return ok;
}

template <class SqlFor>
bool loadSegments(const SqlFor& sqlFor, const std::string& layerName, std::uint32_t colour,
                  std::list<CPPipeLine>& out) {
    struct Rows {
        Rows(std::list<CPPipeLine>& into, const std::string& layer, std::uint32_t packed)
            : out(into), layerName(layer), colour(packed) {}
        std::list<CPPipeLine>& out;
        const std::string& layerName;
        std::uint32_t colour;
        std::unique_ptr<RowFiller<CPPipeLine>> filler;
        std::vector<int> coordinates;
        std::size_t leftOut = 0;

        void begin(const std::vector<std::string>& names) {
            filler = std::make_unique<RowFiller<CPPipeLine>>(names);
            coordinates = positions(names, {"起点横坐标", "起点纵坐标", "终点横坐标", "终点纵坐标"});
        }
        void operator()(const QSqlQuery& row) {
            if (!numbersIn(coordinates, row)) {
                ++leftOut;
                return;
            }
            CPPipeLine& segment = out.emplace_back();
            filler->fill(row, segment);
            segment.layerName = layerName;
            segment.color = colour;
        }
    } rows(out, layerName, colour);
    bool ok = runQueryFor(layerName, sqlFor, rows);
    if (ok)
        reportLeftOut(layerName, rows.leftOut, "coordinates not numbers");
    return ok;
}

} // namespace

bool loadPointRows(const std::string& pointTable, std::list<CPPoint>& out) {
    return loadPoints(
        pointTable, [&](const QSqlDatabase&) { return "SELECT * FROM " + pointTable; }, out);
}

std::string segmentQuery(const std::string& lineTable, const std::string& pointTable,
                         const std::string& pairs, const std::string& pairsCondition) {
    const std::string& l = lineTable;
    const std::string& p = pointTable;
    std::string chosen;
    if (!pairs.empty())
        chosen = (pairsCondition.empty() ? std::string() : pairsCondition + " AND ") + l +
                 ".起点物探号 = e.startNumber AND " + l + ".终点物探号 = e.endNumber AND ";
    return "SELECT " + l +
           ".*, 管点1.X坐标 as 起点横坐标, 管点1.Y坐标 as 起点纵坐标, 管点1.地面高程 as 起点高程, " +
           "管点2.X坐标 as 终点横坐标, 管点2.Y坐标 as 终点纵坐标 ,管点2.地面高程 as 终点高程 FROM " +
           (pairs.empty() ? std::string() : pairs + ", ") + l + ", " + p + " as 管点1, " + p +
           " as 管点2 WHERE " + chosen + l + ".起点物探号 = 管点1.物探点号 AND " + l +
           ".终点物探号 = 管点2.物探点号";
}

bool loadSegmentRows(const std::string& query, const std::string& layerName, std::uint32_t colour,
                     std::list<CPPipeLine>& out) {
    return loadSegments([&](const QSqlDatabase&) { return query; }, layerName, colour, out);
}

int readableByExtent(const std::string& lineTable, const std::string& layerName) {
    struct Nothing {
        void begin(const std::vector<std::string>&) {}
        void operator()(const QSqlQuery&) {}
    } nothing;
    // The list of tables is taken on the connection the query then runs on: a server's
    // connection cut since the last load lists none, fails the query and is made anew,
    // and the list is taken again.
    bool present = false;
    const bool read = runQueryFor(
        layerName,
        [&](const QSqlDatabase& database) {
            present = ExtentIndex::present(database, lineTable);
            return std::string("SELECT 1");
        },
        nothing);
    return read ? (present ? 1 : 0) : -1;
}

bool loadPointRowsIn(const std::string& pointTable, const ExtentIndex::Bounds& bounds,
                     std::list<CPPoint>& out) {
    return loadPoints(
        pointTable,
        [&](const QSqlDatabase& database) { return ExtentIndex::pointQuery(database, pointTable, bounds); },
        out);
}

bool loadSegmentRowsIn(const std::string& lineTable, const std::string& pointTable,
                       const ExtentIndex::Bounds& bounds, const std::string& layerName, std::uint32_t colour,
                       std::list<CPPipeLine>& out, std::size_t longest) {
    return loadSegments(
        [&](const QSqlDatabase& database) {
            return ExtentIndex::segmentQuery(database, lineTable, pointTable, bounds, longest);
        },
        layerName, colour, out);
}

std::size_t countUnjoinedSegments(const std::string& lineTable, const std::string& pointTable,
                                  const std::string& layerName) {
    const std::string& l = lineTable;
    const std::string& p = pointTable;
    struct Count {
        std::size_t count = 0;
        void begin(const std::vector<std::string>&) {}
        void operator()(const QSqlQuery& row) { count = static_cast<std::size_t>(row.value(0).toLongLong()); }
    } rows;
    // A NULL survey number joins nothing, so it counts. A server answers NOT EXISTS with an
    // anti-join whatever the tables' size (its NOT IN may go row by row); SQLite answers
    // NOT IN from an index it makes of the list (its NOT EXISTS scans the point table once
    // per segment where the file has no index on the survey numbers).
    runQueryFor(
        layerName,
        [&](const QSqlDatabase& database) -> std::string {
            if (database.driverName() == QLatin1String("QPSQL"))
                return "SELECT COUNT(*) FROM " + l + " WHERE NOT EXISTS (SELECT 1 FROM " + p + " WHERE " + p +
                       ".物探点号 = " + l + ".起点物探号) OR NOT EXISTS (SELECT 1 FROM " + p + " WHERE " + p +
                       ".物探点号 = " + l + ".终点物探号)";
            const std::string numbers = "(SELECT 物探点号 FROM " + p + " WHERE 物探点号 IS NOT NULL)";
            return "SELECT COUNT(*) FROM " + l +
                   " WHERE 起点物探号 IS NULL OR 终点物探号 IS NULL OR 起点物探号 NOT IN " + numbers +
                   " OR 终点物探号 NOT IN " + numbers;
        },
        rows);
    reportLeftOut(layerName, rows.count, "end points not found");
    return rows.count;
}
