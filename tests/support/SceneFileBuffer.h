#pragma once

#include <cstddef>
#include <memory>
#include <streambuf>

namespace VextalTest {

// Reads an open scene file and closes it when destroyed. It never reads past
// the size the file had when it was opened: an editor that truncates the file
// and writes a longer version meanwhile would otherwise have the middle of the
// new version read on after the end of the old one, and the loader would build
// a surface from commands of neither. For the same reason a read that comes
// back short ends the input. A file of up to 64 KiB is taken in one read, so
// an ordinary scene is never read half before and half after a save.
class SceneFileBuffer : public std::streambuf {
public:
    SceneFileBuffer(int fd, long long size);
    ~SceneFileBuffer() override;
    SceneFileBuffer(const SceneFileBuffer&) = delete;
    SceneFileBuffer& operator=(const SceneFileBuffer&) = delete;

protected:
    int_type underflow() override;

private:
    int fd;
    long long remaining; // bytes still to read before the size seen at opening
    std::size_t capacity;
    std::unique_ptr<char[]> buffer;
};

} // namespace VextalTest
