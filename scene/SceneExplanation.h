#pragma once

#include "scene/SceneLoader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// One step of a scene file as the loader reads it, with the line it starts on.
struct SceneStep {
    enum class Kind {
        command, // a keyword with all its values, applied
        ignored, // a token that is no command, skipped
    };
    Kind kind = Kind::ignored;
    std::uint32_t line = 0;
    std::string token;           // the keyword, or the ignored token (cut as the loader cuts it)
    std::size_t tokenLength = 0; // the whole token's bytes in the file
    std::vector<float> values;   // a command's values, in file order
    std::string note;          // what the rules made of the values, or why it changes nothing drawn
    std::string suggestion;    // for an ignored token: the keyword it nearly is
    bool countChanged = false; // "slice" or "rotate" stores another count than written
};

// A scene file taken apart exactly as loadSceneFile reads it: the selector
// and why it selects what it does, every command and skipped token with its
// line, where and why reading stopped, what follows "render", and the grid
// that results. The texts for a person (selection, stop, note) quote tokens
// escaped; the tokens themselves are the file's bytes.
struct SceneExplanation {
    // The first token and what it selects.
    std::string selector; // cut as the loader cuts tokens
    std::size_t selectorLength = 0;
    std::uint32_t selectorLine = 0;
    SurfaceKind surface = SurfaceKind::toric;
    std::string selection;           // why the selector selects that surface
    bool selectorRecognised = false; // the first token is one of the selectors

    std::vector<SceneStep> steps;

    // How the load ended, as the loader reports it; where it stopped (the
    // "render" token, the token a number could not be read from, or the end
    // of the input) and why, for a person.
    SceneLoadStatus status = SceneLoadStatus::endedBeforeRender;
    std::string failedKeyword;
    std::uint32_t stopLine = 0;
    std::string stop;

    // What follows "render", never read: its first line and its size; when
    // the bytes go on past all that is read, more than trailingBytes.
    std::uint32_t trailingLine = 0;
    std::size_t trailingBytes = 0;
    bool trailingCut = false;

    // The selected surface's grid when reading stopped, and its counts.
    SceneSummary scene;
    SceneValues values; // every value the commands left
    std::uint32_t vertexCount = 0;
    std::uint32_t triangleCount = 0;

    bool rendered() const { return status == SceneLoadStatus::rendered; }
};

class PolygonsIndexedNormal;

// Explains a scene file's bytes (the whole of what a load would read). When
// reading reaches "render" and a mesh is given, the mesh receives the
// surface and its normals, as the load would build them.
SceneExplanation explainScene(std::string_view bytes, PolygonsIndexedNormal* mesh = nullptr);

// The bytes a load of `path` would look at (the first MiB and the byte after
// it), from the file opened as the loader opens it. When it cannot be opened,
// false, with the loader's reason in `refusal`.
struct SceneBytes {
    std::string bytes;
};
bool readSceneBytes(const char* path, SceneBytes& read, SceneLoadResult& refusal);

// One line for a person about a load of `path` that did not reach "render":
// "PATH:LINE: why", the line where reading stopped when the file could be
// read again to find it; the path and the file's bytes escaped.
std::string explainFailedLoad(const char* path, const SceneLoadResult& result);

// A token for a message, escaped (base/EscapedText.h) and in quotes; one the
// loader cut (`length` is more than the bytes kept) is cut on a character
// boundary and says so: 'abc'... (a 300-byte token, cut).
std::string quotedToken(std::string_view kept, std::size_t length);

// The shortest text that reads back as the same float (0.3, not 0.300000012).
std::string shortestText(float value);

// The keyword or selector `token` is nearly (one or two letters off, or in
// another case), or an empty string.
std::string nearestKeyword(std::string_view token);

} // namespace Vextal
