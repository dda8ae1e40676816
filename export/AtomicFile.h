#pragma once

#include <cstdio>
#include <string>

namespace Vextal {

// A file that appears under its name only when it is complete: writes go to a
// temporary beside it, commit() renames it into place, and a file that is
// never committed is removed. No half-written output is ever left behind.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // The stream to write to; null when the temporary could not be made
    // (error() says why).
    std::FILE* stream() const { return file; }

    // Flushes, closes and renames into place. False, with error() set, when
    // any write failed or the rename did; the temporary is removed then.
    bool commit();

    const std::string& error() const { return message; }

private:
    void fail(const char* what);
    void discard();

    std::string finalPath;
    std::string temporaryPath;
    std::FILE* file = nullptr;
    std::string message;
};

} // namespace Vextal
