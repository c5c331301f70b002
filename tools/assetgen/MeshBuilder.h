#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace AssetGen {

// A triangle mesh under construction. Positions are shared between the
// triangles that touch them, texture coordinates belong to each corner, so a
// texture seam costs no extra position and normals still blend across it.
// Every triangle is counter-clockwise seen from outside.
class MeshBuilder {
public:
    struct Corner {
        std::uint32_t position;
        glm::vec2 uv;
    };
    using Triangle = std::array<Corner, 3>;
    using Ring = std::vector<glm::vec3>;

    std::uint32_t addPosition(const glm::vec3& position);
    // Triangles without area are dropped: they carry no normal and only
    // confuse the game's lighting.
    void addTriangle(const Corner& a, const Corner& b, const Corner& c);

    // A tube through rings of equal size, listed from its start to its
    // end; each ring runs counter-clockwise seen from the start looking along
    // the tube. u goes once around, v is given per ring. A ring whose points
    // coincide closes the tube there.
    void addTube(const std::vector<Ring>& rings, const std::vector<float>& ringV);
    // A flat fan over a ring of the kind addTube takes, facing the tube's
    // start or its end, with the ring mapped onto the disc inscribed in the
    // texture.
    void addCap(const Ring& ring, bool facesStart);
    // addTube with both ends closed by caps.
    void addCappedTube(const std::vector<Ring>& rings, const std::vector<float>& ringV);
    // A surface of revolution about +z from a profile of (radius, z) points,
    // with v given per profile point. A profile running from +z towards -z
    // along an outer skin faces away from the axis.
    void addLathe(const std::vector<glm::vec2>& profile, int segments, const std::vector<float>& ringV);

    // Appends another mesh moved by `transform`. A mirrored copy keeps its
    // triangles facing outward and its texture reading the right way round.
    void append(const MeshBuilder& part, const glm::mat4& transform);
    // Replaces every corner's texture coordinates by a projection of its
    // position, e.g. a planar or box mapping.
    void mapUV(const std::function<glm::vec2(const glm::vec3&)>& projection);
    // Longitude and latitude of each corner seen from the origin, laid out
    // like SphereShape. Corners on the seam take the side of their triangle
    // and corners on a pole the longitude of their triangle, so no triangle
    // stretches across the texture.
    void mapLatitudeLongitude();
    void scale(float factor);

    // One normal per corner: the area-weighted average of the faces around
    // its position that bend away from the corner's own face by less than
    // `creaseDegrees`, so smooth surfaces shade smoothly and edges stay sharp.
    std::vector<glm::vec3> cornerNormals(float creaseDegrees) const;
    glm::vec3 faceNormal(const Triangle& triangle) const;

    const std::vector<glm::vec3>& positions() const { return m_Positions; }
    const std::vector<Triangle>& triangles() const { return m_Triangles; }

    // A planar outline placed in space as a ring for addTube. The outline
    // runs counter-clockwise in (right, up) coordinates, and right x up must
    // point back towards the tube's start.
    static Ring section(const glm::vec3& centre, const glm::vec3& right, const glm::vec3& up,
                        const std::vector<glm::vec2>& outline);
    static std::vector<float> arcLengthFractions(const std::vector<glm::vec2>& profile);

private:
    std::vector<std::uint32_t> addRingPositions(const Ring& ring);

    std::vector<glm::vec3> m_Positions;
    std::vector<Triangle> m_Triangles;
};

}
