#pragma once

#include "helpers/ExceptionWithMsg.h"

#include <string>

namespace OrbivaneTest {

// The message of the ExceptionWithMsg that `action` threw, or "no exception".
template <typename Action>
std::string failureOf(Action&& action)
{
    try {
        action();
    } catch (const Orbivane::Helpers::ExceptionWithMsg& e) {
        return e.m_Message;
    }
    return "no exception";
}

}
