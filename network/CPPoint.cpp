#include "network/CPPoint.h"

#include "network/RecordField.h"

#include <utility>

const MemberColumn<CPPoint> CPPoint::memberColumns[8] = {
    {"GID", &CPPoint::gid, nullptr},
    {"物探点号", &CPPoint::surveyNumber, nullptr},
    {"X坐标", nullptr, &CPPoint::x},
    {"Y坐标", nullptr, &CPPoint::y},
    {"地面高程", nullptr, &CPPoint::groundElevation},
    {"深度", nullptr, &CPPoint::depth},
    {"测点性质", &CPPoint::nature, nullptr},
    {"附属设施", &CPPoint::facility, nullptr},
};

CPPoint::~CPPoint() = default;

std::ptrdiff_t CPPoint::attributesOffset() {
    static const std::ptrdiff_t offset = [] {
        const CPPoint probe;
        return reinterpret_cast<const char*>(&probe.attributes) - reinterpret_cast<const char*>(&probe);
    }();
    return offset;
}

void CPPoint::setField(std::string column, QVariant value) {
    attributes.insert(column, value);
    setMember(*this, column, value);
}
