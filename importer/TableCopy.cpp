#include "importer/TableCopy.h"

#include "text/GbkText.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>

namespace {

std::string gbk(const QString& text) {
    return qstringToGbk(text);
}

std::string why(const QSqlError& error) {
    return gbk(error.text());
}

// The most values one statement binds in PostgreSQL. The server takes up to 65535, but
// past some thousands a statement costs more per row: 1000 rows of 8 values are copied
// three times as fast as 5000 (PostgreSQL 15, a local server).
constexpr int PostgresValues = 8000;

// A declared type for a column whose driver reports only the type of its values.
QString declaredOf(const QSqlField& field) {
    switch (field.type()) {
    case QVariant::Int:
    case QVariant::UInt:
    case QVariant::LongLong:
    case QVariant::ULongLong:
    case QVariant::Bool:
        return QStringLiteral("integer");
    case QVariant::Double:
        return QStringLiteral("double");
    default:
        return QStringLiteral("text");
    }
}

} // namespace

TableCopy::TableCopy(const QSqlDatabase& source, const QString& sourceTable, QSqlDatabase& target,
                     bool postgres)
    : _source(source), _sourceTable(sourceTable), _target(target),
      _targetTable(postgres ? folded(sourceTable) : sourceTable), _postgres(postgres) {}

QString TableCopy::quoted(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString TableCopy::folded(const QString& name) {
    QString text = name;
    for (QChar& c : text)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return text;
}

long long TableCopy::misfits() const {
    long long count = 0;
    for (const Column& column : _columns)
        count += column.misfits;
    return count;
}

bool TableCopy::readColumns(std::string& error) {
    _columns.clear();
    if (_source.driverName() == QLatin1String("QSQLITE")) {
        // The declared types themselves: Qt's record knows only INTEGER, REAL and the rest.
        QSqlQuery info(_source);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(_sourceTable)))) {
            error = gbk(_sourceTable) + ": " + why(info.lastError());
            return false;
        }
        while (info.next())
            _columns.push_back({info.value(1).toString(), QString(), columnTypeOf(info.value(2).toString())});
    } else {
        const QSqlRecord record = _source.record(_sourceTable);
        for (int i = 0; i < record.count(); ++i)
            _columns.push_back({record.fieldName(i), QString(), columnTypeOf(declaredOf(record.field(i)))});
    }
    if (_columns.empty()) {
        error = gbk(_sourceTable) + ": no columns to read";
        return false;
    }
    // SQLite, like PostgreSQL's unquoted names, does not tell ASCII letters' cases apart.
    std::map<QString, QString> byFolded;
    for (Column& column : _columns) {
        const QString key = folded(column.name);
        const auto [it, added] = byFolded.emplace(key, column.name);
        if (!added) {
            error = gbk(_sourceTable) + ": columns \"" + gbk(it->second) + "\" and \"" + gbk(column.name) +
                    "\" differ only in the case of their letters, which the target's names do not keep "
                    "apart: rename one of them in the source";
            return false;
        }
        column.targetName = _postgres ? key : column.name;
    }
    return true;
}

bool TableCopy::create(std::string& error) {
    QString sql = QStringLiteral("CREATE TABLE %1 (").arg(quoted(_targetTable));
    for (std::size_t i = 0; i < _columns.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + quoted(_columns[i].targetName) + QLatin1Char(' ') +
               QLatin1String(columnTypeName(_columns[i].type, _postgres));
    sql += QLatin1Char(')');
    QSqlQuery query(_target);
    if (!query.exec(sql)) {
        error = "cannot create " + gbk(_targetTable) + ": " + why(query.lastError());
        return false;
    }
    return true;
}

QString TableCopy::insertSql(int rowCount) const {
    QString columns, row = QStringLiteral("(");
    for (std::size_t i = 0; i < _columns.size(); ++i) {
        columns += (i ? QStringLiteral(", ") : QString()) + quoted(_columns[i].targetName);
        row += i ? QStringLiteral(",?") : QStringLiteral("?");
    }
    row += QLatin1Char(')');
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(quoted(_targetTable), columns);
    sql.reserve(sql.size() + rowCount * (row.size() + 1));
    for (int r = 0; r < rowCount; ++r) {
        if (r)
            sql += QLatin1Char(',');
        sql += row;
    }
    return sql;
}

bool TableCopy::copy(int batch, const std::function<void(long long, long long)>& progress,
                     std::string& error) {
    _rows = 0;
    const int width = static_cast<int>(_columns.size());
    const QString from = quoted(_sourceTable);

    QSqlQuery count(_source);
    if (!count.exec(QStringLiteral("SELECT count(*) FROM %1").arg(from)) || !count.next()) {
        error = "cannot count the rows of " + gbk(_sourceTable) + ": " + why(count.lastError());
        return false;
    }
    const long long total = count.value(0).toLongLong();
    count.finish();

    QString columns;
    for (int i = 0; i < width; ++i)
        columns += (i ? QStringLiteral(", ") : QString()) + quoted(_columns[i].name);
    QSqlQuery read(_source);
    read.setForwardOnly(true);
    read.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2").arg(columns, from))) {
        error = "cannot read " + gbk(_sourceTable) + ": " + why(read.lastError());
        return false;
    }

    if (_postgres ? !copyBound(read, batch, total, progress, error)
                  : !copyWritten(read, batch, total, progress, error))
        return false;
    if (read.lastError().isValid()) {
        error = "cannot read " + gbk(_sourceTable) + ": " + why(read.lastError());
        return false;
    }
    if (progress)
        progress(_rows, total);
    return true;
}

bool TableCopy::copyBound(QSqlQuery& read, int batch, long long total,
                          const std::function<void(long long, long long)>& progress, std::string& error) {
    // The full statement, prepared once; the rows left at the end get one of their own.
    const int width = static_cast<int>(_columns.size());
    const int perStatement = std::max(1, std::min(batch, PostgresValues / width));
    QSqlQuery insert(_target);
    if (!insert.prepare(insertSql(perStatement))) {
        error = "cannot prepare the rows of " + gbk(_targetTable) + ": " + why(insert.lastError());
        return false;
    }
    const auto run = [&](QSqlQuery& statement) {
        if (statement.exec())
            return true;
        error = "cannot write the rows of " + gbk(_targetTable) + ": " + why(statement.lastError());
        return false;
    };
    int bound = 0;
    const int full = perStatement * width;
    while (read.next()) {
        for (int c = 0; c < width; ++c) {
            bool misfit = false;
            insert.bindValue(bound++, fitted(read.value(c), _columns[c].type, misfit));
            _columns[c].misfits += misfit;
        }
        ++_rows;
        if (bound == full) {
            if (!run(insert))
                return false;
            bound = 0;
        }
        if (_rows % batch == 0 && progress)
            progress(_rows, total);
    }
    if (bound == 0)
        return true;
    QSqlQuery rest(_target);
    if (!rest.prepare(insertSql(bound / width))) {
        error = "cannot prepare the rows of " + gbk(_targetTable) + ": " + why(rest.lastError());
        return false;
    }
    for (int i = 0; i < bound; ++i)
        rest.bindValue(i, insert.boundValue(i));
    return run(rest);
}

bool TableCopy::copyWritten(QSqlQuery& read, int batch, long long total,
                            const std::function<void(long long, long long)>& progress, std::string& error) {
    // Qt hands SQLite its placeholders by name, which SQLite looks up one by one: a
    // statement of thousands of them takes seconds to prepare. The values are written into
    // the statement by the driver instead, as it quotes them.
    const int width = static_cast<int>(_columns.size());
    const QSqlDriver* driver = _target.driver();
    std::vector<QSqlField> fields;
    for (const Column& column : _columns)
        fields.emplace_back(column.targetName, column.type == ColumnType::Integer ? QVariant::LongLong
                                               : column.type == ColumnType::Real  ? QVariant::Double
                                                                                  : QVariant::String);
    const QString head = insertSql(0);
    QString sql;
    int rows = 0;
    const auto run = [&] {
        QSqlQuery insert(_target);
        if (insert.exec(sql)) {
            rows = 0;
            return true;
        }
        error = "cannot write the rows of " + gbk(_targetTable) + ": " + why(insert.lastError());
        return false;
    };
    while (read.next()) {
        sql += rows++ ? QStringLiteral(",(") : head + QLatin1Char('(');
        for (int c = 0; c < width; ++c) {
            bool misfit = false;
            const QVariant value = fitted(read.value(c), _columns[c].type, misfit);
            _columns[c].misfits += misfit;
            if (c)
                sql += QLatin1Char(',');
            if (value.userType() == QMetaType::Double && !std::isfinite(value.toDouble())) {
                // SQLite has no word for infinity but reads a number past a double's range as one;
                // it keeps no NaN.
                const double number = value.toDouble();
                sql += std::isnan(number) ? QStringLiteral("NULL")
                       : number > 0       ? QStringLiteral("9e999")
                                          : QStringLiteral("-9e999");
                continue;
            }
            QSqlField& field = fields[c];
            field.setValue(value);
            sql += driver->formatValue(field);
        }
        sql += QLatin1Char(')');
        ++_rows;
        if (rows == batch) {
            if (!run())
                return false;
            sql.clear();
        }
        if (_rows % batch == 0 && progress)
            progress(_rows, total);
    }
    return rows == 0 || run();
}
