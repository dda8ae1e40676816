#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// Every program's status for a command line it cannot follow.
inline constexpr int exitUsage = 64;

// One long option: "--name" alone, or "--name VALUE" / "--name=VALUE" when
// it takes a value.
struct OptionDescription {
    std::string_view name; // with its leading "--"
    const char* valueName; // what the value looks like ("WxH"); null for a switch
    const char* meaning;   // for --help; '\n' starts another line of it
};

// What a program says about itself in --help, --version and usage errors.
// Each text is one or more whole lines.
struct ProgramDescription {
    const char* name; // "vextal-snapshot"
    std::span<const char* const>
        operands;        // "SCENE_FILE", "OUT.png"; "[NAME]" may be left out, "[NAME...]" repeated
    const char* summary; // what it does, one line
    const char* details; // paragraphs after it; may be empty
    std::span<const OptionDescription> options; // --help and --version are added
    const char* exitStatuses;                   // "  0   written\n  64  usage error\n"
    const char* example;                        // a command line with its purpose
};

struct GivenOption {
    const OptionDescription* description;
    std::string_view value; // empty for a switch
};

struct ParsedCommandLine {
    // Set when the program is to stop at once with this status: after
    // printing its help or version, or after reporting a usage error.
    std::optional<int> exitNow;
    std::vector<GivenOption> options; // in the order given
    std::vector<std::string_view> operands;
};

// Splits the command line as long-option programs do: options may stand
// anywhere, "--" ends them, a lone "-" is an operand. --help and --version
// are answered here, wherever they stand; so are unknown options, missing or
// unexpected values and a wrong number of operands.
ParsedCommandLine parseCommandLine(const ProgramDescription& program, int argc,
                                   const char* const* argv);

// Says on stderr what is wrong and where to look: "NAME: MESSAGE" and
// "Try 'NAME --help'.", the message made printable (base/EscapedText.h; quote
// what the user typed escaped, as a file name may hold any byte). Returns
// exitUsage.
int reportUsageError(const ProgramDescription& program, std::string_view message);

// Every program's status when its standard output could not be written.
inline constexpr int exitOutputFailed = 2;

// Flushes and closes standard output at the end of a program, as every
// program that writes there must to know its output arrived: when a write
// failed (a full disk, a closed pipe's error) says so on stderr in one line
// and returns exitOutputFailed; otherwise returns status.
int finishOutput(const ProgramDescription& program, int status);

// A value that names a thing, in lower case: "STL" and "stl" name one format.
std::string lowerCase(std::string_view text);

} // namespace Vextal
