#pragma once

#include "network/DBKindPipe.h"
#include "network/DBKindPoint.h"
#include "network/DBPipeCreator.h"
#include "network/DBPointCreator.h"
#include "network/KindPointVisitor.h"

// The classes of the fifteen utility kinds: per kind its point visitor, point base and pipe
// layer, then its point categories in the order the layer receives them. A category
// takes the rows whose point nature or attached facility is its name; wells, chambers
// and equipment have a look of their own, fittings are built from the pipes meeting there.

// A point category of a kind: its name and look, and its factory.
template <class KindPoint, class Self> class DBCategoryPoint : public KindPoint, public DBPointCreator<Self> {
public:
    DBCategoryPoint(const char* name, bool ownLook) : KindPoint(name, ownLook) {}

    // Category nodes come with the model construction.
    osg::Node* createNode(const CPPoint&) override { return nullptr; }
};

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
class DBPSFTPoint : public DBCategoryPoint<DBPSPoint, DBPSFTPoint> {
public:
    DBPSFTPoint() : DBCategoryPoint("四通", false) {}
};
class DBPSJXJPoint : public DBCategoryPoint<DBPSPoint, DBPSJXJPoint> {
public:
    DBPSJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBPSSTPoint : public DBCategoryPoint<DBPSPoint, DBPSSTPoint> {
public:
    DBPSSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBPSYBPoint : public DBCategoryPoint<DBPSPoint, DBPSYBPoint> {
public:
    DBPSYBPoint() : DBCategoryPoint("雨篦", true) {}
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
class DBYSSTPoint : public DBCategoryPoint<DBYSPoint, DBYSSTPoint> {
public:
    DBYSSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBYSWTPoint : public DBCategoryPoint<DBYSPoint, DBYSWTPoint> {
public:
    DBYSWTPoint() : DBCategoryPoint("弯头", false) {}
};
class DBYSYBPoint : public DBCategoryPoint<DBYSPoint, DBYSYBPoint> {
public:
    DBYSYBPoint() : DBCategoryPoint("雨篦", true) {}
};
class DBYSYSJPoint : public DBCategoryPoint<DBYSPoint, DBYSYSJPoint> {
public:
    DBYSYSJPoint() : DBCategoryPoint("雨水井", true) {}
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
class DBWSWSJXJPoint : public DBCategoryPoint<DBWSPoint, DBWSWSJXJPoint> {
public:
    DBWSWSJXJPoint() : DBCategoryPoint("污水检修井", true) {}
};
class DBWSWBPoint : public DBCategoryPoint<DBWSPoint, DBWSWBPoint> {
public:
    DBWSWBPoint() : DBCategoryPoint("污篦", true) {}
};
class DBWSJXJPoint : public DBCategoryPoint<DBWSPoint, DBWSJXJPoint> {
public:
    DBWSJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBWSSTPoint : public DBCategoryPoint<DBWSPoint, DBWSSTPoint> {
public:
    DBWSSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBWSWTPoint : public DBCategoryPoint<DBWSPoint, DBWSWTPoint> {
public:
    DBWSWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBSYFMPoint : public DBCategoryPoint<DBSYPoint, DBSYFMPoint> {
public:
    DBSYFMPoint() : DBCategoryPoint("阀门", true) {}
};
class DBSYSTPoint : public DBCategoryPoint<DBSYPoint, DBSYSTPoint> {
public:
    DBSYSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBSYWTPoint : public DBCategoryPoint<DBSYPoint, DBSYWTPoint> {
public:
    DBSYWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBJSFMJPoint : public DBCategoryPoint<DBJSPoint, DBJSFMJPoint> {
public:
    DBJSFMJPoint() : DBCategoryPoint("阀门井", true) {}
};
class DBJSFMPoint : public DBCategoryPoint<DBJSPoint, DBJSFMPoint> {
public:
    DBJSFMPoint() : DBCategoryPoint("阀门", true) {}
};
class DBJSJXJPoint : public DBCategoryPoint<DBJSPoint, DBJSJXJPoint> {
public:
    DBJSJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBJSPWFPoint : public DBCategoryPoint<DBJSPoint, DBJSPWFPoint> {
public:
    DBJSPWFPoint() : DBCategoryPoint("排污阀", true) {}
};
class DBJSSBPoint : public DBCategoryPoint<DBJSPoint, DBJSSBPoint> {
public:
    DBJSSBPoint() : DBCategoryPoint("水表", true) {}
};
class DBJSXFSPoint : public DBCategoryPoint<DBJSPoint, DBJSXFSPoint> {
public:
    DBJSXFSPoint() : DBCategoryPoint("消防栓", true) {}
};
class DBJSFTPoint : public DBCategoryPoint<DBJSPoint, DBJSFTPoint> {
public:
    DBJSFTPoint() : DBCategoryPoint("四通", false) {}
};
class DBJSSTPoint : public DBCategoryPoint<DBJSPoint, DBJSSTPoint> {
public:
    DBJSSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBJSWTPoint : public DBCategoryPoint<DBJSPoint, DBJSWTPoint> {
public:
    DBJSWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBRSJXJPoint : public DBCategoryPoint<DBRSPoint, DBRSJXJPoint> {
public:
    DBRSJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBRSSTPoint : public DBCategoryPoint<DBRSPoint, DBRSSTPoint> {
public:
    DBRSSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBRSWTPoint : public DBCategoryPoint<DBRSPoint, DBRSWTPoint> {
public:
    DBRSWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBTRFMJPoint : public DBCategoryPoint<DBTRPoint, DBTRFMJPoint> {
public:
    DBTRFMJPoint() : DBCategoryPoint("阀门井", true) {}
};
class DBTRSTPoint : public DBCategoryPoint<DBTRPoint, DBTRSTPoint> {
public:
    DBTRSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBTRTYXPoint : public DBCategoryPoint<DBTRPoint, DBTRTYXPoint> {
public:
    DBTRTYXPoint() : DBCategoryPoint("调压箱", true) {}
};
class DBTRWTPoint : public DBCategoryPoint<DBTRPoint, DBTRWTPoint> {
public:
    DBTRWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBYGSTPoint : public DBCategoryPoint<DBYGPoint, DBYGSTPoint> {
public:
    DBYGSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBYGWTPoint : public DBCategoryPoint<DBYGPoint, DBYGWTPoint> {
public:
    DBYGWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBQGSTPoint : public DBCategoryPoint<DBQGPoint, DBQGSTPoint> {
public:
    DBQGSTPoint() : DBCategoryPoint("三通", false) {}
};
class DBQGWTPoint : public DBCategoryPoint<DBQGPoint, DBQGWTPoint> {
public:
    DBQGWTPoint() : DBCategoryPoint("弯头", false) {}
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
class DBGDJXJPoint : public DBCategoryPoint<DBGDPoint, DBGDJXJPoint> {
public:
    DBGDJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBGDKZGPoint : public DBCategoryPoint<DBGDPoint, DBGDKZGPoint> {
public:
    DBGDKZGPoint() : DBCategoryPoint("控制柜", true) {}
};
class DBGDSGPoint : public DBCategoryPoint<DBGDPoint, DBGDSGPoint> {
public:
    DBGDSGPoint() : DBCategoryPoint("上杆", true) {}
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
class DBLDLDPoint : public DBCategoryPoint<DBLDPoint, DBLDLDPoint> {
public:
    DBLDLDPoint() : DBCategoryPoint("路灯", true) {}
};
class DBLDJXJPoint : public DBCategoryPoint<DBLDPoint, DBLDJXJPoint> {
public:
    DBLDJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBLDSGPoint : public DBCategoryPoint<DBLDPoint, DBLDSGPoint> {
public:
    DBLDSGPoint() : DBCategoryPoint("上杆", true) {}
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
class DBDXJXJPoint : public DBCategoryPoint<DBDXPoint, DBDXJXJPoint> {
public:
    DBDXJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBDXJXXPoint : public DBCategoryPoint<DBDXPoint, DBDXJXXPoint> {
public:
    DBDXJXXPoint() : DBCategoryPoint("接线箱", true) {}
};
class DBDXRKPoint : public DBCategoryPoint<DBDXPoint, DBDXRKPoint> {
public:
    DBDXRKPoint() : DBCategoryPoint("人孔", true) {}
};
class DBDXSGPoint : public DBCategoryPoint<DBDXPoint, DBDXSGPoint> {
public:
    DBDXSGPoint() : DBCategoryPoint("上杆", true) {}
};
class DBDXSKPoint : public DBCategoryPoint<DBDXPoint, DBDXSKPoint> {
public:
    DBDXSKPoint() : DBCategoryPoint("手孔", true) {}
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
class DBDSJXJPoint : public DBCategoryPoint<DBDSPoint, DBDSJXJPoint> {
public:
    DBDSJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBDSJXXPoint : public DBCategoryPoint<DBDSPoint, DBDSJXXPoint> {
public:
    DBDSJXXPoint() : DBCategoryPoint("接线箱", true) {}
};
class DBDSRKPoint : public DBCategoryPoint<DBDSPoint, DBDSRKPoint> {
public:
    DBDSRKPoint() : DBCategoryPoint("人孔", true) {}
};
class DBDSSGPoint : public DBCategoryPoint<DBDSPoint, DBDSSGPoint> {
public:
    DBDSSGPoint() : DBCategoryPoint("上杆", true) {}
};
class DBDSSKPoint : public DBCategoryPoint<DBDSPoint, DBDSSKPoint> {
public:
    DBDSSKPoint() : DBCategoryPoint("手孔", true) {}
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
class DBYDJXJPoint : public DBCategoryPoint<DBYDPoint, DBYDJXJPoint> {
public:
    DBYDJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBYDRKPoint : public DBCategoryPoint<DBYDPoint, DBYDRKPoint> {
public:
    DBYDRKPoint() : DBCategoryPoint("人孔", true) {}
};
class DBYDSKPoint : public DBCategoryPoint<DBYDPoint, DBYDSKPoint> {
public:
    DBYDSKPoint() : DBCategoryPoint("手孔", true) {}
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
class DBJYJXJPoint : public DBCategoryPoint<DBJYPoint, DBJYJXJPoint> {
public:
    DBJYJXJPoint() : DBCategoryPoint("检修井", true) {}
};
class DBJYJXXPoint : public DBCategoryPoint<DBJYPoint, DBJYJXXPoint> {
public:
    DBJYJXXPoint() : DBCategoryPoint("接线箱", true) {}
};
class DBJYRKPoint : public DBCategoryPoint<DBJYPoint, DBJYRKPoint> {
public:
    DBJYRKPoint() : DBCategoryPoint("人孔", true) {}
};
class DBJYSGPoint : public DBCategoryPoint<DBJYPoint, DBJYSGPoint> {
public:
    DBJYSGPoint() : DBCategoryPoint("上杆", true) {}
};
class DBJYSKPoint : public DBCategoryPoint<DBJYPoint, DBJYSKPoint> {
public:
    DBJYSKPoint() : DBCategoryPoint("手孔", true) {}
};
