#include "Camera.h"
#include "Frustum.h"
#include "entities/Entity.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

using Orbivane::Camera;
using Orbivane::Frustum;
using Orbivane::Entities::Entity;

namespace {

class FrustumTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrbivaneTest::ensureGLContext();
        // The camera at its start looks from (0, 0, 20) along -z.
        const Camera camera(640, 320);
        m_Frustum.update(camera.getFrustumInfo());
    }

    bool visible(const glm::vec3& position, float radius)
    {
        Entity entity(position, glm::vec3(0.0f));
        entity.m_Radius = radius;
        m_Frustum.cull(entity);
        return entity.m_Visible;
    }

    OrbivaneTest::TempWorkDir m_Dir{""};
    Frustum m_Frustum;
};

}

TEST_F(FrustumTest, EveryPlaneFacesInwards)
{
    const glm::vec3 inside(0.0f, 0.0f, -50.0f);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_GT(m_Frustum.distance(i, inside), 0.0f) << "plane " << i;
    }
}

TEST_F(FrustumTest, BeyondTheFarPlaneIsCulled)
{
    EXPECT_TRUE(visible(glm::vec3(0.0f, 0.0f, 20.0f - 500.0f - 0.5f), 1.0f));
    EXPECT_FALSE(visible(glm::vec3(0.0f, 0.0f, 20.0f - 500.0f - 1.5f), 1.0f));
}

TEST_F(FrustumTest, SidePlanesFollowTheFieldOfView)
{
    // At 100 units the half-height is tan(22.5 rad) * 100, about 55.8; the half-width twice that.
    EXPECT_TRUE(visible(glm::vec3(0.0f, 54.0f, -80.0f), 1.0f));
    EXPECT_FALSE(visible(glm::vec3(0.0f, 60.0f, -80.0f), 1.0f));
    EXPECT_TRUE(visible(glm::vec3(110.0f, 0.0f, -80.0f), 1.0f));
    EXPECT_FALSE(visible(glm::vec3(-115.0f, 0.0f, -80.0f), 1.0f));
}
