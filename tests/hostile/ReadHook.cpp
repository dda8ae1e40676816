#include "ReadHook.h"

#include <dlfcn.h>
#include <unistd.h>

namespace VextalTest {
std::function<void(int fd, long got)> afterEachRead;
}

// The program's own read(), which the code linked into it calls instead of
// the C library's: the library's, then the hook.
extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    using Read = ssize_t (*)(int, void*, size_t);
    static const auto real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    const ssize_t got = real(fd, buffer, size);
    if (VextalTest::afterEachRead)
        VextalTest::afterEachRead(fd, long(got));
    return got;
}
