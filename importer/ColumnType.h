#pragma once

#include <QString>
#include <QVariant>

// The three types a copied column takes, read from the type the source declares for it.
enum class ColumnType { Integer, Real, Text };

// Integer types ("INTEGER", "bigint", "smallint", ...) are Integer; real, float, double,
// numeric, decimal, currency and money are Real; anything else (text, dates, blobs, no
// type at all) is Text.
ColumnType columnTypeOf(const QString& declared);

// The type's name in a CREATE TABLE of the target: PostgreSQL or SQLite.
const char* columnTypeName(ColumnType type, bool postgres);

// `value` as a value of a column of `type`: numbers for numeric columns (text that reads
// whole as a number in the C locale's notation counts), text for text columns. A value
// that does not fit becomes NULL with `misfit` set; NULL, and blank text in a numeric
// column, become NULL without it.
QVariant fitted(const QVariant& value, ColumnType type, bool& misfit);
