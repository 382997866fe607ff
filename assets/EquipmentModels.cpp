#include "assets/EquipmentModels.h"

#include "assets/MeshBuilder.h"

#include <cmath>

namespace models {
namespace {

const osg::Vec4 kConcrete(0.66f, 0.65f, 0.62f, 1.f);
const osg::Vec4 kSteel(0.70f, 0.71f, 0.73f, 1.f);
const osg::Vec4 kDark(0.12f, 0.12f, 0.13f, 1.f);
const osg::Vec4 kBrass(0.74f, 0.56f, 0.24f, 1.f);
const osg::Vec4 kGasYellow(0.95f, 0.78f, 0.10f, 1.f);

osg::Vec3 X(float x) {
    return osg::Vec3(x, 0.f, 0.f);
}
osg::Vec3 Z(float z) {
    return osg::Vec3(0.f, 0.f, z);
}

// Bolts around a flange face, parallel to axis.
void boltCircle(MeshBuilder& m, const osg::Vec3& centre, const osg::Vec3& axis, float radius, float length,
                int count) {
    osg::Vec3 u = std::fabs(axis.z()) < 0.9f ? axis ^ osg::Vec3(0, 0, 1) : axis ^ osg::Vec3(1, 0, 0);
    u.normalize();
    const osg::Vec3 v = axis ^ u;
    for (int i = 0; i < count; ++i) {
        const float a = 2.f * osg::PIf * (i + 0.5f) / count;
        const osg::Vec3 p = centre + (u * std::cos(a) + v * std::sin(a)) * radius;
        m.cylinder(p - axis * (length / 2), p + axis * (length / 2), 0.011f, 0.011f, 6);
    }
}

} // namespace

osg::ref_ptr<osg::Node> gateValve() {
    MeshBuilder m;
    const float axisZ = 0.32f;
    m.setColor(kConcrete);
    m.box(osg::Vec3(-0.15f, -0.15f, 0.f), osg::Vec3(0.15f, 0.15f, 0.22f)); // support block under the body

    const osg::Vec4 body(0.13f, 0.24f, 0.46f, 1.f);
    m.setColor(body);
    m.cylinder(X(-0.45f) + Z(axisZ), X(0.45f) + Z(axisZ), 0.055f, 0.055f);
    for (float x : {-0.42f, -0.16f, 0.16f, 0.42f}) {
        const float s = x < 0 ? 1.f : -1.f; // pipe-end flanges face outward, body flanges inward
        m.cylinder(X(x) + Z(axisZ), X(x + s * 0.028f) + Z(axisZ), 0.105f, 0.105f);
    }
    m.cylinder(X(-0.16f) + Z(axisZ), X(0.16f) + Z(axisZ), 0.085f, 0.085f);
    m.cylinder(Z(0.22f), Z(0.46f), 0.11f, 0.11f); // wedge chamber
    m.cylinder(Z(0.46f), Z(0.49f), 0.135f, 0.135f);
    m.cylinder(Z(0.49f), Z(0.72f), 0.095f, 0.06f); // bonnet
    m.cylinder(Z(0.72f), Z(0.76f), 0.07f, 0.07f);
    m.setColor(kSteel);
    for (float x : {-0.42f, -0.16f, 0.16f, 0.42f})
        boltCircle(m, X(x) + Z(axisZ), osg::Vec3(1, 0, 0), 0.085f, 0.07f, 8);
    boltCircle(m, Z(0.475f), osg::Vec3(0, 0, 1), 0.12f, 0.06f, 8);
    m.cylinder(Z(0.76f), Z(0.97f), 0.015f, 0.015f, 12); // stem

    const osg::Vec4 wheel(0.78f, 0.10f, 0.07f, 1.f);
    m.setColor(wheel);
    const float wheelZ = 0.93f;
    m.torus(Z(wheelZ), osg::Vec3(0, 0, 1), 0.16f, 0.014f);
    m.cylinder(Z(wheelZ - 0.03f), Z(wheelZ + 0.03f), 0.032f, 0.032f, 16);
    for (int i = 0; i < 4; ++i) {
        const float a = osg::PI_2f * i + osg::PI_4f;
        m.cylinder(Z(wheelZ), Z(wheelZ) + osg::Vec3(std::cos(a), std::sin(a), 0.f) * 0.155f, 0.011f, 0.011f,
                   8, false);
    }
    m.setColor(kSteel);
    m.cylinder(Z(wheelZ + 0.03f), Z(0.99f), 0.02f, 0.02f, 6); // stem nut
    return m.build("famen");
}

osg::ref_ptr<osg::Node> waterMeter() {
    MeshBuilder m;
    const float axisZ = 0.07f;
    m.setColor(kBrass);
    m.box(osg::Vec3(-0.04f, -0.03f, 0.f), osg::Vec3(0.04f, 0.03f, 0.03f)); // cast feet
    m.cylinder(X(-0.15f) + Z(axisZ), X(0.15f) + Z(axisZ), 0.017f, 0.017f);
    for (float x : {-0.13f, 0.10f}) // union nuts
        m.cylinder(X(x) + Z(axisZ), X(x + 0.03f) + Z(axisZ), 0.028f, 0.028f, 6);
    m.cylinder(X(-0.075f) + Z(axisZ), X(0.075f) + Z(axisZ), 0.045f, 0.045f);
    m.cylinder(Z(axisZ), Z(0.14f), 0.062f, 0.062f, 32); // register housing
    m.setColor(osg::Vec4(0.93f, 0.94f, 0.96f, 1.f));
    m.cylinder(Z(0.14f), Z(0.145f), 0.054f, 0.054f, 32); // dial face
    m.setColor(kDark);
    m.box(osg::Matrix::scale(0.045f, 0.004f, 0.002f) * osg::Matrix::rotate(0.6, 0, 0, 1) *
          osg::Matrix::translate(Z(0.147f))); // pointer
    m.setColor(osg::Vec4(0.70f, 0.85f, 0.95f, 1.f));
    m.torus(Z(0.145f), osg::Vec3(0, 0, 1), 0.057f, 0.006f, 32); // glass bezel
    m.setColor(osg::Vec4(0.10f, 0.30f, 0.65f, 1.f));
    // The hinged protective cover, standing open behind the dial.
    m.box(osg::Matrix::translate(0.f, 0.5f, 0.f) * osg::Matrix::scale(0.125f, 0.12f, 0.006f) *
          osg::Matrix::rotate(osg::DegreesToRadians(80.0), 1, 0, 0) *
          osg::Matrix::translate(0.f, 0.064f, 0.14f));
    return m.build("shuibiao");
}

osg::ref_ptr<osg::Node> hydrant() {
    MeshBuilder m;
    const osg::Vec4 red(0.80f, 0.07f, 0.05f, 1.f);
    m.setColor(red * 0.8f);
    m.cylinder(Z(0.f), Z(0.06f), 0.16f, 0.16f, 32); // ground flange
    m.setColor(red);
    m.cylinder(Z(0.06f), Z(0.72f), 0.10f, 0.10f, 32);
    m.cylinder(Z(0.52f), Z(0.57f), 0.117f, 0.117f, 32);
    m.cylinder(Z(0.72f), Z(0.80f), 0.115f, 0.07f, 32); // bonnet
    m.sphere(Z(0.80f), 0.07f);
    for (float s : {-1.f, 1.f})
        m.cylinder(Z(0.62f) + X(s * 0.08f), Z(0.62f) + X(s * 0.19f), 0.036f, 0.036f, 16);
    m.cylinder(Z(0.42f) + osg::Vec3(0, -0.08f, 0), Z(0.42f) + osg::Vec3(0, -0.18f, 0), 0.055f, 0.055f, 20);
    m.setColor(kSteel);
    m.cylinder(Z(0.06f), Z(0.075f), 0.145f, 0.145f, 32);
    boltCircle(m, Z(0.06f), osg::Vec3(0, 0, 1), 0.13f, 0.04f, 8);
    for (float s : {-1.f, 1.f})
        m.cylinder(Z(0.62f) + X(s * 0.19f), Z(0.62f) + X(s * 0.225f), 0.046f, 0.046f, 8); // outlet caps
    m.cylinder(Z(0.42f) + osg::Vec3(0, -0.18f, 0), Z(0.42f) + osg::Vec3(0, -0.22f, 0), 0.066f, 0.066f, 8);
    m.cylinder(Z(0.86f), Z(0.90f), 0.032f, 0.032f, 5); // pentagon operating nut
    return m.build("xiaofangshuan");
}

osg::ref_ptr<osg::Node> streetLamp() {
    MeshBuilder m;
    const osg::Vec4 galvanised(0.63f, 0.65f, 0.67f, 1.f);
    m.setColor(kConcrete);
    m.box(osg::Vec3(-0.3f, -0.3f, 0.f), osg::Vec3(0.3f, 0.3f, 0.08f)); // foundation top
    m.setColor(galvanised);
    m.cylinder(Z(0.08f), Z(0.11f), 0.2f, 0.2f, 32);
    m.cylinder(Z(0.11f), Z(0.9f), 0.13f, 0.1f, 32);
    m.cylinder(Z(0.9f), Z(8.0f), 0.085f, 0.05f, 24);
    m.setColor(galvanised * 0.8f);
    m.box(osg::Vec3(-0.04f, -0.125f, 0.35f), osg::Vec3(0.04f, -0.11f, 0.65f)); // cable access door
    boltCircle(m, Z(0.11f), osg::Vec3(0, 0, 1), 0.17f, 0.06f, 4);
    m.setColor(galvanised);
    m.cylinder(Z(7.6f), osg::Vec3(0.9f, 0.f, 8.12f), 0.04f, 0.035f, 16);
    m.cylinder(osg::Vec3(0.85f, 0.f, 8.1f), osg::Vec3(1.75f, 0.f, 8.2f), 0.035f, 0.03f, 16);
    m.cylinder(Z(7.2f), osg::Vec3(0.6f, 0.f, 7.95f), 0.02f, 0.02f, 8); // brace
    m.setColor(osg::Vec4(0.28f, 0.30f, 0.33f, 1.f));
    m.box(osg::Matrix::scale(0.72f, 0.32f, 0.12f) * osg::Matrix::rotate(-0.08, 0, 1, 0) *
          osg::Matrix::translate(2.05f, 0.f, 8.2f));
    m.setColor(osg::Vec4(1.0f, 0.93f, 0.70f, 1.f));
    m.box(osg::Matrix::scale(0.58f, 0.24f, 0.04f) * osg::Matrix::rotate(-0.08, 0, 1, 0) *
          osg::Matrix::translate(2.06f, 0.f, 8.13f)); // lamp glass
    return m.build("ludeng");
}

osg::ref_ptr<osg::Node> poleRiser(const osg::Vec4& conduit, bool crossArm) {
    MeshBuilder m;
    m.setColor(osg::Vec4(0.74f, 0.73f, 0.70f, 1.f));
    m.cylinder(Z(0.f), Z(9.f), 0.15f, 0.095f, 24);
    const osg::Vec3 riser(0.f, -0.21f, 0.f);
    m.setColor(conduit);
    m.cylinder(riser, riser + Z(3.2f), 0.055f, 0.055f, 16);
    m.cylinder(riser + Z(3.2f), riser + osg::Vec3(0, 0.04f, 3.45f), 0.055f, 0.055f, 16);
    m.setColor(kDark);
    m.cylinder(riser + osg::Vec3(0, 0.04f, 3.45f), riser + osg::Vec3(0, 0.05f, 3.55f), 0.065f, 0.05f,
               16); // weatherhead
    m.cylinder(riser + osg::Vec3(0, 0.06f, 3.55f), osg::Vec3(0.f, -0.11f, 8.3f), 0.014f, 0.014f,
               8); // cable up the pole
    m.setColor(kSteel);
    for (float z : {0.8f, 1.8f, 2.8f}) {
        m.torus(riser + Z(z), osg::Vec3(0, 0, 1), 0.05f, 0.007f, 16);
        m.box(osg::Vec3(-0.012f, -0.17f, z - 0.01f), osg::Vec3(0.012f, -0.13f, z + 0.01f));
    }
    if (crossArm) {
        m.box(osg::Vec3(-0.95f, -0.05f, 8.45f), osg::Vec3(0.95f, 0.05f, 8.55f));
        m.setColor(osg::Vec4(0.93f, 0.92f, 0.88f, 1.f));
        for (float x : {-0.8f, -0.35f, 0.8f}) {
            m.cylinder(osg::Vec3(x, 0, 8.55f), osg::Vec3(x, 0, 8.72f), 0.04f, 0.03f, 12);
            for (float z : {8.6f, 8.66f})
                m.cylinder(osg::Vec3(x, 0, z), osg::Vec3(x, 0, z + 0.015f), 0.055f, 0.055f, 12);
        }
    } else {
        // A cable terminal box where the line leaves the pole overhead.
        m.setColor(osg::Vec4(0.55f, 0.57f, 0.58f, 1.f));
        m.box(osg::Vec3(-0.14f, -0.28f, 7.9f), osg::Vec3(0.14f, -0.1f, 8.35f));
        m.setColor(kDark);
        m.cylinder(osg::Vec3(-1.2f, -0.14f, 8.6f), osg::Vec3(1.2f, -0.14f, 8.6f), 0.01f, 0.01f, 6);
        m.box(osg::Vec3(-0.05f, -0.17f, 8.5f), osg::Vec3(0.05f, -0.1f, 8.65f));
    }
    return m.build("shanggan");
}

osg::ref_ptr<osg::Node> cabinet(const CabinetLook& look) {
    MeshBuilder m;
    const float w = look.size.x(), d = look.size.y(), h = look.size.z(), p = look.plinth;
    m.setColor(kConcrete);
    m.box(osg::Vec3(-w / 2 - 0.06f, -d / 2 - 0.06f, 0.f), osg::Vec3(w / 2 + 0.06f, d / 2 + 0.06f, p));
    m.setColor(look.colour);
    m.box(osg::Vec3(-w / 2, -d / 2, p), osg::Vec3(w / 2, d / 2, p + h));
    m.setColor(look.colour * 0.85f);
    m.box(osg::Vec3(-w / 2 - 0.035f, -d / 2 - 0.035f, p + h),
          osg::Vec3(w / 2 + 0.035f, d / 2 + 0.035f, p + h + 0.04f));

    // Doors on the front (-y): two leaves on a wide cabinet, one on a narrow one.
    const int leaves = w > 0.8f ? 2 : 1;
    const float front = -d / 2, margin = 0.04f, leafW = (w - 2 * margin) / leaves;
    for (int i = 0; i < leaves; ++i) {
        const float x0 = -w / 2 + margin + i * leafW + 0.006f, x1 = x0 + leafW - 0.012f;
        m.setColor(look.colour * 1.05f);
        m.box(osg::Vec3(x0, front - 0.008f, p + margin), osg::Vec3(x1, front, p + h - margin));
        m.setColor(look.colour * 0.45f);
        for (int k = 0; k < 4; ++k) { // louvres, low and high
            const float z = p + margin + 0.06f + k * 0.035f;
            m.box(osg::Vec3(x0 + 0.05f, front - 0.014f, z),
                  osg::Vec3(x1 - 0.05f, front - 0.008f, z + 0.015f));
            m.box(osg::Vec3(x0 + 0.05f, front - 0.014f, p + h - margin - 0.08f - k * 0.035f),
                  osg::Vec3(x1 - 0.05f, front - 0.008f, p + h - margin - 0.065f - k * 0.035f));
        }
        const float hx = i == 0 ? x1 - 0.05f : x0 + 0.05f;
        m.setColor(kSteel);
        m.box(osg::Vec3(hx - 0.012f, front - 0.03f, p + h * 0.45f),
              osg::Vec3(hx + 0.012f, front - 0.008f, p + h * 0.6f));
    }
    if (look.warning) {
        const float x = leaves == 2 ? -leafW / 2 : 0.f, z = p + h * 0.72f;
        m.setColor(osg::Vec4(0.98f, 0.82f, 0.05f, 1.f));
        m.box(osg::Matrix::scale(0.13f, 0.004f, 0.13f) * osg::Matrix::rotate(osg::PI_4, 0, 1, 0) *
              osg::Matrix::translate(x, front - 0.011f, z));
        m.setColor(kDark);
        m.box(osg::Matrix::scale(0.015f, 0.004f, 0.1f) * osg::Matrix::rotate(0.35, 0, 1, 0) *
              osg::Matrix::translate(x, front - 0.013f, z)); // the lightning stroke
    }
    return m.build("cabinet");
}

osg::ref_ptr<osg::Node> pressureRegulator() {
    MeshBuilder m;
    const float w = 1.0f, d = 0.6f, bottom = 0.4f, top = 1.45f;
    const osg::Vec4 casing(0.80f, 0.81f, 0.79f, 1.f);
    m.setColor(kConcrete);
    m.box(osg::Vec3(-0.6f, -0.4f, 0.f), osg::Vec3(0.6f, 0.4f, 0.1f));
    m.setColor(kDark);
    for (float x : {-w / 2 + 0.05f, w / 2 - 0.05f})
        for (float y : {-d / 2 + 0.05f, d / 2 - 0.05f})
            m.box(osg::Vec3(x - 0.03f, y - 0.03f, 0.1f), osg::Vec3(x + 0.03f, y + 0.03f, bottom));
    m.setColor(casing);
    m.box(osg::Vec3(-w / 2, -d / 2, bottom), osg::Vec3(w / 2, d / 2, top));
    // Ridge roof: sheds rain, and tells the box from an electrical cabinet at a glance.
    m.setColor(casing * 0.85f);
    m.box(osg::Matrix::scale(w + 0.08f, 0.48f, 0.48f) * osg::Matrix::rotate(osg::PI_4, 1, 0, 0) *
          osg::Matrix::scale(1.f, 1.f, 0.45f) * osg::Matrix::translate(0.f, 0.f, top));
    m.setColor(kGasYellow);
    m.box(osg::Vec3(-w / 2 - 0.003f, -d / 2 - 0.003f, top - 0.16f),
          osg::Vec3(w / 2 + 0.003f, d / 2 + 0.003f, top - 0.1f));
    for (float x : {-0.3f, 0.3f}) {
        m.cylinder(osg::Vec3(x, 0.f, 0.1f), osg::Vec3(x, 0.f, bottom), 0.045f, 0.045f, 16);
        m.cylinder(osg::Vec3(x, 0.f, 0.26f), osg::Vec3(x, 0.f, 0.285f), 0.08f, 0.08f, 16);
    }
    m.setColor(casing * 0.6f);
    for (int k = 0; k < 6; ++k) // side louvres
        for (float s : {-1.f, 1.f}) {
            const float z = bottom + 0.15f + k * 0.05f;
            m.box(osg::Vec3(s * w / 2 - 0.006f, -0.18f, z), osg::Vec3(s * w / 2 + 0.006f, 0.18f, z + 0.02f));
        }
    m.box(osg::Vec3(-0.003f, -d / 2 - 0.006f, bottom + 0.05f),
          osg::Vec3(0.003f, -d / 2, top - 0.2f)); // door seam
    m.setColor(kSteel);
    for (float x : {-0.06f, 0.06f})
        m.box(osg::Vec3(x - 0.012f, -d / 2 - 0.03f, bottom + 0.45f),
              osg::Vec3(x + 0.012f, -d / 2, bottom + 0.6f));
    return m.build("nishuigang");
}

} // namespace models
