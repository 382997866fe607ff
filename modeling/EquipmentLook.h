#pragma once

// How the valves, meters, hydrants, lamps, risers, boxes and cabinets of one category
// are drawn: one prepared model, placed at each point as it was modelled (base at its
// origin, z up, metres). Paths are the program's own: relative, Windows separators.
enum class ModelCache {
    // The model sits in a group made on the first use; a model that cannot be read
    // leaves that group empty for good.
    Wrapped,
    // The model itself is kept; a model that cannot be read is read again at the next
    // point until a read succeeds.
    Direct,
};

struct EquipmentLook {
    const char* model;
    ModelCache cache;
};

// One look per kind of equipment; the three valve categories share one model file but
// each reads it for itself.
namespace equipmentLooks {

inline constexpr EquipmentLook valve{"..\\model\\gongshui\\1\\famen.ive", ModelCache::Wrapped};
inline constexpr EquipmentLook drainValve{"..\\model\\gongshui\\1\\famen.ive", ModelCache::Direct};
inline constexpr EquipmentLook waterMeter{"..\\model\\gongshui\\shuibiao\\shuibiao.ive", ModelCache::Direct};
inline constexpr EquipmentLook hydrant{"..\\model\\gongshui\\xiaofangshuan\\xiaofangshuan.ive",
                                       ModelCache::Direct};
inline constexpr EquipmentLook streetLamp{"..\\model\\ludeng\\ludeng.ive", ModelCache::Direct};
inline constexpr EquipmentLook lightingRiser{"..\\model\\ludeng\\shanggan.ive", ModelCache::Direct};
inline constexpr EquipmentLook powerRiser{"..\\model\\dianli\\shanggan.ive", ModelCache::Direct};
inline constexpr EquipmentLook powerCabinet{"..\\model\\dianli\\kongzhigui.ive", ModelCache::Direct};
inline constexpr EquipmentLook telecomRiser{"..\\model\\dianxin\\shanggan.ive", ModelCache::Direct};
inline constexpr EquipmentLook telecomJunctionBox{"..\\model\\dianxin\\jiexianxiang.ive", ModelCache::Direct};
inline constexpr EquipmentLook cableTvRiser{"..\\model\\dianshi\\shanggan.ive", ModelCache::Direct};
inline constexpr EquipmentLook cableTvJunctionBox{"..\\model\\dianshi\\jiexianxiang.ive", ModelCache::Direct};
inline constexpr EquipmentLook militaryRiser{"..\\model\\junyong\\shanggan.ive", ModelCache::Direct};
inline constexpr EquipmentLook militaryJunctionBox{"..\\model\\junyong\\jiexianxiang.ive",
                                                   ModelCache::Direct};
inline constexpr EquipmentLook pressureRegulator{"..\\model\\ranqi\\nishuigang.ive", ModelCache::Direct};

} // namespace equipmentLooks
