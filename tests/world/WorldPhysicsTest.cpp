#include "worlds/World.h"

#include <gtest/gtest.h>

#include <cfloat>

using Orbivane::Worlds::PhysicsBody;
using Orbivane::Worlds::World;

namespace {

const PhysicsBody kBlackHole{10000.0f, glm::vec3(0.0f), glm::vec3(0.5f, 0.0f, 0.0f), false};

}

TEST(WorldPhysics, AttractionFollowsOneHandComputedStep)
{
    const PhysicsBody rock{1.0f, glm::vec3(100.0f, 0.0f, 0.0f), glm::vec3(0.0f, 2.0f, 0.0f), false};
    const PhysicsBody moved = World::attract(kBlackHole, rock, 0.5f);
    // Acceleration 10000 / 100^2 = 1 towards the black hole.
    EXPECT_FALSE(moved.absorbed);
    EXPECT_NEAR(moved.velocity.x, -0.5f, 1e-6f);
    EXPECT_NEAR(moved.velocity.y, 2.0f, 1e-6f);
    EXPECT_NEAR(moved.position.x, 100.0f - 0.125f, 1e-5f);
    EXPECT_NEAR(moved.position.y, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(moved.mass, 1.0f);
}

TEST(WorldPhysics, ABodyThatCrossesTheCentreInOneStepOrLiesWithinCaptureDistanceIsSwallowed)
{
    const PhysicsBody crossing{1.0f, glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(-10.0f, 0.0f, 0.0f), false};
    const PhysicsBody moved = World::attract(kBlackHole, crossing, 1.0f);
    EXPECT_TRUE(moved.absorbed);
    EXPECT_EQ(moved.position, kBlackHole.position);
    EXPECT_EQ(moved.velocity, kBlackHole.velocity);
    const PhysicsBody inside{1.0f, glm::vec3(1e-4f, 0.0f, 0.0f), glm::vec3(0.0f), false};
    EXPECT_TRUE(World::attract(kBlackHole, inside, 0.0f).absorbed);
    const PhysicsBody outside{1.0f, glm::vec3(1e-3f, 0.0f, 0.0f), glm::vec3(0.0f), false};
    EXPECT_FALSE(World::attract(kBlackHole, outside, 0.0f).absorbed);
}

TEST(WorldPhysics, ZeroTimeStepMovesNothing)
{
    const PhysicsBody rock{1.0f, glm::vec3(30.0f, 40.0f, 0.0f), glm::vec3(1.0f, 2.0f, 3.0f), false};
    const PhysicsBody moved = World::attract(kBlackHole, rock, 0.0f);
    EXPECT_EQ(moved.position, rock.position);
    EXPECT_EQ(moved.velocity, rock.velocity);
}
