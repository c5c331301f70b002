#include "worlds/World.h"

#include <gtest/gtest.h>

using Orbivane::Worlds::PhysicsBody;
using Orbivane::Worlds::World;

TEST(WorldPhysics, AttractionStepsAndSwallowing)
{
    const PhysicsBody hole{10000.0f, glm::vec3(0.0f), glm::vec3(0.5f, 0.0f, 0.0f), false};
    struct Case {
        PhysicsBody body;
        float seconds;
        PhysicsBody expected;
    };
    const Case cases[] = {
        // Acceleration 10000 / 100^2 = 1 towards the black hole.
        {{1, {100, 0, 0}, {0, 2, 0}, false}, 0.5f, {1, {99.875f, 1, 0}, {-0.5f, 2, 0}, false}},
        // Crossing the centre within one step, or starting within capture distance, is swallowed.
        {{1, {1, 0, 0}, {-10, 0, 0}, false}, 1.0f, {1, hole.position, hole.velocity, true}},
        {{1, {1e-4f, 0, 0}, {0, 0, 0}, false}, 0.0f, {1, hole.position, hole.velocity, true}},
        {{1, {1e-3f, 0, 0}, {0, 0, 0}, false}, 0.0f, {1, {1e-3f, 0, 0}, {0, 0, 0}, false}},
        {{1, {30, 40, 0}, {1, 2, 3}, false}, 0.0f, {1, {30, 40, 0}, {1, 2, 3}, false}},
    };
    for (const Case& c : cases) {
        const PhysicsBody moved = World::attract(hole, c.body, c.seconds);
        SCOPED_TRACE(c.body.position.x);
        EXPECT_EQ(moved.absorbed, c.expected.absorbed);
        EXPECT_LT(glm::length(moved.position - c.expected.position), 1e-5f);
        EXPECT_LT(glm::length(moved.velocity - c.expected.velocity), 1e-6f);
        EXPECT_FLOAT_EQ(moved.mass, 1.0f);
    }
}
