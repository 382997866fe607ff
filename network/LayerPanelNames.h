#pragma once

// What a layer panel calls a network's pipes and its points in the layer tool's
// "LayerVisible:" messages (GBK), and the pipe layer's own name. The pipes go by the line
// name given twice, the lids and chambers by the point name. Oxygen and hydrogen go by the
// panel's older names; the rain-water and combined-drainage networks have no row.
struct LayerPanelRow {
    const char* lineName;
    const char* pointName;
    const char* layerName;
};

inline constexpr LayerPanelRow LayerPanelRows[] = {
    {"给水管线", "给水管点", "给水管线"},       {"排水管线", "排水管点", "排水管线"},
    {"天然气管线", "天然气管点", "天然气管线"}, {"热水管线", "热水管点", "热水管线"},
    {"氧气管线", "氧气管点", "工业氧气管线"},   {"负压管线", "负压管点", "工业氢气管线"},
    {"供电管线", "供电管点", "供电管线"},       {"路灯管线", "路灯管点", "路灯管线"},
    {"电信管线", "电信管点", "电信管线"},       {"有线电视管线", "有线电视管点", "有线电视管线"},
    {"军用管线", "军用管点", "军用管线"},       {"移动管线", "移动管点", "移动管线"},
    {"石油管线", "石油管点", "石油管线"},
};
