#pragma once

#include <string>

namespace Orbivane {

// One built-in mission: hit a number of asteroids, stay alive a number of seconds, or both.
class Level {
public:
    Level(std::string name, int shootTarget, int surviveSeconds)
        : m_Name(std::move(name)), m_ShootTarget(shootTarget), m_SurviveSeconds(surviveSeconds)
    {
    }

    std::string m_Name;
    int m_ShootTarget;
    int m_SurviveSeconds;
};

}
