#include "tools/ProgressBar.h"

#include <string>
#include <unistd.h>

namespace VextalTools {

namespace {

constexpr int barWidth = 24;

// "m:ss".
std::string clock(double seconds) {
    const long whole = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

ProgressBar::ProgressBar(std::uint32_t total, bool wanted)
    : total(total), shown(wanted && total > 0 && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (shown)
        std::fputs("\r\033[K", stderr);
}

void ProgressBar::show(std::uint32_t done) {
    if (!shown)
        return;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double rest = done > 0 ? elapsed * double(total - done) / double(done) : 0;
    const int filled = int(std::uint64_t(done) * barWidth / total);
    const std::string bar =
        std::string(std::size_t(filled), '#') + std::string(std::size_t(barWidth - filled), '.');
    std::fprintf(stderr, "\r\033[Kframe %u of %u [%s] %s elapsed, %s left", unsigned(done),
                 unsigned(total), bar.c_str(), clock(elapsed).c_str(),
                 done > 0 ? clock(rest).c_str() : "?");
    std::fflush(stderr);
}

} // namespace VextalTools
