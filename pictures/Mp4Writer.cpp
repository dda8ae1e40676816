#include "pictures/Mp4Writer.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Vextal {

namespace {

// Where ffmpeg's file lives while it has no name: the temporary folder.
std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

// A file with no name in the temporary folder, gone when closed; where the
// file system cannot make one, a named one unlinked at once.
int unnamedFile() {
    const std::string folder = temporaryFolder();
    int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    std::string name = folder + "/vextal-video-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        unlink(name.c_str());
    return fd;
}

std::string withErrno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

int Mp4Writer::rateFactor(const std::optional<int>& quality) {
    if (!quality)
        return 23;
    return int(std::lround(51.0 - 0.39 * double(*quality)));
}

Mp4Writer::Mp4Writer(std::FILE* out, const AnimationFormat& format, std::string program)
    : out(out), format(format), program(std::move(program)) {}

Mp4Writer::~Mp4Writer() {
    stop();
}

// ffmpeg reads the frames from its standard input and writes the video to
// its descriptor 3, the unnamed file, reached through /proc so that it can
// open it again to move the index to the front.
std::vector<std::string> Mp4Writer::arguments() const {
    char size[32];
    std::snprintf(size, sizeof size, "%ux%u", unsigned(format.width), unsigned(format.height));
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.9g", format.framesPerSecond);
    return {program,
            "-nostdin",
            "-hide_banner",
            "-loglevel",
            "error",
            "-y",
            "-f",
            "rawvideo",
            "-pixel_format",
            "rgb24",
            "-video_size",
            size,
            "-framerate",
            rate,
            "-i",
            "pipe:0",
            "-c:v",
            "libx264",
            "-pix_fmt",
            "yuv420p",
            "-crf",
            std::to_string(rateFactor(format.quality)),
            "-movflags",
            "+faststart",
            "-f",
            "mp4",
            "/proc/self/fd/3"};
}

std::string Mp4Writer::spawn() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return withErrno("cannot make a pipe to ffmpeg");
    pipeFd = ends[1];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
    posix_spawn_file_actions_adddup2(&actions, videoFd, 3);
    std::vector<std::string> words = arguments();
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int error =
        posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (error == ENOENT)
        return "cannot write MP4: the ffmpeg program is not installed (Debian package ffmpeg)";
    if (error != 0) {
        child = -1;
        return "cannot run ffmpeg: " + std::string(std::strerror(error));
    }
    return {};
}

// A frame written into a pipe that ffmpeg has left must fail with EPIPE, not
// end the program, so that the failure can be reported.
std::string Mp4Writer::start() {
    if (!out)
        return "no stream to write to";
    if (format.width % 2 != 0 || format.height % 2 != 0)
        return "an MP4 video needs an even width and height";
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    pipeSignalIgnored = sigaction(SIGPIPE, &ignore, &previousPipeAction) == 0;
    videoFd = unnamedFile();
    if (videoFd < 0)
        return withErrno("cannot make a temporary file for ffmpeg in " + temporaryFolder());
    rgb.resize(std::size_t(format.width) * format.height * 3);
    return spawn();
}

std::string Mp4Writer::addFrame(const RgbaPicture& frame) {
    if (child <= 0)
        return "ffmpeg is not running";
    const std::size_t pixels = std::size_t(frame.width) * frame.height;
    for (std::size_t k = 0; k < pixels; ++k)
        std::memcpy(&rgb[3 * k], frame.bytes + 4 * k, 3);
    std::size_t done = 0;
    while (done < rgb.size()) {
        const ssize_t written = write(pipeFd, rgb.data() + done, rgb.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const std::string why = waitForEncoder();
            return why.empty() ? withErrno("ffmpeg stopped taking frames") : why;
        }
        done += std::size_t(written);
    }
    return {};
}

// Closes the pipe, so that ffmpeg sees the end of the frames, and waits for it.
std::string Mp4Writer::waitForEncoder() {
    if (child <= 0)
        return "ffmpeg is not running";
    if (pipeFd >= 0)
        close(pipeFd);
    pipeFd = -1;
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    child = -1;
    if (waited < 0)
        return withErrno("cannot wait for ffmpeg");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    if (WIFSIGNALED(status))
        return "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    return "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

std::string Mp4Writer::copyVideo() {
    if (lseek(videoFd, 0, SEEK_SET) != 0)
        return withErrno("cannot read ffmpeg's video back");
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(videoFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return withErrno("cannot read ffmpeg's video back");
        if (got == 0)
            return {};
        if (std::fwrite(buffer, 1, std::size_t(got), out) != std::size_t(got))
            return withErrno("cannot write");
    }
}

std::string Mp4Writer::finish() {
    const std::string why = waitForEncoder();
    return why.empty() ? copyVideo() : why;
}

// On failure ffmpeg is stopped and waited for; its file goes with the last
// descriptor.
void Mp4Writer::stop() {
    if (pipeFd >= 0)
        close(pipeFd);
    pipeFd = -1;
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    child = -1;
    if (videoFd >= 0)
        close(videoFd);
    videoFd = -1;
    if (pipeSignalIgnored)
        sigaction(SIGPIPE, &previousPipeAction, nullptr);
    pipeSignalIgnored = false;
}

} // namespace Vextal
