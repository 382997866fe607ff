#include "importer/ColumnType.h"

#include "text/GbkText.h"
#include "text/Number.h"

#include <QByteArray>

#include <cmath>
#include <limits>

ColumnType columnTypeOf(const QString& declared) {
    const QString type = declared.toLower();
    // As SQLite gives a column its affinity: "int" anywhere makes an integer.
    if (type.contains(QLatin1String("int")))
        return ColumnType::Integer;
    for (const char* word : {"real", "floa", "doub", "numeric", "decimal", "currency", "money"})
        if (type.contains(QLatin1String(word)))
            return ColumnType::Real;
    return ColumnType::Text;
}

const char* columnTypeName(ColumnType type, bool postgres) {
    switch (type) {
    case ColumnType::Integer:
        return postgres ? "bigint" : "INTEGER";
    case ColumnType::Real:
        return postgres ? "double precision" : "REAL";
    case ColumnType::Text:
        break;
    }
    return postgres ? "text" : "TEXT";
}

namespace {

bool whole(double number) {
    // 2^63 itself is past the largest 64-bit integer.
    return std::isfinite(number) && std::trunc(number) == number && number >= -9223372036854775808.0 &&
           number < 9223372036854775808.0;
}

// The number text holds, when all of it (blanks around it aside) is one.
bool textNumber(const QVariant& value, double& number, bool& blank) {
    const std::string text = qstringToGbk(value.toString());
    blank = text.find_first_not_of(" \t\r\n") == std::string::npos;
    return !blank && parseDecimal(text, number);
}

QVariant integerOf(const QVariant& value, bool& misfit) {
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return QVariant(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() <= static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            return QVariant(value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (whole(number))
            return QVariant(static_cast<qlonglong>(number));
        break;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const qlonglong integer = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return QVariant(integer);
        double number = 0;
        bool blank = false;
        if (textNumber(value, number, blank) && whole(number))
            return QVariant(static_cast<qlonglong>(number));
        if (blank)
            return QVariant();
        break;
    }
    default:
        break;
    }
    misfit = true;
    return QVariant();
}

QVariant realOf(const QVariant& value, bool& misfit) {
    switch (value.userType()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::Bool:
        return QVariant(value.toDouble());
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        double number = 0;
        bool blank = false;
        if (textNumber(value, number, blank))
            return QVariant(number);
        if (blank)
            return QVariant();
        break;
    }
    default:
        break;
    }
    misfit = true;
    return QVariant();
}

QVariant textOf(const QVariant& value) {
    switch (value.userType()) {
    case QMetaType::QString:
        return value;
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::fromLatin1(formatDecimal(value.toDouble()).c_str());
    case QMetaType::QByteArray:
        // Binary data (an Access OLE field) as its bytes in hexadecimal.
        return QString::fromLatin1(value.toByteArray().toHex());
    default:
        return value.toString();
    }
}

} // namespace

QVariant fitted(const QVariant& value, ColumnType type, bool& misfit) {
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ColumnType::Integer:
        return integerOf(value, misfit);
    case ColumnType::Real:
        return realOf(value, misfit);
    case ColumnType::Text:
        break;
    }
    return textOf(value);
}
