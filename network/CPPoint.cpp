#include "network/CPPoint.h"

#include "network/RecordField.h"

#include <utility>

CPPoint::~CPPoint() = default;

void CPPoint::setField(std::string column, QVariant value) {
    if (column == "GID")
        gid = recordText(value);
    else if (column == "物探点号")
        surveyNumber = recordText(value);
    else if (column == "X坐标")
        x = recordNumber(value);
    else if (column == "Y坐标")
        y = recordNumber(value);
    else if (column == "地面高程")
        groundElevation = recordNumber(value);
    else if (column == "深度")
        depth = recordNumber(value);
    else if (column == "测点性质")
        nature = recordText(value);
    else if (column == "附属设施")
        facility = recordText(value);
    attributes.emplace(std::move(column), std::move(value));
}
