#pragma once

#include <string>

namespace Orbivane::Helpers {

// Fatal failures travel as this type so that main can tell our own
// messages apart from the standard library's. It deliberately does not
// derive from std::exception.
class ExceptionWithMsg {
public:
    explicit ExceptionWithMsg(std::string message) : m_Message(std::move(message)) {}

    std::string m_Message;
};

}
