#pragma once

#include <osg/Node>
#include <osg/Vec3>
#include <osg/Vec4>
#include <osg/ref_ptr>

// The equipment the network places at its points, built from solids. Every model stands
// with its base on z = 0 at the origin, z up, in metres, at the size of the real thing.
namespace models {

// A flanged gate valve on a short run of pipe along x, with bonnet, stem and handwheel;
// small enough to stand inside a valve well of 0.5 m radius.
osg::ref_ptr<osg::Node> gateValve();
// A domestic water meter: brass body between two pipe stubs, register with a glass dial.
osg::ref_ptr<osg::Node> waterMeter();
// A red pillar fire hydrant with two hose outlets and a pumper outlet.
osg::ref_ptr<osg::Node> hydrant();
// A galvanised street lamp: base, tapered pole, arm and lantern.
osg::ref_ptr<osg::Node> streetLamp();
// A concrete pole with the cable's riser conduit strapped up its side; power poles carry a
// cross arm with insulators.
osg::ref_ptr<osg::Node> poleRiser(const osg::Vec4& conduit, bool crossArm);

// Street cabinets on a concrete plinth: double doors for wide ones, louvres, a handle.
struct CabinetLook {
    osg::Vec3 size; // width (x), depth (y), height (z) of the cabinet body
    osg::Vec4 colour;
    float plinth = 0.2f;  // height of the concrete plinth it stands on
    bool warning = false; // yellow high-voltage sign on the door
};
osg::ref_ptr<osg::Node> cabinet(const CabinetLook& look);
// A gas pressure-regulating box on legs, yellow inlet and outlet pipes rising into it.
osg::ref_ptr<osg::Node> pressureRegulator();

} // namespace models
