#include "ShipShape.h"

#include "Outline.h"
#include "SphereShape.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <vector>

namespace AssetGen {

namespace {

constexpr glm::vec3 kRight(1.0f, 0.0f, 0.0f);
constexpr glm::vec3 kUp(0.0f, 1.0f, 0.0f);
constexpr glm::vec3 kForward(0.0f, 0.0f, 1.0f);
constexpr float kWingRoot = 0.5f;
constexpr float kWingTip = 1.7f;
// The wings droop towards the tips, so that they still read as wings from behind.
constexpr float kWingTipDrop = -0.3f;
constexpr int kPylonRings = 20;
// The right pylon's centre line: leaves the top of the hull backwards, then
// bends up into the engine mount, entering the nacelle from below.
constexpr glm::vec3 kPylonPath[4] = {
    {0.3f, 0.12f, -0.4f}, {0.45f, 0.55f, -2.8f}, {0.9f, 1.3f, -5.4f}, ShipShape::kEngineMount};
// Where along the pylons the stabiliser joins them.
constexpr float kStabiliserAt = 0.62f;

struct HullStation {
    float z;
    float halfWidth;
    float halfHeight;
    float centreY;
};

glm::mat4 translation(const glm::vec3& offset)
{
    return glm::translate(glm::mat4(1.0f), offset);
}

glm::mat4 mirrorX()
{
    return glm::scale(glm::mat4(1.0f), glm::vec3(-1.0f, 1.0f, 1.0f));
}

glm::vec3 pylonPoint(float t)
{
    const float s = 1.0f - t;
    const glm::vec3(&p)[4] = kPylonPath;
    return s * s * s * p[0] + 3.0f * s * s * t * p[1] + 3.0f * s * t * t * p[2] + t * t * t * p[3];
}

glm::vec3 pylonTangent(float t)
{
    const float s = 1.0f - t;
    const glm::vec3(&p)[4] = kPylonPath;
    return glm::normalize(s * s * (p[1] - p[0]) + 2.0f * s * t * (p[2] - p[1]) + t * t * (p[3] - p[2]));
}

// Half the strut's depth: slim where it is buried in the hull and in the
// nacelle, broadest in the free span between them.
float pylonDepth(float t)
{
    return 0.32f - 0.08f * t + 0.22f * std::sin(glm::pi<float>() * t);
}

}

MeshBuilder ShipShape::build()
{
    MeshBuilder ship = fuselage();
    ship.append(canopy(), glm::mat4(1.0f));
    ship.append(ventralFin(), glm::mat4(1.0f));
    ship.append(stabiliser(), glm::mat4(1.0f));
    const MeshBuilder wingPart = wing();
    const MeshBuilder gunPart = gun();
    const MeshBuilder pylonPart = pylon();
    for (const glm::mat4& side : {glm::mat4(1.0f), mirrorX()}) {
        ship.append(wingPart, side);
        ship.append(gunPart, side * translation({kWingTip, kWingTipDrop, 0.0f}));
        ship.append(pylonPart, side);
    }
    return ship;
}

MeshBuilder ShipShape::fuselage()
{
    // Nose to tail, ending in a recessed exhaust.
    const HullStation stations[] = {
        {1.95f, 0.0f, 0.0f, -0.02f},   {1.8f, 0.14f, 0.1f, -0.02f},   {1.5f, 0.34f, 0.23f, 0.0f},
        {1.0f, 0.56f, 0.37f, 0.02f},   {0.3f, 0.74f, 0.48f, 0.04f},   {-0.5f, 0.78f, 0.5f, 0.05f},
        {-1.15f, 0.7f, 0.46f, 0.05f},  {-1.55f, 0.58f, 0.4f, 0.05f},  {-1.72f, 0.52f, 0.36f, 0.05f},
        {-1.72f, 0.38f, 0.24f, 0.05f}, {-1.5f, 0.32f, 0.2f, 0.05f},   {-1.5f, 0.0f, 0.0f, 0.05f}};
    std::vector<MeshBuilder::Ring> rings;
    std::vector<glm::vec2> sideProfile;
    for (const HullStation& station : stations) {
        rings.push_back(MeshBuilder::section({0.0f, station.centreY, station.z}, kRight, kUp,
                                             Outline::superellipse(station.halfWidth, station.halfHeight, 2.6f, 24)));
        sideProfile.emplace_back(station.halfWidth, station.z);
    }
    MeshBuilder part;
    part.addTube(rings, MeshBuilder::arcLengthFractions(sideProfile));
    return part;
}

MeshBuilder ShipShape::canopy()
{
    MeshBuilder part;
    part.append(SphereShape::build(1.0f, 16, 8), translation({0.0f, 0.5f, 0.5f}) * glm::scale(glm::mat4(1.0f), {0.3f, 0.23f, 0.7f}));
    return part;
}

MeshBuilder ShipShape::wing()
{
    // Built along +x from inside the hull.
    const std::vector<MeshBuilder::Ring> rings = {
        MeshBuilder::section({kWingRoot, -0.05f, 0.0f}, kForward, kUp, Outline::airfoil(0.8f, -1.35f, 0.09f)),
        MeshBuilder::section({kWingTip, kWingTipDrop, 0.0f}, kForward, kUp, Outline::airfoil(-0.35f, -0.85f, 0.03f))};
    MeshBuilder part;
    part.addCappedTube(rings, {0.0f, 1.0f});
    // Seen from above, nose up, the whole wing is one upright panel of the texture.
    part.mapUV([](const glm::vec3& p) {
        return glm::clamp(glm::vec2((kWingTip - p.x) / (kWingTip - kWingRoot), (0.8f - p.z) / 2.15f), 0.0f, 1.0f);
    });
    return part;
}

MeshBuilder ShipShape::gun()
{
    const std::vector<glm::vec2> profile = {{0.0f, 0.8f},  {0.03f, 0.79f}, {0.03f, 0.5f},  {0.07f, 0.45f},
                                            {0.08f, 0.25f}, {0.08f, -0.6f}, {0.05f, -0.68f}, {0.0f, -0.7f}};
    MeshBuilder part;
    part.addLathe(profile, 12, MeshBuilder::arcLengthFractions(profile));
    return part;
}

MeshBuilder ShipShape::ventralFin()
{
    // Built downwards from inside the hull.
    const std::vector<MeshBuilder::Ring> rings = {
        MeshBuilder::section({0.0f, -0.2f, 0.0f}, kForward, kRight, Outline::airfoil(-0.5f, -1.6f, 0.05f)),
        MeshBuilder::section({0.0f, -0.78f, 0.0f}, kForward, kRight, Outline::airfoil(-1.2f, -1.62f, 0.025f))};
    MeshBuilder part;
    part.addCappedTube(rings, {0.0f, 1.0f});
    return part;
}

MeshBuilder ShipShape::pylon()
{
    std::vector<MeshBuilder::Ring> rings;
    std::vector<float> ringV;
    for (int i = 0; i <= kPylonRings; ++i) {
        const float t = static_cast<float>(i) / kPylonRings;
        const glm::vec3 tangent = pylonTangent(t);
        // The strut is a blade: thin across the ship, deep along its path.
        const glm::vec3 depth = glm::normalize(glm::cross(kRight, tangent));
        const glm::vec3 across = glm::cross(tangent, depth);
        rings.push_back(MeshBuilder::section(pylonPoint(t), across, depth,
                                             Outline::superellipse(0.12f - 0.04f * t, pylonDepth(t), 2.2f, 12)));
        ringV.push_back(t);
    }
    MeshBuilder part;
    part.addCappedTube(rings, ringV);
    return part;
}

MeshBuilder ShipShape::stabiliser()
{
    // A wing from the left pylon to the right one, ends buried in both.
    const glm::vec3 joint = pylonPoint(kStabiliserAt);
    const auto station = [&joint](float x) {
        return MeshBuilder::section({x, joint.y, joint.z}, kForward, kUp,
                                    Outline::airfoil(0.35f, -0.35f, 0.07f));
    };
    const std::vector<MeshBuilder::Ring> rings = {station(-joint.x), station(joint.x)};
    MeshBuilder part;
    part.addCappedTube(rings, {0.0f, 1.0f});
    part.mapUV([&joint](const glm::vec3& p) {
        return glm::clamp(glm::vec2(0.5f - 0.5f * p.x / joint.x, 0.5f + (joint.z - p.z) / 0.7f), 0.0f, 1.0f);
    });
    return part;
}

}
