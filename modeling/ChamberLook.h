#pragma once

// How the wells, manholes, hand holes and grates of one category look: the shape of the
// shaft, the textures of its wall and lid, and for valve wells the valve standing on the
// shaft floor. Paths are the program's own: relative to the host's working directory,
// Windows separators.
enum class ChamberShape {
    Circular, // manholes and wells: a round shaft 1 m across, its lid 0.05 above the ground
    Grate,    // street inlets: a shallow 0.5 x 1 m pit, the grate flush with the ground
    Square,   // hand holes: 0.8 x 0.8 m, the cover 0.05 above the ground
};

struct ChamberLook {
    ChamberShape shape;
    const char* wallTexture;
    const char* lidTexture;
    const char* valveModel; // null but for valve wells
};

// One look per kind of chamber; categories of several utility kinds share some of them.
namespace chamberLooks {

inline constexpr ChamberLook drainageManhole{ChamberShape::Circular, "..\\model\\wushui\\snqm.jpg",
                                             "..\\model\\wushui\\wsjc.jpg", nullptr};
inline constexpr ChamberLook drainageGrate{ChamberShape::Grate, "..\\model\\wushui\\snqm.jpg",
                                           "..\\model\\wushui\\bz.jpg", nullptr};
inline constexpr ChamberLook waterManhole{ChamberShape::Circular, "..\\model\\gongshui\\1\\jingbi1.jpg",
                                          "..\\model\\gongshui\\1\\jinggai1.jpg", nullptr};
inline constexpr ChamberLook waterValveWell{ChamberShape::Circular, "..\\model\\gongshui\\1\\jingbi1.jpg",
                                            "..\\model\\gongshui\\1\\jinggai1.jpg",
                                            "..\\model\\gongshui\\1\\famen.ive"};
// Gas valve wells have a gas wall and lid but the water supply's valve.
inline constexpr ChamberLook gasValveWell{ChamberShape::Circular, "..\\model\\ranqi\\jswall.jpg",
                                          "..\\model\\ranqi\\rqfm.jpg", "..\\model\\gongshui\\1\\famen.ive"};
inline constexpr ChamberLook hotWaterManhole{ChamberShape::Circular, "..\\model\\reshui\\jswall.jpg",
                                             "..\\model\\reshui\\jsfm.jpg", nullptr};
inline constexpr ChamberLook powerManhole{ChamberShape::Circular, "..\\model\\dianli\\snqm.jpg",
                                          "..\\model\\dianli\\dlyj.jpg", nullptr};
inline constexpr ChamberLook lightingManhole{ChamberShape::Circular, "..\\model\\ludeng\\snqm.jpg",
                                             "..\\model\\ludeng\\dlyj.jpg", nullptr};
inline constexpr ChamberLook telecomManhole{ChamberShape::Circular, "..\\model\\dianxin\\snqm.jpg",
                                            "..\\model\\dianxin\\dxyj.jpg", nullptr};
inline constexpr ChamberLook telecomHandHole{ChamberShape::Square, "..\\model\\dianxin\\snqm.jpg",
                                             "..\\model\\dianxin\\dxfj.jpg", nullptr};
// Mobile telecom chambers carry the cable television covers.
inline constexpr ChamberLook cableTvManhole{ChamberShape::Circular, "..\\model\\dianshi\\snqm.jpg",
                                            "..\\model\\dianshi\\tvyj.jpg", nullptr};
inline constexpr ChamberLook cableTvHandHole{ChamberShape::Square, "..\\model\\dianshi\\snqm.jpg",
                                             "..\\model\\dianshi\\dsfj.jpg", nullptr};
inline constexpr ChamberLook militaryManhole{ChamberShape::Circular, "..\\model\\junyong\\snqm.jpg",
                                             "..\\model\\junyong\\dxyj.jpg", nullptr};
inline constexpr ChamberLook militaryHandHole{ChamberShape::Square, "..\\model\\junyong\\snqm.jpg",
                                              "..\\model\\junyong\\jyfj.jpg", nullptr};

} // namespace chamberLooks
