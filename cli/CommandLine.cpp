#include "cli/CommandLine.h"

#include "base/EscapedText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace Vextal {

namespace {

constexpr OptionDescription helpOption{"--help", nullptr, "show this help and exit"};
constexpr OptionDescription versionOption{"--version", nullptr, "show the version and exit"};

std::string optionHeading(const OptionDescription& option) {
    std::string heading(option.name);
    if (option.valueName)
        heading.append(" ").append(option.valueName);
    return heading;
}

// "  --size WxH    picture size ...", the meanings in one column.
void appendOptions(std::string& text, const ProgramDescription& program) {
    std::vector<const OptionDescription*> options;
    for (const OptionDescription& option : program.options)
        options.push_back(&option);
    options.push_back(&helpOption);
    options.push_back(&versionOption);
    std::size_t width = 0;
    for (const OptionDescription* option : options)
        width = std::max(width, optionHeading(*option).size());
    const std::string indent(2 + width + 2, ' ');
    for (const OptionDescription* option : options) {
        std::string heading = "  " + optionHeading(*option);
        heading.resize(indent.size(), ' ');
        text += heading;
        for (const char* c = option->meaning; *c; ++c) {
            text += *c;
            if (*c == '\n')
                text += indent;
        }
        text += '\n';
    }
}

std::string helpText(const ProgramDescription& program) {
    std::string text = std::string("Usage: ") + program.name + " [OPTION]";
    if (!program.operands.empty())
        text += "...";
    for (const char* operand : program.operands)
        text.append(" ").append(operand);
    text.append("\n").append(program.summary).append("\n");
    if (*program.details)
        text.append("\n").append(program.details);
    text += "\nOptions:\n";
    appendOptions(text, program);
    const auto takesValue = [](const OptionDescription& option) {
        return option.valueName != nullptr;
    };
    if (std::ranges::any_of(program.options, takesValue))
        text += "\nA value may also follow an '=' (--name=VALUE); '--' ends the options.\n";
    text.append("\nExit status:\n").append(program.exitStatuses);
    text.append("\nExamples:\n").append(program.example);
    return text;
}

int printHelp(const ProgramDescription& program) {
    std::fputs(helpText(program).c_str(), stdout);
    return 0;
}

int printVersion(const ProgramDescription& program) {
    std::printf("%s %s\nCopyright 2026 the Vextal developers.\n"
                "This is free software under the MIT licence.\n",
                program.name, VEXTAL_VERSION);
    return 0;
}

const OptionDescription* findOption(const ProgramDescription& program, std::string_view name) {
    for (const OptionDescription* builtIn : {&helpOption, &versionOption})
        if (builtIn->name == name)
            return builtIn;
    for (const OptionDescription& option : program.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

// What the user typed, quoted and escaped: a file name may hold any byte.
std::string quoted(std::string_view text) {
    return "'" + escaped(text) + "'";
}

// An operand written "[NAME]" may be left out, and one written "[NAME...]"
// as often as wanted; the optional ones come last.
bool optional(std::string_view operand) {
    return operand.starts_with('[');
}
bool repeated(std::string_view operand) {
    return operand.ends_with("...]");
}

std::size_t requiredOperands(const ProgramDescription& program) {
    std::size_t required = 0;
    while (required < program.operands.size() && !optional(program.operands[required]))
        ++required;
    return required;
}

// The operands the program expects beyond those given: "SCENE_FILE and OUT.png".
std::string missingOperands(const ProgramDescription& program, std::size_t given) {
    std::string missing;
    for (std::size_t k = given; k < requiredOperands(program); ++k)
        missing.append(missing.empty() ? "" : " and ").append(program.operands[k]);
    return missing;
}

// The first problem with the options and operands, or an empty string.
std::string check(const ProgramDescription& program, int argc, const char* const* argv,
                  ParsedCommandLine& parsed) {
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        if (name == "--")
            return "no option name before '=' in " + quoted(arg);
        const OptionDescription* option = findOption(program, name);
        if (!option || !name.starts_with("--"))
            return "unknown option " + quoted(name);
        if (!option->valueName && equals != std::string_view::npos)
            return std::string(name) + " takes no value";
        std::string_view value;
        if (equals != std::string_view::npos)
            value = arg.substr(equals + 1);
        else if (option->valueName && k + 1 < argc)
            value = argv[++k];
        else if (option->valueName)
            return std::string(name) + " needs a value: " + option->valueName;
        parsed.options.push_back({option, value});
    }
    if (parsed.operands.size() < requiredOperands(program))
        return "missing " + missingOperands(program, parsed.operands.size());
    const bool unbounded = !program.operands.empty() && repeated(program.operands.back());
    if (!unbounded && parsed.operands.size() > program.operands.size())
        return "extra operand " + quoted(parsed.operands[program.operands.size()]);
    return "";
}

// --help or --version before "--", whichever comes first.
const OptionDescription* firstQuestion(int argc, const char* const* argv) {
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (arg == "--")
            break;
        if (arg == helpOption.name)
            return &helpOption;
        if (arg == versionOption.name)
            return &versionOption;
    }
    return nullptr;
}

} // namespace

ParsedCommandLine parseCommandLine(const ProgramDescription& program, int argc,
                                   const char* const* argv) {
    ParsedCommandLine parsed;
    // The help answers even a command line that is wrong in other ways.
    if (const OptionDescription* question = firstQuestion(argc, argv)) {
        parsed.exitNow = question == &helpOption ? printHelp(program) : printVersion(program);
        return parsed;
    }
    const std::string problem = check(program, argc, argv, parsed);
    if (!problem.empty())
        parsed.exitNow = reportUsageError(program, problem);
    return parsed;
}

int reportUsageError(const ProgramDescription& program, std::string_view message) {
    const std::string shown = printable(message);
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.name, shown.c_str(), program.name);
    return exitUsage;
}

int finishOutput(const ProgramDescription& program, int status) {
    const bool failedBefore = std::ferror(stdout) != 0;
    errno = 0;
    const bool failedAtClose = std::fclose(stdout) != 0;
    if (!failedBefore && !failedAtClose)
        return status;
    // A write that failed earlier left its reason behind; only the last one is known.
    if (failedAtClose && errno != 0)
        std::fprintf(stderr, "%s: write error: %s\n", program.name, std::strerror(errno));
    else
        std::fprintf(stderr, "%s: write error\n", program.name);
    return exitOutputFailed;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace Vextal
