#include "network/RecordField.h"

#include "text/GbkText.h"

#include <QVariant>

#include <cmath>

std::string recordText(const QVariant& value) {
    return qstringToGbk(value.toString());
}

double recordNumber(const QVariant& value) {
    bool ok = false;
    double number = value.toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0.0;
}

bool recordIsNumber(const QVariant& value) {
    bool ok = false;
    double number = value.isNull() ? 0.0 : value.toDouble(&ok);
    return ok && std::isfinite(number);
}
