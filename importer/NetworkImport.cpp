#include "importer/NetworkImport.h"

#include "database/DBConnection.h"
#include "database/DatabasePath.h"
#include "database/PostgresAddress.h"
#include "importer/TableCopy.h"
#include "network/ExtentIndex.h"
#include "network/UtilityKind.h"
#include "text/GbkText.h"
#include "text/XmlBounds.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string gbk(const QString& text) {
    return qstringToGbk(text);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string rate(long long rows, double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f rows/s", seconds > 0 ? static_cast<double>(rows) / seconds : 0.0);
    return text;
}

// A connection of this import's own, removed from Qt's registry when done with.
struct Connection {
    explicit Connection(const char* role) {
        static std::atomic<unsigned> serial{0};
        name = QStringLiteral("pn-import-%1-%2").arg(QLatin1String(role)).arg(++serial);
    }
    ~Connection() {
        database.close();
        database = QSqlDatabase();
        if (QSqlDatabase::contains(name))
            QSqlDatabase::removeDatabase(name);
    }
    QString name;
    QSqlDatabase database;
};

bool endsWith(const QString& path, std::initializer_list<const char*> extensions) {
    for (const char* extension : extensions)
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

// "C:\..." and "\\server\..." are absolute too, as a pipe.xml written on Windows has them.
bool absolute(const QString& path) {
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')) ||
           (path.size() > 1 && path[1] == QLatin1Char(':'));
}

// The database the source names: the file or address itself, or what a pipe.xml names.
bool sourceDatabase(const std::string& given, std::string& database, std::string& error) {
    const QString path = gbkToQString(given);
    if (PostgresAddress::names(given) || !endsWith(path, {".xml"})) {
        database = given;
        return true;
    }
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + given;
        return false;
    }
    const QByteArray bytes = file.readAll();
    database = databasePathIn(bytes.toStdString(), error);
    if (database.empty()) {
        error = given + ": " + (error.empty() ? std::string("no conn str") : error);
        return false;
    }
    QString named = gbkToQString(database);
    if (!PostgresAddress::names(database) && !absolute(named))
        named = QFileInfo(path).absolutePath() + QLatin1Char('/') +
                named.replace(QLatin1Char('\\'), QLatin1Char('/'));
    database = gbk(named);
    return true;
}

QSqlError openSqliteTarget(Connection& target, const QString& path) {
    const QFileInfo file(path);
    if (file.exists() && !file.isFile())
        return QSqlError(QString(), QStringLiteral("Not a regular file: ") + path,
                         QSqlError::ConnectionError);
    target.database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), target.name);
    target.database.setDatabaseName(file.absoluteFilePath());
    if (!target.database.open())
        return target.database.lastError();
    // A file that is not an SQLite database only shows itself on the first read.
    QSqlQuery probe(target.database);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return probe.lastError();
    return QSqlError();
}

// The source's name of a kind's table, whatever the case of its letters.
QString tableIn(const QStringList& tables, const char* name) {
    const QString wanted = QLatin1String(name);
    if (tables.contains(wanted))
        return wanted;
    for (const QString& table : tables)
        if (table.compare(wanted, Qt::CaseInsensitive) == 0)
            return table;
    return QString();
}

// The progress line of a table, written over itself at each batch.
class ProgressLine {
public:
    ProgressLine(std::ostream& log, std::string table) : _log(log), _table(std::move(table)) {}
    ~ProgressLine() {
        if (_width)
            _log << '\n' << std::flush;
    }
    void operator()(long long copied, long long total) {
        std::string text = "  " + _table + ": " + std::to_string(copied) + " / " + std::to_string(total) +
                           " rows, " + rate(copied, secondsSince(_start));
        const std::size_t width = text.size();
        if (width < _width)
            text.append(_width - width, ' ');
        _width = width;
        _log << '\r' << text << std::flush;
    }

private:
    std::ostream& _log;
    std::string _table;
    Clock::time_point _start = Clock::now();
    std::size_t _width = 0;
};

class KindImport {
public:
    KindImport(const UtilityKind& kind, const QSqlDatabase& source, QSqlDatabase& target, bool postgres,
               int batch, std::ostream& log)
        : _kind(kind), _source(source), _target(target), _postgres(postgres), _batch(batch), _log(log) {}

    // False (the reason in `error`, GBK) when the kind was not copied; the target then
    // keeps what it had.
    bool run(const QString& pointTable, const QString& lineTable, std::string& error) {
        const Clock::time_point start = Clock::now();
        TableCopy points(_source, pointTable, _target, _postgres);
        TableCopy lines(_source, lineTable, _target, _postgres);
        if (!points.readColumns(error) || !lines.readColumns(error))
            return false;
        if (!_target.transaction()) {
            error = "cannot begin a transaction: " + gbk(_target.lastError().text());
            return false;
        }
        if (!replace(points, lines, error)) {
            _target.rollback();
            return false;
        }
        if (!_target.commit()) {
            error = "cannot commit: " + gbk(_target.lastError().text());
            _target.rollback();
            return false;
        }
        summarise(points, lines, secondsSince(start));
        return true;
    }

private:
    bool replace(TableCopy& points, TableCopy& lines, std::string& error) {
        const std::string lineTable = gbk(lines.targetTable()), pointTable = gbk(points.targetTable());
        const std::string side = ExtentIndex::sideTable(lineTable);
        for (const std::string& table : {side, lineTable, pointTable}) {
            QSqlQuery drop(_target);
            if (!drop.exec(
                    QStringLiteral("DROP TABLE IF EXISTS %1").arg(TableCopy::quoted(gbkToQString(table))))) {
                error = "cannot drop " + table + ": " + gbk(drop.lastError().text());
                return false;
            }
        }
        for (TableCopy* table : {&points, &lines}) {
            if (!table->create(error))
                return false;
            ProgressLine progress(_log, gbkToUtf8(gbk(table->targetTable())));
            if (!table->copy(_batch, std::ref(progress), error))
                return false;
        }
        if (!ExtentIndex::create(_target, lineTable, pointTable, error)) {
            error = "cannot index " + lineTable + ": " + error;
            return false;
        }
        return true;
    }

    void summarise(const TableCopy& points, const TableCopy& lines, double seconds) {
        const long long rows = points.rows() + lines.rows();
        std::string text = std::string(_kind.code) + ": " + gbk(points.targetTable()) + " " +
                           std::to_string(points.rows()) + " rows, " + gbk(lines.targetTable()) + " " +
                           std::to_string(lines.rows()) + " rows";
        char timing[64];
        std::snprintf(timing, sizeof timing, " in %.2f s (", seconds);
        text += timing + rate(rows, seconds) + ")";
        for (const TableCopy* table : {&points, &lines}) {
            if (!table->misfits())
                continue;
            const long long misfits = table->misfits();
            text += "; " + gbk(table->targetTable()) + ": " + std::to_string(misfits) +
                    (misfits == 1 ? " value" : " values") + " left NULL, not of the column's type (";
            bool first = true;
            for (const TableCopy::Column& column : table->columns())
                if (column.misfits) {
                    text +=
                        (first ? "" : ", ") + gbk(column.targetName) + " " + std::to_string(column.misfits);
                    first = false;
                }
            text += ")";
        }
        _log << gbkToUtf8(text) << std::endl;
    }

    const UtilityKind& _kind;
    QSqlDatabase _source;
    QSqlDatabase& _target;
    bool _postgres;
    int _batch;
    std::ostream& _log;
};

} // namespace

int importNetwork(const ImportOptions& options, std::ostream& out, std::ostream& log) {
    const auto fail = [&](const std::string& why, int status) {
        log << "pn_import: " << gbkToUtf8(why) << std::endl;
        return status;
    };
    if (options.batch < 1)
        return fail("the batch must be at least one row", 2);

    std::string sourcePath, error;
    if (!sourceDatabase(options.source, sourcePath, error))
        return fail(error, 1);

    const bool postgres = PostgresAddress::names(options.target);
    PostgresAddress address;
    const QString targetFile =
        postgres ? QString() : QFileInfo(gbkToQString(options.target)).absoluteFilePath();
    if (postgres && !PostgresAddress::parse(options.target, address, error))
        return fail(error, 2);
    if (!postgres && !endsWith(targetFile, {".sqlite", ".db", ".gpkg"}))
        return fail("the target " + options.target +
                        " is neither a postgresql:// address nor an SQLite file (.sqlite, .db or .gpkg)",
                    2);
    const bool sameFile =
        !postgres && !PostgresAddress::names(sourcePath) && QFileInfo(gbkToQString(sourcePath)).exists() &&
        QFileInfo(gbkToQString(sourcePath)).canonicalFilePath() == QFileInfo(targetFile).canonicalFilePath();
    if (sameFile || (postgres && PostgresAddress::names(sourcePath) && sourcePath == options.target))
        return fail("the target is the source itself", 2);

    Connection source("source"), target("target");
    QSqlError opened = openNetworkFile(source.database, source.name, sourcePath);
    if (opened.isValid())
        return fail("cannot open " + sourcePath + ": " + gbk(opened.text()), 1);
    opened =
        postgres ? openPostgres(target.database, target.name, address) : openSqliteTarget(target, targetFile);
    if (opened.isValid())
        return fail("cannot open " + options.target + ": " + gbk(opened.text()), 1);
    if (postgres) // the server's notes on tables that were not there to drop
        QSqlQuery(target.database).exec(QStringLiteral("SET client_min_messages = warning"));

    const QStringList tables = source.database.tables();
    int found = 0, failed = 0;
    for (const UtilityKind& kind : UtilityKinds) {
        const QString pointTable = tableIn(tables, kind.pointTable),
                      lineTable = tableIn(tables, kind.lineTable);
        if (pointTable.isEmpty() && lineTable.isEmpty())
            continue;
        ++found;
        std::string why;
        if (pointTable.isEmpty() || lineTable.isEmpty())
            why = "the source has " + std::string(pointTable.isEmpty() ? kind.lineTable : kind.pointTable) +
                  " but no " + (pointTable.isEmpty() ? kind.pointTable : kind.lineTable);
        else
            KindImport(kind, source.database, target.database, postgres, options.batch, log)
                .run(pointTable, lineTable, why);
        if (!why.empty()) {
            ++failed;
            log << gbkToUtf8(std::string(kind.code) + ": not copied, the target keeps its tables: " + why)
                << std::endl;
        }
    }
    if (!found)
        return fail(sourcePath + " holds none of the network's point and line tables", 1);
    log << found - failed << " of " << found << " kinds copied" << std::endl;
    const std::string named = postgres ? address.text() : gbk(targetFile);
    out << "<conn str=\"" << xmlEscaped(gbkToUtf8(named)) << "\"/>" << std::endl;
    return failed ? 1 : 0;
}
