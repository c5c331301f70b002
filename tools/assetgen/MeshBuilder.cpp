#include "MeshBuilder.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>
#include <glm/trigonometric.hpp>
#include <glm/vec4.hpp>

#include <cmath>
#include <utility>

namespace AssetGen {

namespace {

// Below this doubled area a triangle is treated as a line or a point.
constexpr float kDegenerateArea = 1e-10f;

// Angle about +y in [0, 2 pi), starting at +x and turning towards -z.
float longitude(const glm::vec3& p)
{
    const float angle = std::atan2(-p.z, p.x);
    return angle < 0.0f ? angle + glm::two_pi<float>() : angle;
}

bool allEqual(const MeshBuilder::Ring& ring)
{
    for (const glm::vec3& point : ring) {
        if (point != ring.front()) {
            return false;
        }
    }
    return true;
}

}

std::uint32_t MeshBuilder::addPosition(const glm::vec3& position)
{
    m_Positions.push_back(position);
    return static_cast<std::uint32_t>(m_Positions.size() - 1);
}

void MeshBuilder::addTriangle(const Corner& a, const Corner& b, const Corner& c)
{
    const Triangle triangle{a, b, c};
    if (glm::length(faceNormal(triangle)) > kDegenerateArea) {
        m_Triangles.push_back(triangle);
    }
}

std::vector<std::uint32_t> MeshBuilder::addRingPositions(const Ring& ring)
{
    // A collapsed ring is one shared point, so the tip of a cone or the pole
    // of a sphere gets a single, properly averaged normal.
    if (allEqual(ring)) {
        return std::vector<std::uint32_t>(ring.size(), addPosition(ring.front()));
    }
    std::vector<std::uint32_t> indices;
    indices.reserve(ring.size());
    for (const glm::vec3& point : ring) {
        indices.push_back(addPosition(point));
    }
    return indices;
}

void MeshBuilder::addTube(const std::vector<Ring>& rings, const std::vector<float>& ringV)
{
    std::vector<std::vector<std::uint32_t>> indices;
    indices.reserve(rings.size());
    for (const Ring& ring : rings) {
        indices.push_back(addRingPositions(ring));
    }
    for (std::size_t r = 0; r + 1 < rings.size(); ++r) {
        const std::size_t count = rings[r].size();
        for (std::size_t c = 0; c < count; ++c) {
            const std::size_t next = (c + 1) % count;
            const float u0 = static_cast<float>(c) / static_cast<float>(count);
            const float u1 = static_cast<float>(c + 1) / static_cast<float>(count);
            const Corner c00{indices[r][c], {u0, ringV[r]}};
            const Corner c01{indices[r][next], {u1, ringV[r]}};
            const Corner c10{indices[r + 1][c], {u0, ringV[r + 1]}};
            const Corner c11{indices[r + 1][next], {u1, ringV[r + 1]}};
            addTriangle(c00, c10, c11);
            addTriangle(c00, c11, c01);
        }
    }
}

void MeshBuilder::addCap(const Ring& ring, bool facesStart)
{
    glm::vec3 centre(0.0f);
    for (const glm::vec3& point : ring) {
        centre += point;
    }
    centre /= static_cast<float>(ring.size());
    const Corner middle{addPosition(centre), {0.5f, 0.5f}};

    std::vector<Corner> rim;
    rim.reserve(ring.size());
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const float angle = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(ring.size());
        rim.push_back({addPosition(ring[i]), {0.5f + 0.5f * std::cos(angle), 0.5f - 0.5f * std::sin(angle)}});
    }
    for (std::size_t i = 0; i < rim.size(); ++i) {
        const Corner& a = rim[i];
        const Corner& b = rim[(i + 1) % rim.size()];
        if (facesStart) {
            addTriangle(middle, a, b);
        } else {
            addTriangle(middle, b, a);
        }
    }
}

void MeshBuilder::addCappedTube(const std::vector<Ring>& rings, const std::vector<float>& ringV)
{
    addTube(rings, ringV);
    addCap(rings.front(), true);
    addCap(rings.back(), false);
}

void MeshBuilder::addLathe(const std::vector<glm::vec2>& profile, int segments, const std::vector<float>& ringV)
{
    std::vector<Ring> rings;
    rings.reserve(profile.size());
    for (const glm::vec2& point : profile) {
        Ring ring;
        ring.reserve(static_cast<std::size_t>(segments));
        for (int s = 0; s < segments; ++s) {
            const float angle = glm::two_pi<float>() * static_cast<float>(s) / static_cast<float>(segments);
            ring.emplace_back(point.x * std::cos(angle), point.x * std::sin(angle), point.y);
        }
        rings.push_back(std::move(ring));
    }
    addTube(rings, ringV);
}

void MeshBuilder::append(const MeshBuilder& part, const glm::mat4& transform)
{
    const auto offset = static_cast<std::uint32_t>(m_Positions.size());
    for (const glm::vec3& position : part.m_Positions) {
        m_Positions.emplace_back(transform * glm::vec4(position, 1.0f));
    }
    const bool mirrors = glm::determinant(glm::mat3(transform)) < 0.0f;
    for (Triangle triangle : part.m_Triangles) {
        for (Corner& corner : triangle) {
            corner.position += offset;
        }
        if (mirrors) {
            std::swap(triangle[1], triangle[2]);
            for (Corner& corner : triangle) {
                corner.uv.x = 1.0f - corner.uv.x;
            }
        }
        m_Triangles.push_back(triangle);
    }
}

void MeshBuilder::mapUV(const std::function<glm::vec2(const glm::vec3&)>& projection)
{
    for (Triangle& triangle : m_Triangles) {
        for (Corner& corner : triangle) {
            corner.uv = projection(m_Positions[corner.position]);
        }
    }
}

void MeshBuilder::mapLatitudeLongitude()
{
    for (Triangle& triangle : m_Triangles) {
        glm::vec3 centre(0.0f);
        for (const Corner& corner : triangle) {
            centre += m_Positions[corner.position];
        }
        const float centreLongitude = longitude(centre);
        for (Corner& corner : triangle) {
            const glm::vec3& p = m_Positions[corner.position];
            float angle = p.x == 0.0f && p.z == 0.0f ? centreLongitude : longitude(p);
            if (angle - centreLongitude > glm::pi<float>()) {
                angle -= glm::two_pi<float>();
            } else if (centreLongitude - angle > glm::pi<float>()) {
                angle += glm::two_pi<float>();
            }
            const float polar = std::acos(glm::clamp(p.y / glm::length(p), -1.0f, 1.0f));
            corner.uv = glm::clamp(glm::vec2(angle / glm::two_pi<float>(), polar / glm::pi<float>()), 0.0f, 1.0f);
        }
    }
}

void MeshBuilder::scale(float factor)
{
    for (glm::vec3& position : m_Positions) {
        position *= factor;
    }
}

glm::vec3 MeshBuilder::faceNormal(const Triangle& triangle) const
{
    const glm::vec3& a = m_Positions[triangle[0].position];
    const glm::vec3& b = m_Positions[triangle[1].position];
    const glm::vec3& c = m_Positions[triangle[2].position];
    return glm::cross(b - a, c - a);
}

std::vector<glm::vec3> MeshBuilder::cornerNormals(float creaseDegrees) const
{
    std::vector<glm::vec3> weighted;
    std::vector<glm::vec3> unit;
    std::vector<std::vector<std::size_t>> trianglesAt(m_Positions.size());
    for (std::size_t t = 0; t < m_Triangles.size(); ++t) {
        weighted.push_back(faceNormal(m_Triangles[t]));
        unit.push_back(glm::normalize(weighted.back()));
        for (const Corner& corner : m_Triangles[t]) {
            trianglesAt[corner.position].push_back(t);
        }
    }

    const float minCosine = std::cos(glm::radians(creaseDegrees));
    std::vector<glm::vec3> normals;
    normals.reserve(m_Triangles.size() * 3);
    for (std::size_t t = 0; t < m_Triangles.size(); ++t) {
        for (const Corner& corner : m_Triangles[t]) {
            glm::vec3 sum(0.0f);
            for (const std::size_t neighbour : trianglesAt[corner.position]) {
                if (glm::dot(unit[neighbour], unit[t]) >= minCosine) {
                    sum += weighted[neighbour];
                }
            }
            normals.push_back(glm::normalize(sum));
        }
    }
    return normals;
}

MeshBuilder::Ring MeshBuilder::section(const glm::vec3& centre, const glm::vec3& right, const glm::vec3& up,
                                       const std::vector<glm::vec2>& outline)
{
    Ring ring;
    ring.reserve(outline.size());
    for (const glm::vec2& point : outline) {
        ring.push_back(centre + right * point.x + up * point.y);
    }
    return ring;
}

std::vector<float> MeshBuilder::arcLengthFractions(const std::vector<glm::vec2>& profile)
{
    std::vector<float> fractions(profile.size(), 0.0f);
    for (std::size_t i = 1; i < profile.size(); ++i) {
        fractions[i] = fractions[i - 1] + glm::distance(profile[i - 1], profile[i]);
    }
    const float total = fractions.back();
    for (float& fraction : fractions) {
        fraction /= total;
    }
    return fractions;
}

}
