#include "app/SceneWatch.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace Vextal {

namespace {

// What ends a save: a file closed after writing, or moved into the folder.
constexpr std::uint32_t saveEvents = IN_CLOSE_WRITE | IN_MOVED_TO;

} // namespace

SceneWatch::SceneWatch(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        message = std::string("cannot watch files: ") + std::strerror(errno);
        return;
    }
    if (::inotify_add_watch(fd, folder.c_str(), saveEvents | IN_ONLYDIR) < 0) {
        message = "cannot watch " + folder + ": " + std::strerror(errno);
        ::close(fd);
        fd = -1;
    }
}

SceneWatch::~SceneWatch() {
    if (fd >= 0)
        ::close(fd);
}

bool SceneWatch::saved() {
    if (fd < 0)
        return false;
    bool ours = false;
    alignas(inotify_event) char events[4096];
    for (;;) {
        const ssize_t count = ::read(fd, events, sizeof events);
        if (count <= 0)
            return ours; // EAGAIN: nothing more has happened
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len > 0 && name == event->name)
                ours = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace Vextal
