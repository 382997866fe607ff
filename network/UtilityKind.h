#pragma once

#include <cstddef>

// The fifteen utility kinds, in the order of their codes in the class names.
enum class Kind { PS, YS, WS, SY, JS, RS, TR, YG, QG, GD, LD, DX, DS, YD, JY };

constexpr std::size_t KindCount = 15;

// What a kind owns outside its classes: its tables in the network database, the name
// and colour of its pipe layer, and the word its factories register under (only a
// registration key, not the folder of its model files).
struct UtilityKind {
    const char* code;
    const char* folderWord;
    const char* lineTable;
    const char* pointTable;
    const char* layerName;
    unsigned char colour[4]; // R, G, B, A
    // Drains, pressure pipes and gas lines have tees, crosses and elbows built from the
    // pipes that meet at a point; cable ducts have none.
    bool hasFittings;
};

inline constexpr UtilityKind UtilityKinds[KindCount] = {
    // combined rain and sewage drainage
    {"PS", "yuwu", "TQMB_PSLine", "TQMB_PSPoint", "雨污合流管线", {115, 76, 0, 255}, true},
    // rain water
    {"YS", "yushui", "TQMB_YSLine", "TQMB_YSPoint", "雨水管线", {115, 76, 0, 255}, true},
    // sewage
    {"WS", "wushui", "TQMB_WSLine", "TQMB_WSPoint", "排水管线", {115, 76, 0, 255}, true},
    // petroleum
    {"SY", "shiyou", "TQMB_SYLine", "TQMB_SYPoint", "石油管线", {0, 38, 115, 255}, true},
    // water supply
    {"JS", "water", "TQMB_JSLine", "TQMB_JSPoint", "给水管线", {0, 0, 255, 255}, true},
    // hot water
    {"RS", "reshui", "TQMB_RSLine", "TQMB_RSPoint", "热水管线", {255, 170, 0, 255}, true},
    // natural gas
    {"TR", "tianranqi", "TQMB_TRLine", "TQMB_TRPoint", "天然气管线", {205, 0, 197, 255}, true},
    // industrial oxygen
    {"YG", "gongyeyang", "TQMB_YGLine", "TQMB_YGPoint", "工业氧气管线", {255, 0, 197, 255}, true},
    // industrial hydrogen
    {"QG", "gongyeqing", "TQMB_QGLine", "TQMB_QGPoint", "工业氢气管线", {255, 0, 197, 255}, true},
    // power supply
    {"GD", "power", "TQMB_GDLine", "TQMB_GDPoint", "供电管线", {255, 0, 0, 255}, false},
    // street lighting
    {"LD", "ludeng", "TQMB_LDLine", "TQMB_LDPoint", "路灯管线", {255, 0, 0, 255}, false},
    // telecom
    {"DX", "dianxin", "TQMB_DXLine", "TQMB_DXPoint", "电信管线", {0, 255, 0, 255}, false},
    // cable television
    {"DS", "dianshi", "TQMB_DSLine", "TQMB_DSPoint", "有线电视管线", {0, 255, 0, 255}, false},
    // mobile telecom
    {"YD", "yidong", "TQMB_YDLine", "TQMB_YDPoint", "移动管线", {0, 255, 0, 255}, false},
    // military
    {"JY", "junyong", "TQMB_JYLine", "TQMB_JYPoint", "军用管线", {0, 255, 0, 255}, false},
};

constexpr const UtilityKind& utilityKind(Kind kind) {
    return UtilityKinds[static_cast<std::size_t>(kind)];
}
