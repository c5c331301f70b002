#pragma once

#include <glm/vec2.hpp>

#include <vector>

namespace AssetGen {

// Closed 2D cross-sections for MeshBuilder::section, all counter-clockwise.
class Outline {
public:
    // |x/a|^e + |y/b|^e = 1: an ellipse for e = 2, a rounded box for larger e.
    static std::vector<glm::vec2> superellipse(float halfWidth, float halfHeight, float exponent, int points);
    // A six-sided wing section with its chord along x, from `trail` to `lead`,
    // and its thickness along y.
    static std::vector<glm::vec2> airfoil(float lead, float trail, float halfThickness);
    // A rectangle centred on the origin.
    static std::vector<glm::vec2> rectangle(float halfWidth, float halfHeight);
};

}
