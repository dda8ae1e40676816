#include "support/SceneFileBuffer.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace VextalTest {

namespace {

constexpr long long largestSingleRead = 64 * 1024;

} // namespace

SceneFileBuffer::SceneFileBuffer(int fd, long long size)
    : fd(fd), remaining(size > 0 ? size : 0),
      capacity(std::size_t(std::clamp(remaining, 1LL, largestSingleRead))),
      buffer(new char[capacity]) {}

SceneFileBuffer::~SceneFileBuffer() {
    ::close(fd);
}

SceneFileBuffer::int_type SceneFileBuffer::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (remaining <= 0)
        return traits_type::eof();
    const std::size_t wanted = std::size_t(std::min<long long>(remaining, (long long)capacity));
    ssize_t n;
    do
        n = ::read(fd, buffer.get(), wanted);
    while (n < 0 && errno == EINTR);
    if (n <= 0) { // shorter than it was, or unreadable: the input ends here
        remaining = 0;
        return traits_type::eof();
    }
    // A short read met the end of the file as it is now: an editor saved a
    // shorter version since it was opened. What follows, if the file grows
    // again, belongs to yet another version.
    remaining = std::size_t(n) < wanted ? 0 : remaining - n;
    setg(buffer.get(), buffer.get(), buffer.get() + n);
    return traits_type::to_int_type(*gptr());
}

} // namespace VextalTest
