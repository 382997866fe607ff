#pragma once

#include "importer/ColumnType.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

// One table of the source copied into a table of the target made for it: the source's
// columns in their order, each with the type its declared type gives (importer/ColumnType.h),
// the rows in multi-row INSERTs: into PostgreSQL of bound values, each statement prepared
// once; into SQLite with the values written in by the driver (importer/TableCopy.cpp says
// why). Runs inside the caller's transaction on the target.
//
// In PostgreSQL the table and its columns are named as the server folds unquoted names
// (ASCII letters in lower case) and written quoted, so that the program's unquoted SQL finds
// them; in SQLite they keep the source's names.
class TableCopy {
public:
    struct Column {
        QString name;       // in the source
        QString targetName; // in the target
        ColumnType type = ColumnType::Text;
        long long misfits = 0; // values that did not fit the type, left NULL
    };

    TableCopy(const QSqlDatabase& source, const QString& sourceTable, QSqlDatabase& target, bool postgres);

    // Reads the source table's columns. False with the reason (GBK) when it has none, or
    // when two of them would get the same name in the target.
    bool readColumns(std::string& error);
    // Creates the target table (the caller has dropped any of that name).
    bool create(std::string& error);
    // Copies every row, `batch` rows to a statement (fewer when the driver takes fewer
    // values at once), calling `progress` after each batch and at the end.
    bool copy(int batch, const std::function<void(long long copied, long long total)>& progress,
              std::string& error);

    const QString& targetTable() const { return _targetTable; }
    const std::vector<Column>& columns() const { return _columns; }
    long long rows() const { return _rows; }
    long long misfits() const;

    // "name" with its double quotes doubled: an identifier both servers read as written.
    static QString quoted(const QString& name);
    // The name as PostgreSQL folds an unquoted one: ASCII letters in lower case.
    static QString folded(const QString& name);

private:
    QString insertSql(int rowCount) const;
    bool copyBound(QSqlQuery& read, int batch, long long total,
                   const std::function<void(long long, long long)>& progress, std::string& error);
    bool copyWritten(QSqlQuery& read, int batch, long long total,
                     const std::function<void(long long, long long)>& progress, std::string& error);

    QSqlDatabase _source;
    QString _sourceTable;
    QSqlDatabase _target;
    QString _targetTable;
    bool _postgres;
    std::vector<Column> _columns;
    long long _rows = 0;
};
