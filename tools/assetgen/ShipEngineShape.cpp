#include "ShipEngineShape.h"

#include "Outline.h"

#include <glm/common.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace AssetGen {

namespace {

constexpr int kSegments = 32;
constexpr int kFins = 3;
constexpr int kBlades = 7;
// Where fins and blades start: buried in the shell and in the hub.
constexpr float kShellRadius = 0.5f;
constexpr float kHubRadius = 0.12f;
constexpr float kNozzleRadius = 0.38f;
constexpr float kBladeTwist = 0.7f;
constexpr float kFront = 1.3f;
constexpr float kBack = -1.12f;

glm::mat4 spinAboutAxis(float angle)
{
    return glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0.0f, 0.0f, 1.0f));
}

}

MeshBuilder ShipEngineShape::build()
{
    MeshBuilder engine = nacelle();
    const MeshBuilder finPart = fin();
    for (int i = 0; i < kFins; ++i) {
        const float angle = glm::half_pi<float>() + glm::two_pi<float>() * static_cast<float>(i) / kFins;
        engine.append(finPart, spinAboutAxis(angle));
    }
    const MeshBuilder bladePart = blade();
    for (int i = 0; i < kBlades; ++i) {
        engine.append(bladePart, spinAboutAxis(glm::two_pi<float>() * static_cast<float>(i) / kBlades));
    }
    return engine;
}

MeshBuilder ShipEngineShape::nacelle()
{
    // From the spinner's tip over the intake lip and the outer shell into the
    // nozzle, across the turbine's back wall and out along the hub.
    const std::vector<glm::vec2> profile = {
        {0.0f, kFront}, {0.09f, 1.26f},  {0.16f, 1.17f}, {0.21f, 1.04f},  {0.23f, 0.93f},  {0.38f, 0.93f},
        {0.42f, 1.07f}, {0.47f, 1.14f},  {0.53f, 1.1f},  {0.59f, 0.98f},  {0.63f, 0.78f},  {0.64f, 0.35f},
        {0.64f, -0.25f}, {0.61f, -0.65f}, {0.53f, -0.93f}, {0.48f, kBack},  {0.42f, kBack}, {0.4f, -0.9f},
        {kNozzleRadius, -0.8f}, {0.15f, -0.8f}, {0.15f, -0.94f}, {0.1f, -1.03f}, {0.0f, -1.08f}};
    MeshBuilder shell;
    shell.addLathe(profile, kSegments, MeshBuilder::arcLengthFractions(profile));
    return shell;
}

MeshBuilder ShipEngineShape::fin()
{
    // Built along +x from inside the shell; swept back and thinning outward.
    const float root = kShellRadius;
    const float tip = 0.9f;
    const std::vector<MeshBuilder::Ring> rings = {
        MeshBuilder::section({root, 0, 0}, {0, 0, 1}, {0, 1, 0}, Outline::airfoil(-0.05f, -1.02f, 0.045f)),
        MeshBuilder::section({tip, 0, 0}, {0, 0, 1}, {0, 1, 0}, Outline::airfoil(-0.55f, -1.0f, 0.022f))};
    MeshBuilder part;
    part.addCappedTube(rings, {0.0f, 1.0f});
    // v runs along the engine as on the shell, so the fins pick up the
    // texture's bands at their own height.
    part.mapUV([root, tip](const glm::vec3& p) {
        return glm::clamp(glm::vec2((p.x - root) / (tip - root), (kFront - p.z) / (kFront - kBack)), 0.0f, 1.0f);
    });
    return part;
}

MeshBuilder ShipEngineShape::blade()
{
    // A flat paddle from the hub to the nozzle wall, turned about its own
    // length like a fan blade.
    const glm::mat4 twist = glm::rotate(glm::mat4(1.0f), kBladeTwist, glm::vec3(1.0f, 0.0f, 0.0f));
    const glm::vec3 right(twist * glm::vec4(0.0f, 0.0f, 1.0f, 0.0f));
    const glm::vec3 up(twist * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
    const std::vector<glm::vec2> outline = Outline::rectangle(0.07f, 0.014f);
    const std::vector<MeshBuilder::Ring> rings = {
        MeshBuilder::section({kHubRadius, 0.0f, -0.88f}, right, up, outline),
        MeshBuilder::section({kNozzleRadius - 0.01f, 0.0f, -0.88f}, right, up, outline)};
    MeshBuilder part;
    part.addCappedTube(rings, {0.0f, 1.0f});
    return part;
}

}
