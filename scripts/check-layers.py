#!/usr/bin/env python3
"""Checks the layering of the source tree and of the built test programs.

  check-layers.py [BUILD_DIR]

Every project include ("folder/File.h") in a product folder must name a folder
of its own layer or of one beneath it, and the headers of OpenGL, EGL, SDL,
X11, Dear ImGui and the picture and 3MF libraries may be included only where
those libraries are linked. With BUILD_DIR,
the test programs of the layers beneath the drawing must link no OpenGL,
SDL or X11 library at all. Prints every offence and exits 1 if there is one.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Folder -> layer, and what each layer may include, bottom to top.
LAYER_OF = {
    "base": "base",
    "cli": "cli",
    "mesh": "geometry", "primitives": "geometry", "scene": "geometry", "colour": "geometry",
    "expression": "geometry",
    "input": "input", "camera": "input",
    "render": "render",
    "meshfiles": "meshfiles",
    "output": "output",
    "pictures": "pictures",
    "panel": "panel",
    "app": "viewer",
    "app/sdl": "platform",
    "fit": "fit",
    "tools": "tools",
    "python": "python",
    "web": "web",
}
MAY_INCLUDE = {
    "base": {"base"},
    "cli": {"base", "cli"},
    "geometry": {"base", "geometry"},
    "input": {"base", "geometry", "input"},
    "render": {"base", "geometry", "input", "render"},
    "meshfiles": {"base", "geometry", "meshfiles"},
    "output": {"base", "output"},
    "pictures": {"base", "output", "pictures"},
    "viewer": {"base", "geometry", "input", "render", "viewer"},
    "panel": {"base", "geometry", "meshfiles", "output", "pictures", "panel"},
    "platform": {"base", "cli", "geometry", "input", "render", "viewer", "panel", "platform"},
    "fit": {"base", "geometry", "fit"},
    "tools": {"base", "cli", "geometry", "input", "render", "meshfiles", "output", "pictures",
              "fit", "tools"},
    "python": {"base", "cli", "geometry", "input", "render", "meshfiles", "output", "pictures",
               "fit", "tools", "python"},
    "web": {"base", "geometry", "meshfiles", "web"},
}
# Folders that keep to a small room inside their layer: the expression code
# stands on the jets and the superformula alone, never on the scene, the mesh
# or the surfaces that use it.
ROOMS = {
    "expression": {"base/", "expression/", "colour/Jet.h", "primitives/SuperShapeCoefficients.h",
                   "primitives/SurfaceFormulas.h", "mesh/Vec3.h"},
}
# Inside the geometry layer the folders stand in this order, each including
# only itself and those before it: the scene reads files into surfaces and
# reports their curvature, so nothing beneath it may include the scene (an
# include circle would tie colour to scene and back). The expression code
# keeps to its room (ROOMS) instead.
GEOMETRY_ORDER = ["mesh", "primitives", "colour", "scene"]
# System headers that belong to one layer's libraries.
SYSTEM_HEADERS = [
    (re.compile(r"^(GL|EGL)/"), {"render"}),
    (re.compile(r"^(SDL2?/|SDL\.h)"), {"platform"}),
    (re.compile(r"^X11/"), {"platform"}),
    (re.compile(r"^imgui"), {"panel", "platform"}),
    (re.compile(r"^(png\.h|gif_lib\.h|webp/|libimagequant\.h)"), {"pictures"}),
    (re.compile(r"^isa-l"), {"meshfiles"}),
    (re.compile(r"^(pybind11/|Python\.h)"), {"python"}),
    (re.compile(r"^emscripten/"), {"web"}),
    (re.compile(r"^(ceres/|Eigen/|glog/)"), {"fit"}),
]
# Test programs that must stay free of the window system and of OpenGL.
PLAIN_TEST_PROGRAMS = ["tests/vextal-geometry-tests", "tests/vextal-input-tests"]
FORBIDDEN_LIBRARIES = re.compile(r"lib(GL|GLU|GLX|OpenGL|EGL|SDL2|X11)[.-]")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path):
    relative = path.relative_to(ROOT).as_posix()
    # The program's entry joins the viewer to its platform.
    if relative.startswith("app/sdl/") or relative == "app/main.cpp":
        return "app/sdl"
    return relative.split("/", 1)[0]


def included_folder(name):
    if name.startswith("app/sdl/"):
        return "app/sdl"
    return name.split("/", 1)[0] if "/" in name else None


def check_includes():
    offences = []
    for folder in LAYER_OF:
        for path in sorted((ROOT / folder).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            layer = LAYER_OF[folder_of(path)]
            for number, line in enumerate(path.read_text().splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, name = match.groups()
                where = f"{path.relative_to(ROOT)}:{number}"
                if kind == '"':
                    room = ROOMS.get(folder_of(path))
                    if room is not None and not any(name == allowed or
                                                    (allowed.endswith("/") and
                                                     name.startswith(allowed))
                                                    for allowed in room):
                        offences.append(f"{where}: {folder_of(path)}/ keeps to its room "
                                        f"and may not include {name}")
                    target = included_folder(name)
                    source = folder_of(path)
                    if (source in GEOMETRY_ORDER and target in GEOMETRY_ORDER and
                            GEOMETRY_ORDER.index(target) > GEOMETRY_ORDER.index(source)):
                        offences.append(f"{where}: {source}/ includes {name}, which stands "
                                        f"above it in the geometry layer")
                    if target in LAYER_OF and LAYER_OF[target] not in MAY_INCLUDE[layer]:
                        offences.append(f"{where}: the {layer} layer includes {name} "
                                        f"of the {LAYER_OF[target]} layer")
                    continue
                for pattern, layers in SYSTEM_HEADERS:
                    if pattern.match(name) and layer not in layers:
                        offences.append(f"{where}: the {layer} layer includes <{name}>")
    return offences


def check_links(build):
    offences = []
    for program in PLAIN_TEST_PROGRAMS:
        path = build / program
        if not path.exists():
            offences.append(f"{path}: not built")
            continue
        linked = subprocess.run(["ldd", str(path)], capture_output=True, text=True).stdout
        for line in linked.splitlines():
            if FORBIDDEN_LIBRARIES.search(line):
                offences.append(f"{program} links {line.split()[0]}")
    return offences


def main():
    offences = check_includes()
    if len(sys.argv) > 1:
        offences += check_links(pathlib.Path(sys.argv[1]))
    for offence in offences:
        print(f"check-layers: {offence}", file=sys.stderr)
    if not offences:
        print("check-layers: every include and link keeps to its layer")
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
