#pragma once

#include "CubeMapFace.h"
#include "Image.h"

#include <glm/vec3.hpp>

#include <vector>

namespace AssetGen {

// The night sky: a tilted band of glowing gas and dust, a separate emission
// nebula and a catalogue of stars. Every texel is computed from its 3D
// direction alone, never from where it lies on a face, so the six faces of
// the cube map meet without seams and stars on an edge appear whole on both.
class SkyModel {
public:
    // `faceSize` is the width and height of one cube face in texels; stars
    // are drawn with a footprint of about one texel so they stay crisp.
    explicit SkyModel(int faceSize);

    Image renderFace(CubeMapFace face) const;

private:
    struct Star {
        glm::vec3 direction;
        glm::vec3 colour;
        float brightness;
        // Angular radius of the core.
        float footprint;
        // Strength of the four-pointed diffraction spikes, 0 for most stars.
        float spikes;
    };

    void scatterStars();
    void addStarLayer(int count, float faintest, float brightest, float sharpness, float spikeShare);
    glm::vec3 gas(const glm::vec3& d) const;
    Image gasFace(CubeMapFace face) const;
    void paintStars(Image& image, CubeMapFace face) const;
    glm::vec3 starLight(const Star& star, const glm::vec3& d) const;
    float bandWeight(const glm::vec3& d) const;
    float texelAngle(const glm::vec3& d) const;

    int m_FaceSize;
    glm::vec3 m_BandNormal;
    glm::vec3 m_NebulaCentre;
    glm::vec3 m_CoreDirection;
    std::vector<Star> m_Stars;
};

}
