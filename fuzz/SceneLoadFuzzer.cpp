// libFuzzer entry over the whole scene load: the input bytes become a scene
// file, which is loaded, tessellated and given its normals exactly as the
// viewer does it, then explained and reported as vextal-check does; the
// values it leaves, and values taken straight from the bytes as a person might
// type them into the panel, are written as scene text and loaded again. Any
// crash, sanitizer report, broken mesh invariant, output that is not clean
// text and strict JSON, or canonical text that loads another scene is a
// finding.

#include "base/EscapedText.h"
#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveFormula.h"
#include "primitives/PrimitiveParametric.h"
#include "scene/SceneCommands.h"
#include "scene/SceneExplanation.h"
#include "scene/SceneLoader.h"
#include "scene/SceneReport.h"
#include "scene/SceneTokenReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Scene files are a few hundred bytes; past this the run only measures how
// fast a long token is skipped, which the hostile-file tests already cover.
constexpr std::size_t maxInputBytes = 64 * 1024;

// One in-memory file for the whole run, reached by path like a file on disk,
// so the loader's own open, type check and stream are exercised unchanged.
struct MemoryFile {
    int fd = -1;
    char path[64] = {};

    MemoryFile() {
        fd = ::memfd_create("vextal-fuzz-scene", MFD_CLOEXEC);
        if (fd < 0) {
            std::perror("memfd_create");
            __builtin_trap();
        }
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    }

    void replace(const std::uint8_t* data, std::size_t size) const {
        if (::ftruncate(fd, 0) != 0)
            __builtin_trap();
        std::size_t written = 0;
        while (written < size) {
            const ssize_t n = ::pwrite(fd, data + written, size - written, off_t(written));
            if (n <= 0)
                __builtin_trap();
            written += std::size_t(n);
        }
    }
};

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        __builtin_trap();
    }
}

// A load that stops before "render" must not touch the mesh at all.
void checkUntouched(const Vextal::PolygonsIndexedNormal& mesh) {
    check(mesh.vertices == nullptr && mesh.triangles == nullptr && mesh.normals == nullptr,
          "a failed load allocated mesh arrays");
    check(mesh.vertexCount == 0 && mesh.triangleCount == 0 && mesh.normalCount == 0,
          "a failed load changed the mesh counts");
}

// A rendered mesh has the counts of its grid, one normal per vertex, and no
// triangle that points past the vertex array (the renderer would read out of
// bounds).
void checkRendered(const Vextal::PolygonsIndexedNormal& mesh, const Vextal::SceneSummary& scene) {
    check(scene.sliceCount >= 3 && scene.rotateCount >= 3, "a count below 3 was stored");
    const Vextal::GridCounts counts =
        scene.surface == Vextal::SurfaceKind::formula
            ? Vextal::formulaGridCounts(scene.sliceCount, scene.rotateCount)
            : Vextal::gridCounts(scene.sliceCount, scene.rotateCount, scene.closed);
    check(mesh.vertexCount == counts.vertexCount, "vertex count differs from the grid");
    check(mesh.triangleCount == counts.triangleCount, "triangle count differs from the grid");
    check(mesh.normalCount == mesh.vertexCount, "normal count differs from the vertex count");
    check(scene.phiMin <= scene.phiMax || scene.phiMin != scene.phiMin ||
              scene.phiMax != scene.phiMax,
          "phi range is out of order");
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Vextal::Triangle& f = mesh.triangles[t];
        check(f.i0 < mesh.vertexCount && f.i1 < mesh.vertexCount && f.i2 < mesh.vertexCount,
              "triangle index past the vertex array");
    }
}

// The viewer takes an unchanged file's commands from the bytes it kept: read
// from memory, they must end as they did when read from the file.
void checkSameFromMemory(const std::uint8_t* data, std::size_t size,
                         const Vextal::SceneLoadResult& fromFile) {
    Vextal::ScenePrimitives scene;
    std::string keyword;
    Vextal::SceneTokenReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    const Vextal::SceneLoadStatus status = Vextal::readCommands(reader, scene, keyword);
    check(status == fromFile.status, "commands read from memory end otherwise than from the file");
    check(keyword == fromFile.keyword, "commands read from memory fail on another keyword");
    check(Vextal::describe(scene.summary()) == Vextal::describe(fromFile.scene),
          "commands read from memory select another surface or grid");
}

// vextal-check explains a file by reading it again its own way: it must end
// as the load did, and never crash on what it reports.
void checkExplainedAlike(const std::uint8_t* data, std::size_t size,
                         const Vextal::SceneLoadResult& fromFile) {
    const Vextal::SceneExplanation explained =
        Vextal::explainScene(std::string_view(reinterpret_cast<const char*>(data), size));
    check(explained.status == fromFile.status, "the explanation ends otherwise than the load");
    check(Vextal::describe(explained.scene) == Vextal::describe(fromFile.scene),
          "the explanation selects another surface or grid");
    check(!explained.stop.empty(), "the explanation says nothing of where it stopped");
}

// The text a panel writes from the values a load left must load back to the
// same scene (the same text again: coefficients of a surface not drawn are
// not written); the values are always finite, so it always renders.
void checkCanonicalTextLoadsBack(const Vextal::SceneLoadResult& fromFile) {
    Vextal::PolygonsIndexedNormal mesh;
    const std::string text = Vextal::sceneText(fromFile.values);
    const Vextal::SceneLoadResult again = Vextal::loadSceneText(text, mesh);
    check(again.rendered(), "the canonical text of a loaded scene does not render");
    check(Vextal::sceneText(again.values) == text, "the canonical text loads another scene");
    check(Vextal::describe(again.scene) == Vextal::describe(fromFile.scene),
          "the canonical text loads another grid");
}

// Whatever a person types into the panel (any count, NaN, infinities,
// any surface) becomes text that the loader either refuses or renders;
// what it renders, written again, is stable.
void checkTypedValues(const std::uint8_t* data, std::size_t size) {
    Vextal::SceneValues typed;
    if (size < sizeof typed)
        return;
    std::memcpy(static_cast<void*>(&typed), data, sizeof typed);
    typed.surface = Vextal::SurfaceKind(unsigned(typed.surface) % 3);
    typed.closed = (data[0] & 1) != 0;
    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult loaded = Vextal::loadSceneText(Vextal::sceneText(typed), mesh);
    if (loaded.rendered()) {
        checkRendered(mesh, loaded.scene);
        checkCanonicalTextLoadsBack(loaded);
    }
}

// What a writer puts in a FILE*, gathered in memory.
template <class Write> std::string written(Write write) {
    char* buffer = nullptr;
    std::size_t length = 0;
    std::FILE* file = ::open_memstream(&buffer, &length);
    check(file != nullptr, "open_memstream failed");
    write(file);
    std::fclose(file);
    std::string text(buffer, length);
    std::free(buffer);
    return text;
}

// vextal-check's output of any file: the text has no control byte but its
// line ends (a terminal shown it obeys nothing in the file) and is UTF-8;
// the JSON is read by a strict parser, with the same keys as always.
void checkReportOutput(const std::uint8_t* data, std::size_t size) {
    Vextal::SceneReport report;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Vextal::checkSceneBytes("scene\x1b\n.txt", bytes, report);
    const std::string text =
        written([&](std::FILE* file) { Vextal::writeReportText(file, report); });
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        check(byte == '\n' || (byte >= 0x20 && byte != 0x7F), "a control byte in the text");
        const std::size_t length = Vextal::utf8Length(std::string_view(text).substr(at));
        check(length > 0, "the text is not UTF-8");
        at += length;
    }
    const std::string json =
        written([&](std::FILE* file) { Vextal::writeReportJson(file, report); });
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    check(!parsed.is_discarded(), "the JSON does not parse");
    for (const char* key :
         {"file", "loaded", "selector", "steps", "stop", "trailing", "grid", "mesh", "warnings"})
        check(parsed.contains(key), "a key is missing from the JSON");
    check(parsed["stop"].is_object() && parsed["warnings"].is_array(),
          "the JSON has another shape");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > maxInputBytes)
        return -1; // not added to the corpus
    static const MemoryFile file;
    file.replace(data, size);

    Vextal::PolygonsIndexedNormal mesh;
    const Vextal::SceneLoadResult result = Vextal::loadSceneFile(file.path, mesh);
    if (result.rendered())
        checkRendered(mesh, result.scene);
    else
        checkUntouched(mesh);
    check(!result.reason().empty(), "empty reason");
    checkSameFromMemory(data, size, result);
    checkExplainedAlike(data, size, result);
    checkReportOutput(data, size);
    if (result.rendered())
        checkCanonicalTextLoadsBack(result);
    checkTypedValues(data, size);
    return 0;
}
