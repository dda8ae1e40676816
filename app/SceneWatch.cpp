#include "app/SceneWatch.h"

#include "base/EscapedText.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Vextal {

namespace {

// What changes the way through a folder: an entry made, removed or renamed,
// or the folder itself going. The file's own folder also reports files
// closed after writing.
constexpr std::uint32_t wayEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
constexpr std::uint32_t fileEvents = IN_CLOSE_WRITE | IN_DONT_FOLLOW;
constexpr std::uint32_t gone = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

constexpr auto retryInterval = std::chrono::milliseconds(500);

} // namespace

SceneWatch::SceneWatch(const std::string& path) : path(path) {
    fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        message = std::string("cannot watch files: ") + std::strerror(errno);
        return;
    }
    follow();
    identity = identify();
}

SceneWatch::~SceneWatch() {
    if (fd >= 0)
        ::close(fd);
}

// Walks the path and watches every folder it passes through and the file it
// reaches, giving up the watches no longer on the way. True when the walk
// went another way than the last time.
bool SceneWatch::follow() {
    PathWalk walk = walkPath(path);
    std::map<int, Watched> next;
    bool complete = walk.complete;
    message.clear();
    for (std::size_t k = 0; k < walk.lookups.size(); ++k) {
        const PathLookup& lookup = walk.lookups[k];
        const bool own = k + 1 == walk.lookups.size() && walk.reachesLastPart;
        // One folder may stand for several lookups: the masks add up (and a
        // folder that was the file's keeps reporting closes, to no harm).
        const std::uint32_t mask = (own ? wayEvents | IN_CLOSE_WRITE : wayEvents) | IN_MASK_ADD;
        const int wd = ::inotify_add_watch(fd, lookup.folder.c_str(), mask);
        if (wd < 0) {
            complete = false;
            message = "cannot watch " + escaped(lookup.folder) + ": " + std::strerror(errno);
            continue;
        }
        next[wd].names.insert(lookup.name);
        if (own)
            next[wd].fileName = lookup.name;
    }
    if (walk.reachesFile) {
        const int wd = ::inotify_add_watch(fd, walk.file.c_str(), fileEvents);
        if (wd >= 0)
            next[wd].isFile = true;
        else
            complete = false;
    }
    for (const auto& [wd, watched] : watches)
        if (!next.contains(wd))
            ::inotify_rm_watch(fd, wd);
    watches = std::move(next);
    retryAt.reset();
    if (!complete)
        retryAt = Clock::now() + retryInterval;
    const bool changed = walk.lookups != way;
    way = std::move(walk.lookups);
    return changed;
}

SceneWatch::Identity SceneWatch::identify() const {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return {};
    constexpr long long billion = 1000000000;
    return {true,
            status.st_dev,
            status.st_ino,
            status.st_size,
            status.st_mtim.tv_sec * billion + status.st_mtim.tv_nsec,
            status.st_ctim.tv_sec * billion + status.st_ctim.tv_nsec};
}

// Takes every event waiting and notes what they mean for the path.
void SceneWatch::read(Events& events) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            return; // EAGAIN: nothing more has happened
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                events.rewalk = events.compare = true;
                continue;
            }
            const auto watched = watches.find(event->wd);
            if (watched == watches.end())
                continue; // a watch given up
            if (event->mask & gone) {
                events.rewalk = events.compare = true;
                continue;
            }
            if (event->len == 0) { // the file itself
                events.save = events.save || (event->mask & IN_CLOSE_WRITE) != 0;
                continue;
            }
            if (!watched->second.names.contains(event->name))
                continue;
            if (event->mask & IN_CLOSE_WRITE) {
                events.save = true;
                continue;
            }
            events.rewalk = true;
            // Under the file's own name, a file moved in is whole, one made is
            // whole once closed, and one gone is no save. Anything else on the
            // way may have led the path to another file.
            const bool own = event->name == watched->second.fileName;
            events.compare = events.compare || !own || (event->mask & IN_MOVED_TO) != 0;
        }
    }
}

bool SceneWatch::saved() {
    if (fd < 0)
        return false;
    Events events;
    read(events);
    if (retryAt && Clock::now() >= *retryAt)
        events.rewalk = events.compare = true;
    if (events.rewalk && follow())
        events.compare = true; // the path leads through other folders or links now
    const Identity now = events.save || events.compare ? identify() : identity;
    // A file gone is no save: its successor's arrival will be one.
    const bool changed = events.compare && now.exists && !(now == identity);
    identity = now;
    return events.save || changed;
}

int SceneWatch::retryMilliseconds() const {
    if (!retryAt)
        return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*retryAt - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

} // namespace Vextal
