#pragma once

#include <functional>

namespace VextalTest {

// Called after every read() the test program makes, with the descriptor and
// what read() returned, while set: lets a test act between two reads of the
// code under test, every time, instead of racing it.
extern std::function<void(int fd, long got)> afterEachRead;

} // namespace VextalTest
