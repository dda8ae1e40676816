// The Python module: each concern adds its classes and functions.

#include "python/Animations.h"
#include "python/Colours.h"
#ifdef VEXTAL_HAVE_FIT
#include "python/CurveFits.h"
#endif
#include "python/Errors.h"
#include "python/Exports.h"
#ifdef VEXTAL_HAVE_FIT
#include "python/Fits.h"
#endif
#include "python/Meshes.h"
#include "python/Pictures.h"
#include "python/PngFiles.h"
#include "python/Scenes.h"
#include "python/TypedScenes.h"

PYBIND11_MODULE(vextal, module) {
    module.doc() = R"(Vextal's superformula and harmonic surfaces from Python.

load(path) or Scene.from_text(text) reads a scene as the viewer does;
Scene(...) makes one from keywords. scene.mesh() gives its vertices, normals
and triangles as NumPy arrays, scene.picture() draws it, export() writes
every mesh format vextal-export writes, animate() what vextal-animate writes.)";
    module.attr("__version__") = VEXTAL_VERSION;
    VextalPython::bindErrors(module);
    VextalPython::bindScenes(module);
    VextalPython::bindTypedScenes(module);
    VextalPython::bindMeshes(module);
    VextalPython::bindColours(module);
    VextalPython::bindPictures(module);
    VextalPython::bindPngFiles(module);
    VextalPython::bindExports(module);
    VextalPython::bindAnimations(module);
#ifdef VEXTAL_HAVE_FIT
    VextalPython::bindCurveFits(module);
    VextalPython::bindFits(module);
#endif
}
