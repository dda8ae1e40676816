#pragma once

#include <cstdio>
#include <cstring>

namespace VextalTest {

// Resident set sizes of this process, from /proc/self/status, in KiB; -1 when
// the line cannot be read.
inline long statusKiB(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            std::sscanf(line + length + 1, "%ld", &value);
            break;
        }
    std::fclose(status);
    return value;
}

inline long residentKiB() {
    return statusKiB("VmRSS");
}
inline long peakResidentKiB() {
    return statusKiB("VmHWM");
}

// Lowers the recorded peak to the current resident size, so that VmHWM then
// measures what comes after. False when the kernel does not offer it.
inline bool resetPeakResident() {
    std::FILE* refs = std::fopen("/proc/self/clear_refs", "w");
    if (!refs)
        return false;
    const bool written = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && written;
}

} // namespace VextalTest
