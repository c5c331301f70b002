#include "worlds/World.h"

#include "helpers/IniSettings.h"
#include "helpers/PlaySound.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <iostream>

namespace Orbivane::Worlds {

using Entities::Asteroid;
using Entities::ShipEngine;
using Entities::Sun;
using Helpers::IniSettings;
using Helpers::PlayMode;
using Helpers::PlaySound;

namespace {

const char* const kLaserSound = "res\\sounds\\laser_shooting_sfx.wav";
const char* const kEngineSound = "res\\sounds\\engine.wav";

constexpr double kShootLockSeconds = 1.0;
constexpr float kInnerRingRadius = 50.0f;
constexpr float kOuterRingRadius = 75.0f;
constexpr double kSecondsPerOrbitRadian = 30.0;
constexpr double kAsteroidSpinSeconds = 5.0;
// As far as the laser reaches: past the far side of the field of rocks.
constexpr float kLaserReach = 300.0f;
// A grace longer than a minute would be no game any more.
constexpr double kLongestStartGrace = 60.0;

// Lengths are taken in double from float squares, then used as float.
float distanceBetween(const glm::vec3& a, const glm::vec3& b)
{
    const glm::vec3 d = a - b;
    const float squares = d.x * d.x + d.y * d.y + d.z * d.z;
    return static_cast<float>(std::sqrt(static_cast<double>(squares)));
}

}

World::World(int width, int height) : m_Ship(glm::vec3(3.0f, 18.0f, 0.0f)), m_BlackHole(glm::vec3(20.0f))
{
    m_StartTime = glfwGetTime();
    m_LastRefillTime = glfwGetTime();
    m_LastFrameTime = glfwGetTime();
    m_LastHitTime = glfwGetTime();
    m_LevelStartTime = glfwGetTime();
    m_LevelTimerStart = glfwGetTime();

    m_LeftEngine = std::make_shared<ShipEngine>(&m_Ship, 0);
    m_RightEngine = std::make_shared<ShipEngine>(&m_Ship, 1);
    m_Width = width;
    m_Height = height;

    m_TestAsteroids = IniSettings::getFlag("TestAsteroids", false);
    fillAsteroidField();
    createLightRings();

    m_LifeTime = static_cast<double>(IniSettings::getInt("LiveTimeSec", 30));
    m_Invulnerable = IniSettings::getFlag("Invulnerable", false);
    m_DontMoveAsteroids = IniSettings::getFlag("DontMoveAsteroids", false);
    m_StartGrace = IniSettings::getDecimalInRange("StartGrace", 2.0, 0.0, kLongestStartGrace);
    preloadSounds();
    m_HighScore = std::make_shared<HighScore>(IniSettings::getString("PlayerName", "Mr. Gorgeous!"));

    m_LevelsEnabled = IniSettings::getFlag("LevelsEnabled", true);
    m_ShipStartPosition = m_Ship.getPosition();
    if (m_LevelsEnabled) {
        createLevels();
        startNextLevel();
    } else {
        startPlay();
    }
    std::cout << "LevelsEnabled:" << (m_LevelsEnabled ? 1 : 0) << "\n";
}

void World::fillAsteroidField()
{
    m_Asteroids.clear();
    if (m_TestAsteroids) {
        placeTestAsteroids();
        return;
    }
    for (unsigned int i = 0; i < m_AsteroidCount; ++i) {
        m_Asteroids.push_back(createRandomAsteroid());
    }
}

void World::placeTestAsteroids()
{
    for (int i = 0; i < 10; ++i) {
        const float fraction = static_cast<float>(i) / 10.0f * 3.0f;
        const auto x = static_cast<float>((fraction - 0.5) * 30.0);
        m_Asteroids.push_back(std::make_shared<Asteroid>(glm::vec3(x, 0.0f, 0.0f)));
    }
    for (int i = 0; i < 5; ++i) {
        const float fraction = static_cast<float>(i) / 5.0f * 3.0f;
        const auto y = static_cast<float>((fraction - 0.5) * 15.0);
        m_Asteroids.push_back(std::make_shared<Asteroid>(glm::vec3(15.0f, y, 0.0f)));
    }
    m_Asteroids.push_back(std::make_shared<Asteroid>(glm::vec3(0.0f, 0.0f, 20.0f)));
}

void World::createLightRings()
{
    for (unsigned int i = 0; i < m_LightsPerRing; ++i) {
        const float t = static_cast<float>(i) / 20.0f;
        m_InnerLights.push_back(std::make_shared<Sun>(m_BlackHole.getPosition(), glm::vec3(t, 0.0f, 1.0f - t)));
    }
    for (unsigned int i = 0; i < m_LightsPerRing; ++i) {
        m_OuterLights.push_back(std::make_shared<Sun>(m_BlackHole.getPosition(), glm::vec3(0.0f, 1.0f, 0.0f)));
    }
    m_Lights.insert(m_Lights.end(), m_InnerLights.begin(), m_InnerLights.end());
    m_Lights.insert(m_Lights.end(), m_OuterLights.begin(), m_OuterLights.end());
}

// Loading both sounds now keeps the first shot and the first thrust free of disk access.
void World::preloadSounds()
{
    PlaySound& sound = PlaySound::instance();
    sound.setFIREnabled(false);
    sound.play(kLaserSound, PlayMode::Stop);
    sound.setFIREnabled(false);
    sound.play(kEngineSound, PlayMode::Stop);
}

void World::createLevels()
{
    m_Levels.insert({1, Level("Nightmare from Quillstreet!", 3, 0)});
    m_Levels.insert({2, Level("KOLM passed?", 13, 8)});
    m_Levels.insert({3, Level("Now you're boasting!", 0, 30)});
    m_LevelCount = static_cast<int>(m_Levels.size());
}

void World::prepareFrame(const glm::mat4& viewProjection, const Frustum& frustum)
{
    m_Frustum = frustum;
    m_Ship.update(viewProjection);
    m_LeftEngine->update(viewProjection);
    m_RightEngine->update(viewProjection);
    m_BlackHole.update(viewProjection);

    for (const auto& asteroid : m_Asteroids) {
        asteroid->update(viewProjection);
        if (m_CullingEnabled) {
            m_Frustum.cull(*asteroid);
        } else {
            asteroid->m_Visible = true;
        }
    }
    for (const auto& sun : m_Lights) {
        sun->update(viewProjection);
        if (m_CullingEnabled) {
            m_Frustum.cull(*sun);
            sun->m_LightVisible = lightVolumeInView(*sun);
        } else {
            sun->m_Visible = true;
            sun->m_LightVisible = true;
        }
    }
    if (m_CullingEnabled) {
        std::cout << "Culled " << m_Frustum.m_CulledCount << " objects\n";
    }
}

// A sun's light reaches much further than its glowing sphere, so its light
// volume is tested on its own and counts as a separate culling hit.
bool World::lightVolumeInView(const Sun& sun)
{
    for (std::size_t plane = 0; plane < m_Frustum.m_Planes.size(); ++plane) {
        if (-sun.m_LightRadius > m_Frustum.distance(plane, sun.getPosition())) {
            ++m_Frustum.m_CulledCount;
            return false;
        }
    }
    return true;
}

std::shared_ptr<HighScore> World::getHighScore() const
{
    return m_HighScore;
}

Entities::BlackHole World::getBlackHole() const
{
    return m_BlackHole;
}

std::shared_ptr<Asteroid> World::createRandomAsteroid() const
{
    const int z = std::rand() % 400 - 200;
    const int y = std::rand() % 400 - 200;
    const int x = std::rand() % 400 - 200;
    return std::make_shared<Asteroid>(
        glm::vec3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
}

void World::startNextLevel()
{
    m_Ship.setPosition(m_ShipStartPosition);
    m_Ship.stop();
    m_Ship.resetWorldDirection();

    ++m_LevelNumber;
    const auto level = m_Levels.find(m_LevelNumber);
    if (m_LevelNumber > m_LevelCount || level == m_Levels.end()) {
        m_State.levelComplete = false;
        m_State.gameWon = true;
        return;
    }
    m_CurrentLevel = std::make_shared<Level>(level->second);
    m_IntroActive = true;
    m_LevelStartTime = glfwGetTime();
    m_LevelTimerStart = glfwGetTime();

    m_State.levelNumber = m_LevelNumber;
    m_State.levelIntro = true;
    m_State.levelComplete = false;
    m_State.levelName = m_CurrentLevel->m_Name;
    m_State.shootTarget = m_CurrentLevel->m_ShootTarget;
    m_State.surviveSeconds = m_CurrentLevel->m_SurviveSeconds;
}

void World::endIntro()
{
    // Free play has no introduction: play, and its grace, began with the world.
    if (m_LevelsEnabled && m_IntroActive) {
        m_IntroActive = false;
        startPlay();
    }
}

// The world stood still during the introduction: its first step moves it
// from now on, not over the whole introduction at once, which would throw
// every rock (and a ship sped up to end the introduction) far ahead.
void World::startPlay()
{
    m_LastFrameTime = glfwGetTime();
    m_GraceEndTime = m_LastFrameTime + m_StartGrace;
}

bool World::gameOver() const
{
    return !m_Alive || m_State.gameWon;
}

void World::restart()
{
    fillAsteroidField();
    m_Alive = true;
    m_Cause = DeathCause::None;
    m_State = GameState{};
    m_HighScore->m_Score = 0;
    m_AsteroidsShot = 0;
    m_LastShot = m_LastHit = LaserShot{};
    m_LastRefillTime = glfwGetTime();
    m_LastHitTime = glfwGetTime();
    m_Ship.m_Orientation = glm::identity<glm::quat>();
    m_Ship.resetRotation();
    m_Ship.setPosition(m_ShipStartPosition);
    m_Ship.stop();
    m_Ship.resetWorldDirection();
    m_Ship.updateModelMatrix();
    m_LevelNumber = 0;
    if (m_LevelsEnabled) {
        startNextLevel();
    } else {
        startPlay();
    }
}

GameState World::update()
{
    GameState state = m_State;

    if (m_LevelsEnabled) {
        if (m_IntroActive && static_cast<double>(m_IntroSeconds) > glfwGetTime() - m_LevelStartTime) {
            return state;
        }
        endIntro();
        state.levelIntro = false;
    }

    if (!m_Alive) {
        m_State.levelIntro = state.levelIntro;
        state.alive = m_State.alive = false;
        state.lifeLeft = m_State.lifeLeft = 0.0f;
        return state;
    }

    const double sinceRefill = glfwGetTime() - m_LastRefillTime;
    const double frameSeconds = glfwGetTime() - m_LastFrameTime;
    m_LastFrameTime = glfwGetTime();

    const auto angleStep = static_cast<float>(2.0 * glm::pi<double>() / static_cast<double>(m_InnerLights.size()));
    const auto orbitAngle = static_cast<float>((glfwGetTime() - m_StartTime) / kSecondsPerOrbitRadian);
    moveLights(angleStep, orbitAngle);
    moveAsteroids(sinceRefill, frameSeconds);
    moveShip(static_cast<float>(frameSeconds));
    const double graceLeft = m_GraceEndTime - glfwGetTime();
    const DeathCause crash = collisionCause();
    if (crash != DeathCause::None && !(graceLeft > 0.0)) {
        m_Alive = false;
        m_Cause = crash;
    }
    shoot();
    removeDestroyedAsteroid();

    double life = 1.0 - (glfwGetTime() - m_LastRefillTime) / m_LifeTime;
    // Written so that a life time of zero (0/0) also counts as an empty life.
    if (!(life > 0.0)) {
        life = 0.0;
    }
    state.lifeLeft = static_cast<float>(life);
    const bool alive = m_Alive && state.lifeLeft > 0.0f;
    if (m_Alive && !alive) {
        m_Cause = DeathCause::EnergyOut;
    }
    m_Alive = state.alive = m_State.alive = alive;
    m_State.lifeLeft = state.lifeLeft;
    m_State.levelIntro = state.levelIntro;

    if (m_Invulnerable) {
        m_Alive = state.alive = true;
        m_Cause = DeathCause::None;
    }
    state.cause = m_State.cause = m_Cause;
    state.asteroidsShot = m_AsteroidsShot;
    state.secondsSurvived = secondsSurvived();
    state.graceLeft = static_cast<float>(std::max(graceLeft, 0.0));
    state.secondsSinceHit = static_cast<float>(glfwGetTime() - m_LastHit.time);

    if (m_LevelsEnabled && missionAccomplished()) {
        m_State.levelComplete = true;
        startNextLevel();
    }
    return state;
}

int World::secondsSurvived() const
{
    return static_cast<int>(glfwGetTime() - m_LevelTimerStart + 0.5);
}

bool World::missionAccomplished() const
{
    if (!m_CurrentLevel) {
        return false;
    }
    return m_AsteroidsShot >= m_CurrentLevel->m_ShootTarget && secondsSurvived() >= m_CurrentLevel->m_SurviveSeconds;
}

void World::moveLights(float angleStep, float orbitAngle)
{
    for (std::size_t i = 0; i < m_InnerLights.size(); ++i) {
        const glm::vec3 centre = m_BlackHole.getPosition();
        const float angle = static_cast<float>(i) * angleStep + orbitAngle;
        m_InnerLights[i]->setPosition(glm::vec3(centre.x + kInnerRingRadius * std::sin(angle),
                                                centre.y + kInnerRingRadius * std::cos(angle), centre.z));
    }
    for (std::size_t i = 0; i < m_OuterLights.size(); ++i) {
        const glm::vec3 centre = m_BlackHole.getPosition();
        const float angle = static_cast<float>(i) * angleStep + orbitAngle;
        m_OuterLights[i]->setPosition(glm::vec3(centre.x + kOuterRingRadius * std::sin(angle), centre.y,
                                                centre.z + kOuterRingRadius * std::cos(angle)));
    }
}

void World::moveAsteroids(double sinceRefill, double frameSeconds)
{
    if (m_DontMoveAsteroids) {
        return;
    }
    // Every hit restarts the spin, because it restarts the refill clock.
    const auto spin = static_cast<float>(std::fmod(sinceRefill, kAsteroidSpinSeconds) / kAsteroidSpinSeconds * 2.0 *
                                         glm::pi<double>());
    const PhysicsBody blackHole{m_BlackHole.getMass(), m_BlackHole.getPosition(), m_BlackHole.getVelocity(), false};
    for (const std::shared_ptr<Asteroid>& asteroid : m_Asteroids) {
        asteroid->setRotation(glm::vec3(0.0f, 0.0f, spin));
        const PhysicsBody body{asteroid->getMass(), asteroid->getPosition(), asteroid->getVelocity(), false};
        const PhysicsBody moved = attract(blackHole, body, static_cast<float>(frameSeconds));
        asteroid->setPosition(moved.position);
        asteroid->setVelocity(moved.velocity.x, moved.velocity.y, moved.velocity.z);
        if (moved.absorbed) {
            asteroid->m_Destroyed = true;
        }
    }
}

PhysicsBody World::attract(const PhysicsBody& attractor, const PhysicsBody& body, float seconds)
{
    const PhysicsBody swallowed{body.mass, attractor.position, attractor.velocity, true};
    const glm::vec3 towards = attractor.position - body.position;
    const float distance = distanceBetween(attractor.position, body.position);
    const float distanceSquared = distance * distance;
    if (distanceSquared <= FLT_EPSILON) {
        return swallowed;
    }
    const glm::vec3 direction = towards * (1.0f / distance);
    const glm::vec3 acceleration = direction * (body.mass * attractor.mass) / distanceSquared / body.mass;
    const glm::vec3 velocity = body.velocity + acceleration * seconds;
    const glm::vec3 position = body.position + body.velocity * seconds + 0.5f * acceleration * seconds * seconds;

    // A body that crossed the centre within one step would otherwise be flung out the other side.
    const glm::vec3 before = glm::normalize(body.position - attractor.position);
    const glm::vec3 after = glm::normalize(position - attractor.position);
    if (glm::dot(after, before) < 0.0f) {
        return swallowed;
    }
    return PhysicsBody{body.mass, position, velocity, false};
}

void World::moveShip(float frameSeconds)
{
    const glm::vec3 force = m_Ship.getWorldDirection() * m_Ship.m_Speed;
    const glm::vec3 acceleration = force / m_Ship.getMass();
    // The ship keeps no momentum: it moves only while the throttle is open.
    const glm::vec3 velocity = acceleration * frameSeconds;
    const glm::vec3 position = m_Ship.getPosition() + 0.5f * acceleration * frameSeconds * frameSeconds;
    m_Ship.setPosition(position);
    m_Ship.setVelocity(velocity.x, velocity.y, velocity.z);
    m_Ship.updateModelMatrix();

    m_SpotLight.setModelMatrix(m_Ship.getModelMatrix());
    m_SpotLight.setPosition(m_Ship.getPosition());
    m_SpotLight.m_Direction = m_Ship.getDirection();
}

DeathCause World::collisionCause()
{
    const glm::vec3 ship = m_Ship.getPosition();
    const float shipRadius = m_Ship.getRadius();
    const auto collides = [&](Entities::Entity& other) {
        return other.getRadius() + shipRadius > distanceBetween(other.getPosition(), ship);
    };
    const auto anyCollides = [&](const auto& entities) {
        return std::any_of(entities.begin(), entities.end(), [&](const auto& entity) { return collides(*entity); });
    };
    if (anyCollides(m_Asteroids)) {
        return DeathCause::Asteroid;
    }
    if (anyCollides(m_OuterLights) || anyCollides(m_InnerLights)) {
        return DeathCause::Sun;
    }
    return collides(m_BlackHole) ? DeathCause::BlackHole : DeathCause::None;
}

void World::shoot()
{
    if (glfwGetTime() - m_LastHitTime < kShootLockSeconds) {
        return;
    }
    if (!m_Ship.m_Shooting) {
        return;
    }
    PlaySound::instance().play(kLaserSound, PlayMode::Once);

    const Ray ray{m_Ship.getPosition(), m_Ship.getWorldDirection()};
    m_LastShot = LaserShot{ray.origin + kLaserReach * ray.direction, glfwGetTime()};
    float nearest = FLT_MAX;
    auto target = m_Asteroids.end();
    for (auto it = m_Asteroids.begin(); it != m_Asteroids.end(); ++it) {
        const RayHit hit = intersectRaySphere(ray, Sphere{(*it)->getPosition(), (*it)->getRadius()});
        if (hit.hit && hit.distance < nearest) {
            nearest = hit.distance;
            target = it;
        }
    }
    if (target == m_Asteroids.end()) {
        return;
    }
    m_LastShot.end = ray.origin + nearest * ray.direction;
    m_LastHit = LaserShot{(*target)->getPosition(), m_LastShot.time};
    m_Asteroids.erase(target);
    m_LastRefillTime = glfwGetTime();
    m_LastHitTime = glfwGetTime();
    ++m_HighScore->m_Score;
    ++m_AsteroidsShot;
}

// Only what lies ahead is hit: a sphere wholly behind the origin is missed,
// and one around the origin is hit where the ray starts.
RayHit World::intersectRaySphere(const Ray& ray, const Sphere& sphere)
{
    const glm::vec3 offset = ray.origin - sphere.centre;
    const float a = glm::dot(ray.direction, ray.direction);
    const float b = glm::dot(ray.direction, offset);
    const float discriminant =
        std::pow(b, 2.0f) - (glm::dot(offset, offset) - std::pow(sphere.radius, 2.0f)) * a;
    if (discriminant < 0.0f || a <= 0.0f) {
        return RayHit{};
    }
    const float root = std::sqrt(discriminant);
    if (-b + root < 0.0f) {
        return RayHit{};
    }
    const float t = std::max((-b - root) / a, 0.0f);
    return RayHit{true, t, ray.origin + t * ray.direction};
}

void World::removeDestroyedAsteroid()
{
    const auto destroyed = std::find_if(m_Asteroids.begin(), m_Asteroids.end(),
                                        [](const auto& asteroid) { return asteroid->m_Destroyed; });
    if (destroyed == m_Asteroids.end()) {
        return;
    }
    m_Asteroids.erase(destroyed);
    if (!m_TestAsteroids) {
        m_Asteroids.push_back(createRandomAsteroid());
    }
}

}
