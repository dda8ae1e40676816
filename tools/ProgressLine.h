#pragma once

#include <string>

namespace Vextal {

// Says on a terminal which step of a long piece of work starts, one line on
// stderr each, so that a wait of a minute (a 3MF of 4096 x 4096) does not
// look like a hang. Writes nothing when stderr is no terminal (a script, a
// log) or when `shown` is false.
class ProgressLine {
public:
    ProgressLine(const char* program, bool shown);

    void step(const std::string& what) const;

private:
    const char* program;
    bool shown;
};

} // namespace Vextal
