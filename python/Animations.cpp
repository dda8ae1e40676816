#include "python/Animations.h"

#include "base/EscapedText.h"
#include "python/Errors.h"
#include "python/Numbers.h"
#include "python/Pictures.h"
#include "python/Scenes.h"
#include "tools/AnimationRun.h"

#include <pybind11/stl.h>

#include <optional>

namespace py = pybind11;

namespace VextalPython {

namespace {

using namespace VextalTools;

// The same bounds as vextal-animate's --frames and --fps.
constexpr std::uint32_t maxFrames = 9999;
constexpr double maxFramesPerSecond = 120;

// The tools' messages name their options ("--fps goes up to 50 for GIF"):
// here they name the arguments.
std::string asArguments(std::string message) {
    for (std::size_t at = message.find("--"); at != std::string::npos; at = message.find("--"))
        message.erase(at, 2);
    return message;
}

AnimationKind kindOf(const std::string& path, const py::object& format) {
    if (!format.is_none()) {
        const std::optional<AnimationKind> kind =
            py::isinstance<py::str>(format) ? animationKindNamed(format.cast<std::string>())
                                            : std::nullopt;
        if (!kind)
            raiseValueError("format must be 'gif', 'webp', 'mp4' or 'png', got " +
                            shownValue(format, !py::isinstance<py::str>(format)));
        return *kind;
    }
    const std::optional<AnimationKind> kind = animationKindOf(path);
    if (!kind)
        raiseValueError("path: '" + Vextal::escaped(path) +
                        "' names no animation: end it in .gif, .webp or .mp4, or in / for a "
                        "folder of PNG frames (or give format)");
    return *kind;
}

AnimationPlan planOf(const std::optional<Scene>& to, const py::object& frames,
                     const py::object& turntable, bool bounce) {
    const std::string needs = "must be from 1 to " + std::to_string(maxFrames);
    AnimationPlan plan;
    plan.frames = std::uint32_t(wholeNumber(frames, "frames", needs.c_str(), 1, maxFrames));
    plan.morph = to.has_value();
    plan.bounce = bounce;
    plan.turntable = !plan.morph || (!turntable.is_none() && py::bool_(turntable));
    if (bounce && !plan.morph)
        raiseValueError("bounce needs to= (a morph)");
    return plan;
}

// Between frames, with the GIL held: a Ctrl-C stops the animation, and its
// KeyboardInterrupt is raised once the output is left as it was.
struct Interruption {
    std::optional<py::error_already_set> raised;

    bool carryOn() {
        py::gil_scoped_acquire held;
        if (PyErr_CheckSignals() == 0)
            return true;
        raised.emplace();
        return false;
    }
};

void animate(const Scene& scene, const py::object& path, const std::optional<Scene>& to,
             const py::object& frames, const py::object& framesPerSecond,
             const PictureArguments& picture, bool bounce, const py::object& turntable,
             const py::object& quality, const py::object& format) {
    AnimationJob job;
    job.outPath = fileSystemPath(path);
    job.kind = kindOf(job.outPath, format);
    job.picture = pictureSettingsOf(picture);
    job.plan = planOf(to, frames, turntable, bounce);
    const double fps = realNumber(framesPerSecond, "fps", "must be above 0 and up to 120");
    if (!(fps > 0 && fps <= maxFramesPerSecond))
        raiseValueError("fps must be above 0 and up to 120, got " + shownValue(framesPerSecond));
    job.framesPerSecond = fps;
    if (!quality.is_none())
        job.quality = int(wholeNumber(quality, "quality", "must be from 0 to 100", 0, 100));
    for (const Scene* read : {&scene, to ? &*to : nullptr})
        if (read && !read->path.empty())
            job.inputs.push_back(read->path);
    if (const Refusal refusal = animationRefusal(job))
        raiseValueError(asArguments(*refusal));
    std::optional<MorphEnds> morph;
    if (to) {
        if (to->values.surface != scene.values.surface)
            raiseValueError(std::string("to: a morph needs the same surface in both, got ") +
                            Vextal::surfaceName(scene.values.surface) + " and " +
                            Vextal::surfaceName(to->values.surface));
        morph = MorphEnds{scene.values, to->values};
    }
    const std::string text = Vextal::sceneText(scene.values);
    Interruption interruption;
    std::optional<DrawingProblem> problem;
    {
        py::gil_scoped_release unlocked;
        const std::lock_guard<std::mutex> only(drawingLock());
        SceneDrawing drawing(job.picture);
        problem = drawing.startText(text, shownName(scene));
        if (!problem)
            problem = writeAnimation(
                job, drawing, morph, "vextal-animate: " + Vextal::describe(drawing.loadedScene()),
                [&interruption](std::uint32_t) { return interruption.carryOn(); });
    }
    if (interruption.raised)
        throw *interruption.raised;
    if (problem && problem->exitStatus == exitFailed)
        raiseOSError(job.outPath, problem->message);
    if (problem)
        throw std::runtime_error(problem->message);
}

} // namespace

void bindAnimations(py::module_& module) {
    module.def(
        "animate",
        [](const Scene& scene, const py::object& path, const std::optional<Scene>& to,
           const py::object& frames, const py::object& fps, const py::object& size,
           const py::object& turn, const py::object& distance, const py::object& samples,
           const py::object& background, const py::object& wireframe, bool bounce,
           const py::object& turntable, const py::object& quality, const py::object& format,
           const py::object& grid, const py::object& threads, const py::object& colour,
           const py::object& range, bool legend) {
            animate(scene, path, to, frames, fps,
                    {size, turn, distance, samples, background, wireframe, grid, threads, colour,
                     range, legend},
                    bounce, turntable, quality, format);
        },
        py::arg("scene"), py::arg("path"), py::arg("to") = py::none(), py::arg("frames") = 72,
        py::arg("fps") = 24.0, py::arg("size") = py::make_tuple(480, 360),
        py::arg("turn") = py::none(), py::arg("distance") = py::none(), py::arg("samples") = 1,
        py::arg("background") = "black", py::arg("wireframe") = false, py::arg("bounce") = false,
        py::arg("turntable") = py::none(), py::arg("quality") = py::none(),
        py::arg("format") = py::none(), py::arg("grid") = py::none(),
        py::arg("threads") = py::none(), py::arg("colour") = py::none(),
        py::arg("range") = py::none(), py::arg("legend") = false,
        R"(Writes what vextal-animate writes: a turntable of the scene, or a morph to `to`.

The file is chosen by path's extension (.gif, .webp, .mp4, or a folder of
PNG frames when path ends in /) or by format. A turntable makes one whole
turn in `frames` frames; a morph moves every value of the scene to those of
`to` (the same surface), eased, and with bounce=True back again, and turns as
well with turntable=True. fps: above 0 and up to 120 (50 for GIF); quality:
0 to 100 for WebP (lossy; lossless without it) and MP4. The picture
arguments are Scene.picture's, colour, range and legend among them (a
morph keeps the first frame's range unless range is given). The file is whole or left as it was; Ctrl-C
stops the animation between frames and raises KeyboardInterrupt. The GIL is
released while frames are drawn.)");
}

} // namespace VextalPython
