#include "scene/SceneExplanation.h"
#include "scene/ScenePose.h"

#include "base/EscapedText.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneCommands.h"
#include "scene/SceneFile.h"
#include "scene/SceneRules.h"
#include "scene/SceneTokenReader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace Vextal {

namespace {

// White space as the reader takes it: space, tab, line feed, vertical tab,
// form feed, carriage return.
bool isSceneSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Line numbers of offsets into the bytes, counted once: the offsets asked for
// only grow.
class LineCounter {
public:
    explicit LineCounter(std::string_view bytes) : bytes(bytes) {}

    std::uint32_t lineAt(std::size_t offset) {
        for (offset = std::min(offset, bytes.size()); counted < offset; ++counted)
            line += bytes[counted] == '\n' ? 1 : 0;
        return line;
    }

private:
    std::string_view bytes;
    std::size_t counted = 0;
    std::uint32_t line = 1;
};

// The reader the loader uses, over the bytes in memory, noting every token
// and number readCommands takes from it. The tokens it hands out point into
// the bytes, but for the last token of an input that ends without white
// space, which it copies: that one lies on the last line.
class ExplainingSource {
public:
    ExplainingSource(std::string_view bytes, SceneExplanation& out)
        : bytes(bytes), reader(bytes), lines(bytes), out(out) {}

    bool nextToken(std::string_view& token) {
        if (!reader.nextToken(token)) {
            endLine = lines.lineAt(bytes.size());
            return false;
        }
        const Span span = spanOf(token);
        const std::uint32_t line = lines.lineAt(span.offset);
        if (parameterNameNext) { // a "param" line's name belongs to its step
            parameterNameNext = false;
            return true;
        }
        if (!selectorTaken) {
            selectorTaken = true;
            out.selector = token;
            out.selectorLength = span.length;
            out.selectorLine = line;
        } else if (token == "render") {
            out.stopLine = line;
            renderEnd = span.offset + span.length;
        } else {
            SceneStep step;
            const bool formulaWord = out.selector == "\"xyz" && isFormulaKeyword(token);
            step.kind = findCommand(token) || formulaWord ? SceneStep::Kind::command
                                                          : SceneStep::Kind::ignored;
            step.line = line;
            step.token = token;
            step.tokenLength = span.length;
            parameterNameNext = formulaWord && token == "param";
            out.steps.push_back(std::move(step));
        }
        return true;
    }

    bool restOfLine(std::string& text, int& line, int& column) {
        const bool read = reader.restOfLine(text, line, column);
        if (!read)
            endLine = lines.lineAt(contentEnd());
        return read;
    }
    void place(int& line, int& column) { reader.place(line, column); }

    NumberRead nextNumber(float& value) {
        numberStart = std::size_t(reader.consumed());
        const NumberRead read = reader.nextNumber(value);
        if (read == NumberRead::read)
            out.steps.back().values.push_back(value);
        else if (read == NumberRead::endedInput) // inside a command's values: its last line
            endLine = lines.lineAt(contentEnd());
        return read;
    }

    // After a rejected number: the token it could not be read from, quoted.
    // The reader took some of it ("1E"), so it is found in the bytes from
    // where the number started.
    std::string offendingToken(std::uint32_t& line) {
        std::size_t first = std::min(numberStart, bytes.size());
        while (first < bytes.size() && isSceneSpace(bytes[first]))
            ++first;
        std::size_t end = first;
        while (end < bytes.size() && !isSceneSpace(bytes[end]))
            ++end;
        line = lines.lineAt(first);
        const std::size_t length = end - first;
        return quotedToken(bytes.substr(first, std::min(length, SceneTokenReader::keptLength)),
                           length);
    }

    bool reachedLimit() const { return reader.reachedLimit(); }

    std::size_t renderEnd = 0;
    std::uint32_t endLine = 0;

private:
    // Where a token the reader handed out lies in the bytes, and its whole
    // length there (the reader cuts it to keptLength).
    struct Span {
        std::size_t offset;
        std::size_t length;
    };

    Span spanOf(std::string_view token) const {
        const char* first = bytes.data();
        std::size_t offset = bytes.size();
        if (token.data() >= first && token.data() < first + bytes.size()) {
            offset = std::size_t(token.data() - first);
        } else { // the copied last token: it runs to the end of the bytes
            while (offset > 0 && !isSceneSpace(bytes[offset - 1]))
                --offset;
        }
        std::size_t end = offset + token.size();
        while (end < bytes.size() && !isSceneSpace(bytes[end]))
            ++end;
        return {offset, end - offset};
    }

    // The offset just past the last byte that is not white space.
    std::size_t contentEnd() const {
        std::size_t end = bytes.size();
        while (end > 0 && isSceneSpace(bytes[end - 1]))
            --end;
        return end;
    }

    std::string_view bytes;
    SceneTokenReader reader;
    LineCounter lines;
    SceneExplanation& out;
    bool selectorTaken = false;
    bool parameterNameNext = false;
    std::size_t numberStart = 0; // where the last number read started
};

const char* surfaceWords(SurfaceKind surface) {
    switch (surface) {
    case SurfaceKind::spheric:
        return "the spheric superformula surface";
    case SurfaceKind::toric:
        return "the toroidal superformula surface";
    case SurfaceKind::harmonic:
        return "the spherical harmonic";
    case SurfaceKind::formula:
        return "the typed surface (x, y and z as formulas of u and v)";
    }
    return "?";
}

std::string selection(const SceneExplanation& out) {
    const std::string_view token = out.selector;
    const std::string chosen = surfaceWords(out.surface);
    if (token.empty())
        return "the file is empty: " + chosen + ", the default";
    if (out.selectorRecognised)
        return "'" + out.selector + "' selects " + chosen;
    const std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (token.starts_with(byteOrderMark)) {
        const std::size_t mark = byteOrderMark.size();
        return "a byte-order mark before " +
               quotedToken(token.substr(mark), out.selectorLength - mark) +
               " is part of the first token, which so selects nothing: " + chosen + ", the default";
    }
    std::string why = quotedToken(token, out.selectorLength) + " is no selector";
    if (const std::string near = nearestKeyword(token); !near.empty())
        why += " (did you mean '" + near + "'?)";
    return why + ": " + chosen + ", the default; the first token is always taken as the selector";
}

// What the rules made of a command's values, or why it changes nothing drawn.
std::string noteFor(const SceneStep& step, SurfaceKind surface) {
    const std::string_view keyword = step.token;
    if (keyword == "slice" || keyword == "rotate") {
        const unsigned count = countRule(step.values[0]);
        if (float(count) != step.values[0])
            return step.token + " " + shortestText(step.values[0]) + " becomes " +
                   std::to_string(count);
    } else if (keyword == "phirange" || keyword == "thetarange") {
        const AngleRange range = rangeRule(step.values[0], step.values[1]);
        if (range.start != step.values[0])
            return "taken as " + shortestText(range.start) + " to " + shortestText(range.end);
    } else if ((keyword == "coef1" || keyword == "coef2") && surface == SurfaceKind::harmonic) {
        return "changes nothing drawn: the spherical harmonic is selected";
    } else if (keyword == "coefh" && surface != SurfaceKind::harmonic) {
        return "changes nothing drawn: a superformula surface is selected";
    } else if (keyword == "pose" && !poseRule(step.values.data())) {
        return "changes nothing: a value is not finite, the scale is not above 0 or the axis is 0";
    }
    return {};
}

// A typed surface's line as the loader understood it: an expression written
// back with the parentheses its reading implies.
std::string formulaNote(const SceneStep& step, const ScenePrimitives& scene,
                        std::size_t& parameterIndex) {
    const int coordinate = step.token == "x"   ? 0
                           : step.token == "y" ? 1
                           : step.token == "z" ? 2
                                               : -1;
    const auto& defined = scene.formula.definition.parameters;
    if (step.token == "param" && parameterIndex < defined.size() && step.values.size() == 3) {
        const FormulaParameter& p = defined[parameterIndex++];
        return "parameter '" + printable(p.name) + "' = " + shortestText(p.value) + ", from " +
               shortestText(p.low) + " to " + shortestText(p.high);
    }
    if (coordinate < 0)
        return {};
    std::vector<std::string> names;
    for (const FormulaParameter& p : scene.formula.definition.parameters)
        names.push_back(p.name);
    const ExprParse parsed = parseExpression(scene.formulaLines.text[coordinate], names);
    if (parsed.error)
        return {};
    return "read as " + printable(expressionText(parsed.tree, names));
}

std::string valuesNeeded(const SceneStep& step) {
    if (isFormulaKeyword(step.token) && !findCommand(step.token)) {
        const int count = step.token == "param"                              ? 3
                          : step.token == "urange" || step.token == "vrange" ? 2
                                                                             : 0;
        return step.token + " needs " + std::to_string(count) + " values";
    }
    const int count = findCommand(step.token)->valueCount;
    return step.token + " needs " + std::to_string(count) + (count == 1 ? " value" : " values");
}

void describeStop(SceneExplanation& out, ExplainingSource& source,
                  const std::optional<ExpressionError>& formulaError) {
    switch (out.status) {
    case SceneLoadStatus::badFormula:
        if (formulaError) {
            out.stopLine = std::uint32_t(formulaError->line);
            out.stop = "column " + std::to_string(formulaError->column) + ": " +
                       (formulaError->token.empty()
                            ? std::string()
                            : quotedToken(formulaError->token, formulaError->token.size()) + " ") +
                       formulaError->message;
        }
        if (!out.steps.empty())
            out.steps.back().note = "not applied";
        return;
    case SceneLoadStatus::rendered:
        out.stop = "'render': the surface is built here";
        return;
    case SceneLoadStatus::badValue: {
        SceneStep& step = out.steps.back();
        std::uint32_t line = step.line;
        const std::string token = source.offendingToken(line);
        out.stopLine = line;
        out.stop = valuesNeeded(step) + "; " + token + " is not a number";
        step.note = "not applied";
        return;
    }
    case SceneLoadStatus::noRenderInReach:
        out.stopLine = source.endLine;
        out.stop = "no 'render' in the first 1 MiB, all that is read";
        if (!out.failedKeyword.empty())
            out.steps.back().note = "not applied";
        return;
    default:
        out.stopLine = source.endLine;
        if (out.failedKeyword.empty()) {
            out.stop = "the file ends before 'render'";
            return;
        }
        // The input ended inside a command: the command's own line says where.
        SceneStep& step = out.steps.back();
        out.stopLine = step.line;
        out.stop =
            valuesNeeded(step) + "; the file ends after " + std::to_string(step.values.size());
        step.note = "not applied";
        return;
    }
}

void describeTrailing(SceneExplanation& out, std::string_view bytes, std::size_t renderEnd) {
    std::size_t first = renderEnd;
    while (first < bytes.size() && isSceneSpace(bytes[first]))
        ++first;
    if (first >= bytes.size())
        return;
    // The byte after the first readLimit says only that the file goes on.
    const auto limit = std::size_t(SceneTokenReader::readLimit);
    out.trailingCut = bytes.size() > limit;
    out.trailingBytes = std::min(bytes.size(), limit) - std::min(first, limit);
    out.trailingLine = LineCounter(bytes).lineAt(first);
}

// Optimal string alignment distance: insertions, deletions, substitutions and
// swaps of two neighbours, each one step.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace

bool readSceneBytes(const char* path, SceneBytes& read, SceneLoadResult& refusal) {
    const SceneFileHandle file = openSceneFile(path);
    if (file.fd < 0) {
        refuseUnopened(file, refusal);
        return false;
    }
    read.bytes.resize(std::size_t(SceneTokenReader::readLimit) + 1);
    std::size_t got = 0;
    while (got < read.bytes.size()) {
        const ssize_t n = ::read(file.fd, read.bytes.data() + got, read.bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    ::close(file.fd);
    read.bytes.resize(got);
    return true;
}

std::string explainFailedLoad(const char* path, const SceneLoadResult& result) {
    SceneBytes read;
    SceneLoadResult refusal;
    const bool stoppedInText = result.status == SceneLoadStatus::badValue ||
                               result.status == SceneLoadStatus::badFormula ||
                               result.status == SceneLoadStatus::endedBeforeRender ||
                               result.status == SceneLoadStatus::noRenderInReach;
    if (!stoppedInText || !readSceneBytes(path, read, refusal))
        return escaped(path) + ": " + result.reason();
    const SceneExplanation explained = explainScene(read.bytes);
    if (explained.rendered()) // saved again meanwhile: the reason stands
        return escaped(path) + ": " + result.reason();
    return escaped(path) + ":" + std::to_string(explained.stopLine) + ": " + explained.stop;
}

std::string quotedToken(std::string_view kept, std::size_t length) {
    if (length <= kept.size())
        return "'" + escaped(kept) + "'";
    return "'" + escaped(kept.substr(0, wholeCharacters(kept))) + "'... (a " +
           std::to_string(length) + "-byte token, cut)";
}

std::string shortestText(float value) {
    char text[32];
#if defined(__EMSCRIPTEN__)
    // The browser build's C++ library has no to_chars for floats: the fewest
    // significant digits that read back as the same float, which is the same
    // text for every value a scene usually holds (0.3, 7, 0.24).
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, double(value));
        if (std::strtof(text, nullptr) == value || value != value)
            break;
    }
    return text;
#else
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
#endif
}

std::string nearestKeyword(std::string_view token) {
    std::vector<std::string_view> words{"render"};
    for (const SceneCommand& command : sceneCommands())
        words.push_back(command.keyword);
    for (const SceneSelector& selector : sceneSelectors())
        words.push_back(selector.token);
    std::string_view best;
    std::size_t bestDistance = 3;
    for (const std::string_view word : words) {
        // A near miss is a letter or two off, fewer for short words; any word
        // in another case is one.
        const std::size_t allowed = word.size() <= 4 ? 1 : 2;
        const std::size_t distance = lowerCase(token) == word ? 0 : editDistance(token, word);
        if (distance <= allowed && distance < bestDistance && token != word) {
            best = word;
            bestDistance = distance;
        }
    }
    return std::string(best);
}

SceneExplanation explainScene(std::string_view bytes, PolygonsIndexedNormal* mesh) {
    SceneExplanation out;
    ScenePrimitives scene;
    ExplainingSource source(bytes, out);
    out.status = readCommands(source, scene, out.failedKeyword);
    if (out.status == SceneLoadStatus::endedBeforeRender && source.reachedLimit())
        out.status = SceneLoadStatus::noRenderInReach;
    out.surface = scene.kind;
    for (const SceneSelector& selector : sceneSelectors())
        out.selectorRecognised = out.selectorRecognised || selector.token == out.selector;
    out.selection = selection(out);
    std::size_t parameterIndex = 0;
    for (SceneStep& step : out.steps) {
        if (step.kind == SceneStep::Kind::ignored)
            step.suggestion = nearestKeyword(step.token);
        else if (isFormulaKeyword(step.token) && !findCommand(step.token))
            step.note = formulaNote(step, scene, parameterIndex);
        else if (findCommand(step.token)->valueCount == int(step.values.size())) {
            step.note = noteFor(step, out.surface);
            step.countChanged = (step.token == "slice" || step.token == "rotate") &&
                                float(countRule(step.values[0])) != step.values[0];
        }
    }
    describeStop(out, source, scene.formulaError);
    if (out.rendered())
        describeTrailing(out, bytes, source.renderEnd);
    out.scene = scene.summary();
    out.values = scene.values();
    const GridCounts counts =
        out.surface == SurfaceKind::formula
            ? formulaGridCounts(out.scene.sliceCount, out.scene.rotateCount)
            : gridCounts(out.scene.sliceCount, out.scene.rotateCount, out.scene.closed);
    out.vertexCount = counts.vertexCount;
    out.triangleCount = counts.triangleCount;
    if (mesh && out.rendered()) {
        scene.selected->tessellate(*mesh);
        mesh->computeNormals();
        if (scene.pose)
            applyPose(*scene.pose, *mesh);
    }
    return out;
}

} // namespace Vextal
