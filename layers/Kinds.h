#pragma once

#include "layers/DBKindPipe.h"
#include "layers/DBKindPoint.h"
#include "layers/DBPipeCreator.h"
#include "layers/DBPointCreator.h"
#include "layers/KindPointVisitor.h"

#include "layers/DBChamberPoint.h"
#include "layers/DBEquipmentPoint.h"
#include "layers/DBFittingCategory.h"

// The classes of the fifteen utility kinds: per kind its point visitor, point base and pipe
// layer, then its point categories in the order the layer receives them. A category
// takes the rows whose point nature or attached facility is its name; wells, chambers
// and equipment have a look of their own, fittings are built from the pipes meeting there.

// PS: combined rain and sewage drainage
class PSPointVisitor : public KindPointVisitor<Kind::PS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBPSPoint : public DBKindPoint<Kind::PS, PSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBPSPipe : public DBKindPipe<Kind::PS>, public DBPipeCreator<DBPSPipe> {};
class DBPSFTPoint : public DBFittingCategory<DBPSPoint, DBPSFTPoint> {
public:
    DBPSFTPoint() : DBFittingCategory("四通", FittingLooks::Cross) {}
};
class DBPSJXJPoint : public DBChamberPoint<DBPSPoint, DBPSJXJPoint> {
public:
    DBPSJXJPoint() : DBChamberPoint("检修井", chamberLooks::drainageManhole) {}
};
class DBPSSTPoint : public DBFittingCategory<DBPSPoint, DBPSSTPoint> {
public:
    DBPSSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBPSYBPoint : public DBChamberPoint<DBPSPoint, DBPSYBPoint> {
public:
    DBPSYBPoint() : DBChamberPoint("雨篦", chamberLooks::drainageGrate) {}
};

// YS: rain water
class YSPointVisitor : public KindPointVisitor<Kind::YS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBYSPoint : public DBKindPoint<Kind::YS, YSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBYSPipe : public DBKindPipe<Kind::YS>, public DBPipeCreator<DBYSPipe> {};
class DBYSSTPoint : public DBFittingCategory<DBYSPoint, DBYSSTPoint> {
public:
    DBYSSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBYSWTPoint : public DBFittingCategory<DBYSPoint, DBYSWTPoint> {
public:
    DBYSWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};
class DBYSYBPoint : public DBChamberPoint<DBYSPoint, DBYSYBPoint> {
public:
    DBYSYBPoint() : DBChamberPoint("雨篦", chamberLooks::drainageGrate) {}
};
class DBYSYSJPoint : public DBChamberPoint<DBYSPoint, DBYSYSJPoint> {
public:
    DBYSYSJPoint() : DBChamberPoint("雨水井", chamberLooks::drainageManhole) {}
};

// WS: sewage
class WSPointVisitor : public KindPointVisitor<Kind::WS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBWSPoint : public DBKindPoint<Kind::WS, WSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBWSPipe : public DBKindPipe<Kind::WS>, public DBPipeCreator<DBWSPipe> {};
class DBWSWSJXJPoint : public DBChamberPoint<DBWSPoint, DBWSWSJXJPoint> {
public:
    DBWSWSJXJPoint() : DBChamberPoint("污水检修井", chamberLooks::drainageManhole) {}
};
class DBWSWBPoint : public DBChamberPoint<DBWSPoint, DBWSWBPoint> {
public:
    DBWSWBPoint() : DBChamberPoint("污篦", chamberLooks::drainageGrate) {}
};
class DBWSJXJPoint : public DBChamberPoint<DBWSPoint, DBWSJXJPoint> {
public:
    DBWSJXJPoint() : DBChamberPoint("检修井", chamberLooks::drainageManhole) {}
};
class DBWSSTPoint : public DBFittingCategory<DBWSPoint, DBWSSTPoint> {
public:
    DBWSSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBWSWTPoint : public DBFittingCategory<DBWSPoint, DBWSWTPoint> {
public:
    DBWSWTPoint() : DBFittingCategory("弯头", FittingLooks::RoundedElbow) {}
};

// SY: petroleum
class SYPointVisitor : public KindPointVisitor<Kind::SY> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBSYPoint : public DBKindPoint<Kind::SY, SYPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBSYPipe : public DBKindPipe<Kind::SY>, public DBPipeCreator<DBSYPipe> {};
class DBSYFMPoint : public DBEquipmentPoint<DBSYPoint, DBSYFMPoint> {
public:
    DBSYFMPoint() : DBEquipmentPoint("阀门", equipmentLooks::valve) {}
};
class DBSYSTPoint : public DBFittingCategory<DBSYPoint, DBSYSTPoint> {
public:
    DBSYSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBSYWTPoint : public DBFittingCategory<DBSYPoint, DBSYWTPoint> {
public:
    DBSYWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};

// JS: water supply
class JSPointVisitor : public KindPointVisitor<Kind::JS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBJSPoint : public DBKindPoint<Kind::JS, JSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBJSPipe : public DBKindPipe<Kind::JS>, public DBPipeCreator<DBJSPipe> {};
class DBJSFMJPoint : public DBChamberPoint<DBJSPoint, DBJSFMJPoint> {
public:
    DBJSFMJPoint() : DBChamberPoint("阀门井", chamberLooks::waterValveWell) {}
};
class DBJSFMPoint : public DBEquipmentPoint<DBJSPoint, DBJSFMPoint> {
public:
    DBJSFMPoint() : DBEquipmentPoint("阀门", equipmentLooks::valve) {}
};
class DBJSJXJPoint : public DBChamberPoint<DBJSPoint, DBJSJXJPoint> {
public:
    DBJSJXJPoint() : DBChamberPoint("检修井", chamberLooks::waterManhole) {}
};
class DBJSPWFPoint : public DBEquipmentPoint<DBJSPoint, DBJSPWFPoint> {
public:
    DBJSPWFPoint() : DBEquipmentPoint("排污阀", equipmentLooks::drainValve) {}
};
class DBJSSBPoint : public DBEquipmentPoint<DBJSPoint, DBJSSBPoint> {
public:
    DBJSSBPoint() : DBEquipmentPoint("水表", equipmentLooks::waterMeter) {}
};
class DBJSXFSPoint : public DBEquipmentPoint<DBJSPoint, DBJSXFSPoint> {
public:
    DBJSXFSPoint() : DBEquipmentPoint("消防栓", equipmentLooks::hydrant) {}
};
class DBJSFTPoint : public DBFittingCategory<DBJSPoint, DBJSFTPoint> {
public:
    DBJSFTPoint() : DBFittingCategory("四通", FittingLooks::Cross) {}
};
class DBJSSTPoint : public DBFittingCategory<DBJSPoint, DBJSSTPoint> {
public:
    DBJSSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBJSWTPoint : public DBFittingCategory<DBJSPoint, DBJSWTPoint> {
public:
    DBJSWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};

// RS: hot water
class RSPointVisitor : public KindPointVisitor<Kind::RS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBRSPoint : public DBKindPoint<Kind::RS, RSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBRSPipe : public DBKindPipe<Kind::RS>, public DBPipeCreator<DBRSPipe> {};
class DBRSJXJPoint : public DBChamberPoint<DBRSPoint, DBRSJXJPoint> {
public:
    DBRSJXJPoint() : DBChamberPoint("检修井", chamberLooks::hotWaterManhole) {}
};
class DBRSSTPoint : public DBFittingCategory<DBRSPoint, DBRSSTPoint> {
public:
    DBRSSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBRSWTPoint : public DBFittingCategory<DBRSPoint, DBRSWTPoint> {
public:
    DBRSWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};

// TR: natural gas
class TRPointVisitor : public KindPointVisitor<Kind::TR> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBTRPoint : public DBKindPoint<Kind::TR, TRPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBTRPipe : public DBKindPipe<Kind::TR>, public DBPipeCreator<DBTRPipe> {};
class DBTRFMJPoint : public DBChamberPoint<DBTRPoint, DBTRFMJPoint> {
public:
    DBTRFMJPoint() : DBChamberPoint("阀门井", chamberLooks::gasValveWell) {}
};
class DBTRSTPoint : public DBFittingCategory<DBTRPoint, DBTRSTPoint> {
public:
    DBTRSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBTRTYXPoint : public DBEquipmentPoint<DBTRPoint, DBTRTYXPoint> {
public:
    DBTRTYXPoint() : DBEquipmentPoint("调压箱", equipmentLooks::pressureRegulator) {}
};
class DBTRWTPoint : public DBFittingCategory<DBTRPoint, DBTRWTPoint> {
public:
    DBTRWTPoint() : DBFittingCategory("弯头", FittingLooks::RoundedElbow) {}
};

// YG: industrial oxygen
class YGPointVisitor : public KindPointVisitor<Kind::YG> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBYGPoint : public DBKindPoint<Kind::YG, YGPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBYGPipe : public DBKindPipe<Kind::YG>, public DBPipeCreator<DBYGPipe> {};
class DBYGSTPoint : public DBFittingCategory<DBYGPoint, DBYGSTPoint> {
public:
    DBYGSTPoint() : DBFittingCategory("三通", FittingLooks::Tee) {}
};
class DBYGWTPoint : public DBFittingCategory<DBYGPoint, DBYGWTPoint> {
public:
    DBYGWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};

// QG: industrial hydrogen
class QGPointVisitor : public KindPointVisitor<Kind::QG> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBQGPoint : public DBKindPoint<Kind::QG, QGPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBQGPipe : public DBKindPipe<Kind::QG>, public DBPipeCreator<DBQGPipe> {};
class DBQGSTPoint : public DBFittingCategory<DBQGPoint, DBQGSTPoint> {
public:
    DBQGSTPoint() : DBFittingCategory("三通", FittingLooks::PlainTee) {}
};
class DBQGWTPoint : public DBFittingCategory<DBQGPoint, DBQGWTPoint> {
public:
    DBQGWTPoint() : DBFittingCategory("弯头", FittingLooks::Elbow) {}
};

// GD: power supply
class GDPointVisitor : public KindPointVisitor<Kind::GD> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBGDPoint : public DBKindPoint<Kind::GD, GDPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBGDPipe : public DBKindPipe<Kind::GD>, public DBPipeCreator<DBGDPipe> {};
class DBGDJXJPoint : public DBChamberPoint<DBGDPoint, DBGDJXJPoint> {
public:
    DBGDJXJPoint() : DBChamberPoint("检修井", chamberLooks::powerManhole) {}
};
class DBGDKZGPoint : public DBEquipmentPoint<DBGDPoint, DBGDKZGPoint> {
public:
    DBGDKZGPoint() : DBEquipmentPoint("控制柜", equipmentLooks::powerCabinet) {}
};
class DBGDSGPoint : public DBEquipmentPoint<DBGDPoint, DBGDSGPoint> {
public:
    DBGDSGPoint() : DBEquipmentPoint("上杆", equipmentLooks::powerRiser) {}
};

// LD: street lighting
class LDPointVisitor : public KindPointVisitor<Kind::LD> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBLDPoint : public DBKindPoint<Kind::LD, LDPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBLDPipe : public DBKindPipe<Kind::LD>, public DBPipeCreator<DBLDPipe> {};
class DBLDLDPoint : public DBEquipmentPoint<DBLDPoint, DBLDLDPoint> {
public:
    DBLDLDPoint() : DBEquipmentPoint("路灯", equipmentLooks::streetLamp) {}
};
class DBLDJXJPoint : public DBChamberPoint<DBLDPoint, DBLDJXJPoint> {
public:
    DBLDJXJPoint() : DBChamberPoint("检修井", chamberLooks::lightingManhole) {}
};
class DBLDSGPoint : public DBEquipmentPoint<DBLDPoint, DBLDSGPoint> {
public:
    DBLDSGPoint() : DBEquipmentPoint("上杆", equipmentLooks::lightingRiser) {}
};

// DX: telecom
class DXPointVisitor : public KindPointVisitor<Kind::DX> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBDXPoint : public DBKindPoint<Kind::DX, DXPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBDXPipe : public DBKindPipe<Kind::DX>, public DBPipeCreator<DBDXPipe> {};
class DBDXJXJPoint : public DBChamberPoint<DBDXPoint, DBDXJXJPoint> {
public:
    DBDXJXJPoint() : DBChamberPoint("检修井", chamberLooks::telecomManhole) {}
};
class DBDXJXXPoint : public DBEquipmentPoint<DBDXPoint, DBDXJXXPoint> {
public:
    DBDXJXXPoint() : DBEquipmentPoint("接线箱", equipmentLooks::telecomJunctionBox) {}
};
class DBDXRKPoint : public DBChamberPoint<DBDXPoint, DBDXRKPoint> {
public:
    DBDXRKPoint() : DBChamberPoint("人孔", chamberLooks::telecomManhole) {}
};
class DBDXSGPoint : public DBEquipmentPoint<DBDXPoint, DBDXSGPoint> {
public:
    DBDXSGPoint() : DBEquipmentPoint("上杆", equipmentLooks::telecomRiser) {}
};
class DBDXSKPoint : public DBChamberPoint<DBDXPoint, DBDXSKPoint> {
public:
    DBDXSKPoint() : DBChamberPoint("手孔", chamberLooks::telecomHandHole) {}
};

// DS: cable television
class DSPointVisitor : public KindPointVisitor<Kind::DS> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBDSPoint : public DBKindPoint<Kind::DS, DSPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBDSPipe : public DBKindPipe<Kind::DS>, public DBPipeCreator<DBDSPipe> {};
class DBDSJXJPoint : public DBChamberPoint<DBDSPoint, DBDSJXJPoint> {
public:
    DBDSJXJPoint() : DBChamberPoint("检修井", chamberLooks::cableTvManhole) {}
};
class DBDSJXXPoint : public DBEquipmentPoint<DBDSPoint, DBDSJXXPoint> {
public:
    DBDSJXXPoint() : DBEquipmentPoint("接线箱", equipmentLooks::cableTvJunctionBox) {}
};
class DBDSRKPoint : public DBChamberPoint<DBDSPoint, DBDSRKPoint> {
public:
    DBDSRKPoint() : DBChamberPoint("人孔", chamberLooks::cableTvManhole) {}
};
class DBDSSGPoint : public DBEquipmentPoint<DBDSPoint, DBDSSGPoint> {
public:
    DBDSSGPoint() : DBEquipmentPoint("上杆", equipmentLooks::cableTvRiser) {}
};
class DBDSSKPoint : public DBChamberPoint<DBDSPoint, DBDSSKPoint> {
public:
    DBDSSKPoint() : DBChamberPoint("手孔", chamberLooks::cableTvHandHole) {}
};

// YD: mobile telecom
class YDPointVisitor : public KindPointVisitor<Kind::YD> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBYDPoint : public DBKindPoint<Kind::YD, YDPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBYDPipe : public DBKindPipe<Kind::YD>, public DBPipeCreator<DBYDPipe> {};
class DBYDJXJPoint : public DBChamberPoint<DBYDPoint, DBYDJXJPoint> {
public:
    DBYDJXJPoint() : DBChamberPoint("检修井", chamberLooks::cableTvManhole) {}
};
class DBYDRKPoint : public DBChamberPoint<DBYDPoint, DBYDRKPoint> {
public:
    DBYDRKPoint() : DBChamberPoint("人孔", chamberLooks::cableTvManhole) {}
};
class DBYDSKPoint : public DBChamberPoint<DBYDPoint, DBYDSKPoint> {
public:
    DBYDSKPoint() : DBChamberPoint("手孔", chamberLooks::cableTvHandHole) {}
};

// JY: military
class JYPointVisitor : public KindPointVisitor<Kind::JY> {
public:
    using KindPointVisitor::KindPointVisitor;
};
class DBJYPoint : public DBKindPoint<Kind::JY, JYPointVisitor> {
public:
    using DBKindPoint::DBKindPoint;
};
class DBJYPipe : public DBKindPipe<Kind::JY>, public DBPipeCreator<DBJYPipe> {};
class DBJYJXJPoint : public DBChamberPoint<DBJYPoint, DBJYJXJPoint> {
public:
    DBJYJXJPoint() : DBChamberPoint("检修井", chamberLooks::militaryManhole) {}
};
class DBJYJXXPoint : public DBEquipmentPoint<DBJYPoint, DBJYJXXPoint> {
public:
    DBJYJXXPoint() : DBEquipmentPoint("接线箱", equipmentLooks::militaryJunctionBox) {}
};
class DBJYRKPoint : public DBChamberPoint<DBJYPoint, DBJYRKPoint> {
public:
    DBJYRKPoint() : DBChamberPoint("人孔", chamberLooks::militaryManhole) {}
};
class DBJYSGPoint : public DBEquipmentPoint<DBJYPoint, DBJYSGPoint> {
public:
    DBJYSGPoint() : DBEquipmentPoint("上杆", equipmentLooks::militaryRiser) {}
};
class DBJYSKPoint : public DBChamberPoint<DBJYPoint, DBJYSKPoint> {
public:
    DBJYSKPoint() : DBChamberPoint("手孔", chamberLooks::militaryHandHole) {}
};
