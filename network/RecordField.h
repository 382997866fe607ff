#pragma once

#include <string>

class QVariant;

// How a database value becomes a record member. Text keeps the database's GBK bytes.
// A number that is NULL, not a number at all, or not finite reads as 0, so one bad
// cell leaves the row in place at a harmless value instead of poisoning its geometry.
std::string recordText(const QVariant& value);
double recordNumber(const QVariant& value);
// Whether the value is a finite number (numeric text counts; NULL and empty do not).
bool recordIsNumber(const QVariant& value);

// Sets the first typed member of the record whose column name is `column`, byte for
// byte; false when no member reads that column.
template <class Record> bool setMember(Record& record, const std::string& column, const QVariant& value) {
    for (const auto& member : Record::memberColumns) {
        if (column != member.column)
            continue;
        if (member.text)
            record.*member.text = recordText(value);
        else
            record.*member.number = recordNumber(value);
        return true;
    }
    return false;
}
