#pragma once

#include "Frustum.h"
#include "HighScore.h"
#include "Level.h"
#include "entities/Asteroid.h"
#include "entities/BlackHole.h"
#include "entities/Ship.h"
#include "entities/ShipEngine.h"
#include "entities/SpotLight.h"
#include "entities/Sun.h"
#include "rendering/Skybox.h"
#include "worlds/GameState.h"
#include "worlds/LaserShot.h"
#include "worlds/PhysicsBody.h"
#include "worlds/RayHit.h"

#include <map>
#include <memory>
#include <vector>

namespace Orbivane::Worlds {

// Everything that exists in the game, and the simulation step that moves it.
class World {
public:
    World(int width, int height);

    GameState update();
    // Ends the level's introduction now, as a flight key pressed during it does.
    void endIntro();
    // Whether the game has ended, lost or won, and waits for the player.
    bool gameOver() const;
    // A new game: a fresh field of rocks, level 1 (or free play) from its
    // introduction, a score of 0 and a full life.
    void restart();
    // Refreshes every entity's matrices for this frame's view and, with
    // culling on, marks what lies wholly outside the view.
    void prepareFrame(const glm::mat4& viewProjection, const Frustum& frustum);

    std::shared_ptr<HighScore> getHighScore() const;
    Entities::BlackHole getBlackHole() const;
    void startNextLevel();
    std::shared_ptr<Entities::Asteroid> createRandomAsteroid() const;

    void moveLights(float angleStep, float orbitAngle);
    void moveAsteroids(double sinceRefill, double frameSeconds);
    void moveShip(float frameSeconds);
    // The first body the ship touches, in the order asteroids, outer suns,
    // inner suns, black hole; None when it touches nothing.
    DeathCause collisionCause();
    void shoot();
    void removeDestroyedAsteroid();

    static PhysicsBody attract(const PhysicsBody& attractor, const PhysicsBody& body, float seconds);
    static RayHit intersectRaySphere(const Ray& ray, const Sphere& sphere);

    bool m_TestAsteroids = false;
    bool m_Alive = true;
    int m_Height;
    int m_Width;
    std::vector<std::shared_ptr<Entities::Asteroid>> m_Asteroids;
    std::vector<std::shared_ptr<Entities::Sun>> m_InnerLights;
    std::vector<std::shared_ptr<Entities::Sun>> m_OuterLights;
    std::vector<std::shared_ptr<Entities::Sun>> m_Lights;
    Rendering::Skybox m_Skybox;
    Entities::Ship m_Ship;
    std::shared_ptr<Entities::ShipEngine> m_LeftEngine;
    std::shared_ptr<Entities::ShipEngine> m_RightEngine;
    Entities::BlackHole m_BlackHole;
    Entities::SpotLight m_SpotLight;
    double m_LifeTime = 30.0;
    double m_StartTime = 0.0;
    double m_LastRefillTime = 0.0;
    double m_LastFrameTime = 0.0;
    double m_LastHitTime = 0.0;
    GameState m_State;
    bool m_Invulnerable = false;
    bool m_DontMoveAsteroids = false;
    unsigned int m_LightsPerRing = 20;
    unsigned int m_AsteroidCount = 100;
    std::shared_ptr<HighScore> m_HighScore;
    Frustum m_Frustum;
    bool m_CullingEnabled = false;
    bool m_LevelsEnabled = true;
    std::shared_ptr<Level> m_CurrentLevel;
    std::map<int, Level> m_Levels;
    int m_LevelCount = 0;
    int m_LevelNumber = 0;
    double m_LevelStartTime = 0.0;
    int m_IntroSeconds = 3;
    bool m_IntroActive = true;
    double m_LevelTimerStart = 0.0;
    int m_AsteroidsShot = 0;
    glm::vec3 m_ShipStartPosition{0.0f};
    // Seconds after play starts in which collisions cannot destroy the ship.
    double m_StartGrace = 2.0;
    double m_GraceEndTime = 0.0;
    DeathCause m_Cause = DeathCause::None;
    // The last shot of the laser, and the last one that hit.
    LaserShot m_LastShot;
    LaserShot m_LastHit;

private:
    void fillAsteroidField();
    void placeTestAsteroids();
    // Play starts: after a level's introduction, or at once without levels.
    void startPlay();
    void createLightRings();
    void preloadSounds();
    void createLevels();
    // Seconds since the level began, rounded to the nearest whole one.
    int secondsSurvived() const;
    bool missionAccomplished() const;
    bool lightVolumeInView(const Entities::Sun& sun);
};

}
