#include "network/CPPipeLine.h"

#include "network/RecordField.h"

#include <cmath>
#include <utility>

const MemberColumn<CPPipeLine> CPPipeLine::memberColumns[13] = {
    {"GID", &CPPipeLine::gid, nullptr},
    {"材质", &CPPipeLine::material, nullptr},
    {"起点物探号", &CPPipeLine::startNumber, nullptr},
    {"终点物探号", &CPPipeLine::endNumber, nullptr},
    {"起点横坐标", nullptr, &CPPipeLine::startX},
    {"起点纵坐标", nullptr, &CPPipeLine::startY},
    {"起点高程", nullptr, &CPPipeLine::startElevation},
    {"起点埋深", nullptr, &CPPipeLine::startDepth},
    {"终点横坐标", nullptr, &CPPipeLine::endX},
    {"终点纵坐标", nullptr, &CPPipeLine::endY},
    {"终点高程", nullptr, &CPPipeLine::endElevation},
    {"终点埋深", nullptr, &CPPipeLine::endDepth},
    {"断面尺寸", &CPPipeLine::sectionSize, nullptr},
};

CPPipeLine::CPPipeLine(const CPPipeLine& other, osg::Node* node) : CPPipeLine(other) {
    sceneNode = node;
}

CPPipeLine::~CPPipeLine() = default;

std::ptrdiff_t CPPipeLine::attributesOffset() {
    static const std::ptrdiff_t offset = [] {
        const CPPipeLine probe;
        return reinterpret_cast<const char*>(&probe.attributes) - reinterpret_cast<const char*>(&probe);
    }();
    return offset;
}

void CPPipeLine::setField(std::string column, QVariant value) {
    attributes.insert(column, value);
    setMember(*this, column, value);
}

double CPPipeLine::length() {
    double dx = endX - startX;
    double dy = endY - startY;
    double dz = startDepth - endDepth;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
