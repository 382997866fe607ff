#include "network/CPPipeLine.h"

#include "network/RecordField.h"

#include <cmath>
#include <utility>

CPPipeLine::CPPipeLine(const CPPipeLine& other, osg::Node* node) : CPPipeLine(other) {
    sceneNode = node;
}

CPPipeLine::~CPPipeLine() = default;

void CPPipeLine::setField(std::string column, QVariant value) {
    if (column == "GID")
        gid = recordText(value);
    else if (column == "材质")
        material = recordText(value);
    else if (column == "起点物探号")
        startNumber = recordText(value);
    else if (column == "终点物探号")
        endNumber = recordText(value);
    else if (column == "起点横坐标")
        startX = recordNumber(value);
    else if (column == "起点纵坐标")
        startY = recordNumber(value);
    else if (column == "起点高程")
        startElevation = recordNumber(value);
    else if (column == "起点埋深")
        startDepth = recordNumber(value);
    else if (column == "终点横坐标")
        endX = recordNumber(value);
    else if (column == "终点纵坐标")
        endY = recordNumber(value);
    else if (column == "终点高程")
        endElevation = recordNumber(value);
    else if (column == "终点埋深")
        endDepth = recordNumber(value);
    else if (column == "断面尺寸")
        sectionSize = recordText(value);
    attributes.emplace(std::move(column), std::move(value));
}

double CPPipeLine::length() {
    double dx = endX - startX;
    double dy = endY - startY;
    double dz = startDepth - endDepth;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
