#pragma once

#include "cli/CommandLine.h"

#include <cstdio>
#include <new>
#include <optional>

namespace Vextal {

// The status of a tool that ran out of memory: as for any output not written.
inline constexpr int exitOutOfMemory = 2;

// A tool's main: reads the command line (answering --help, --version and
// usage errors), interprets it into the tool's arguments (nothing when it
// reported a usage error), runs the tool and finishes its standard output
// (finishOutput). Running out of memory is one line on stderr, and unwinding
// removes whatever was half-written.
template <class Arguments>
int runTool(const ProgramDescription& program, int argc, char** argv,
            std::optional<Arguments> (*interpret)(const ParsedCommandLine&),
            int (*run)(const Arguments&)) {
    const ParsedCommandLine line = parseCommandLine(program, argc, argv);
    if (line.exitNow)
        return finishOutput(program, *line.exitNow);
    const std::optional<Arguments> args = interpret(line);
    if (!args)
        return exitUsage;
    try {
        return finishOutput(program, run(*args));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", program.name);
        return exitOutOfMemory;
    }
}

} // namespace Vextal
