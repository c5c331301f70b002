#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace OrbivaneFuzz {

// Makes a private directory (in memory where /dev/shm exists) the working
// directory for the rest of the run and removes it at exit; the parsers
// read and write their files relative to it.
void enterScratchDir();

// Console output of the code under test would drown the fuzzer's own.
void silenceStdout();

void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size);
void writeFile(const std::string& name, const std::string& contents);
std::string readFile(const std::string& name);

// Stops the run with a message; libFuzzer then saves the input as a crash.
[[noreturn]] void fail(const std::string& what);

}
