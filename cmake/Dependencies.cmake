# Every library, header and program the build needs is looked for here,
# before any target is made, so that a machine that lacks some learns all of
# them at once, each as one line that names the Debian package to install:
#   lib3mf-dev is missing: apt-get install lib3mf-dev
# The tests' and the benchmarks' own needs are looked for only when they are
# built. scripts/install-deps.sh installs the same packages.
#
# To add one: look for it quietly, then name its package with the variable
# that says whether it was found:
#   find_package(Foo QUIET)
#   vextal_require(Foo_FOUND libfoo-dev)

set(VEXTAL_MISSING_PACKAGES)

# Notes PACKAGE as missing when the variable named FOUND is false (unset,
# FALSE or ...-NOTFOUND).
macro(vextal_require found package)
    if(NOT ${found})
        message(NOTICE "${package} is missing: apt-get install ${package}")
        list(APPEND VEXTAL_MISSING_PACKAGES ${package})
    endif()
endmacro()

# pkg-config modules, one at a time so that each names its own package.
macro(vextal_require_module module package)
    pkg_check_modules(VEXTAL_MODULE_${module} QUIET ${module})
    vextal_require(VEXTAL_MODULE_${module}_FOUND ${package})
endmacro()

# Programs that the build or the tests run.
macro(vextal_require_program program package)
    find_program(VEXTAL_PROGRAM_${program} ${program})
    vextal_require(VEXTAL_PROGRAM_${program} ${package})
endmacro()

# The build: the viewer, the tools and their manual pages.
find_package(Python3 QUIET COMPONENTS Interpreter)
vextal_require(Python3_Interpreter_FOUND python3)
find_package(PkgConfig QUIET)
vextal_require(PKG_CONFIG_FOUND pkg-config)
find_package(TBB QUIET)
vextal_require(TBB_FOUND libtbb-dev)
find_package(OpenGL QUIET COMPONENTS OpenGL)
vextal_require(OPENGL_glx_LIBRARY libgl-dev)
vextal_require(OpenGL_OpenGL_FOUND libopengl-dev)
vextal_require(OPENGL_GLU_FOUND libglu1-mesa-dev)
find_library(VEXTAL_EGL_LIBRARY EGL)
vextal_require(VEXTAL_EGL_LIBRARY libegl-dev)
find_package(SDL2 QUIET)
vextal_require(SDL2_FOUND libsdl2-dev)
find_package(X11 QUIET)
vextal_require(X11_FOUND libx11-dev)
find_package(PNG QUIET)
vextal_require(PNG_FOUND libpng-dev)
find_package(GIF QUIET)
vextal_require(GIF_FOUND libgif-dev)
# The colour legend's font, read when a picture has a legend.
if(EXISTS /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
    set(VEXTAL_LEGEND_FONT_FOUND TRUE)
endif()
vextal_require(VEXTAL_LEGEND_FONT_FOUND fonts-dejavu-core)
# Dear ImGui's SDL2 and OpenGL2 backends come as sources with libimgui-dev.
set(VEXTAL_IMGUI_BACKENDS /usr/share/doc/libimgui-dev/examples/backends CACHE PATH
    "Folder of Dear ImGui's backend sources (imgui_impl_sdl.cpp, imgui_impl_opengl2.cpp)")
if(EXISTS ${VEXTAL_IMGUI_BACKENDS}/imgui_impl_sdl.cpp)
    set(VEXTAL_IMGUI_BACKENDS_FOUND TRUE)
endif()
vextal_require(VEXTAL_IMGUI_BACKENDS_FOUND libimgui-dev)
vextal_require_program(help2man help2man)
if(PKG_CONFIG_FOUND)
    vextal_require_module(imagequant libimagequant-dev)
    vextal_require_module(libwebp libwebp-dev)
    vextal_require_module(libwebpmux libwebp-dev)
    vextal_require_module(imgui libimgui-dev)
    vextal_require_module(stb libstb-dev)
    vextal_require_module(libisal libisal-dev)
endif()

# The fitter of vextal-fit: built only when Ceres is there (it brings Eigen).
find_package(Ceres QUIET)
if(Ceres_FOUND)
    set(VEXTAL_HAVE_CERES TRUE)
else()
    message(NOTICE "libceres-dev is missing: vextal-fit is not built (apt-get install libceres-dev)")
endif()

# The tests: their libraries, and the programs they drive and read files back
# with.
if(VEXTAL_BUILD_TESTS)
    find_package(GTest QUIET)
    vextal_require(GTest_FOUND libgtest-dev)
    find_package(nlohmann_json QUIET)
    vextal_require(nlohmann_json_FOUND nlohmann-json3-dev)
    # The 3MF packages are read back by lib3mf.
    find_path(LIB3MF_INCLUDE_DIR Model/COM/NMR_DLLInterfaces.h PATH_SUFFIXES lib3mf)
    find_library(LIB3MF_LIBRARY 3MF)
    vextal_require(LIB3MF_INCLUDE_DIR lib3mf-dev)
    vextal_require(LIB3MF_LIBRARY lib3mf-dev)
    foreach(need
            Xvfb:xvfb xdotool:xdotool xclip:xclip xwininfo:x11-utils openbox:openbox wmctrl:wmctrl
            weston:weston convert:imagemagick identify:imagemagick admesh:admesh
            assimp:assimp-utils ffprobe:ffmpeg ffmpeg:ffmpeg webpmux:webp dwebp:webp
            gifbuild:giflib-tools clang-format:clang-format node:nodejs man:man-db
            dpkg-shlibdeps:dpkg-dev lintian:lintian unzip:unzip prusa-slicer:prusa-slicer
            chromium:chromium
            update-mime-database:shared-mime-info gio:libglib2.0-bin
            desktop-file-validate:desktop-file-utils appstreamcli:appstream
            hardening-check:devscripts)
        string(REPLACE ":" ";" need ${need})
        vextal_require_program(${need})
    endforeach()
endif()

# The web page (web/) is built only where Debian's emscripten is installed.
find_program(VEXTAL_EMCMAKE emcmake)

if(VEXTAL_BUILD_FUZZ)
    find_package(nlohmann_json QUIET)
    vextal_require(nlohmann_json_FOUND nlohmann-json3-dev)
endif()

if(VEXTAL_BUILD_BENCH)
    find_package(benchmark QUIET)
    vextal_require(benchmark_FOUND libbenchmark-dev)
endif()

if(VEXTAL_MISSING_PACKAGES)
    list(REMOVE_DUPLICATES VEXTAL_MISSING_PACKAGES)
    list(JOIN VEXTAL_MISSING_PACKAGES " " VEXTAL_MISSING_LIST)
    message(FATAL_ERROR "apt-get install ${VEXTAL_MISSING_LIST} "
        "(the tests' and benchmarks' own stay out with -DVEXTAL_BUILD_TESTS=OFF -DVEXTAL_BUILD_BENCH=OFF)")
endif()
