#!/usr/bin/env python3
"""Writes the colour maps' 256-entry tables as C++ data files.

  colour-maps.py OUTPUT_FOLDER

The sequential map is a degree-6 polynomial fit, per channel, of a perceptually
uniform map that runs from dark blue through green to yellow. The diverging
map interpolates from blue (59, 76, 192) to red (180, 4, 38) in the Msh space
(the polar form of CIELAB), through a neutral white at the middle, so that
lightness rises evenly to the middle and falls evenly after it.
"""
import math
import pathlib
import subprocess
import sys

SEQUENTIAL = [
    (0.2777273272234177, 0.005407344544966578, 0.3340998053353061),
    (0.1050930431085774, 1.404613529898575, 1.384590162594685),
    (-0.3308618287255563, 0.214847559468213, 0.09509516302823659),
    (-4.634230498983486, -5.799100973351585, -19.33244095627987),
    (6.228269936347081, 14.17993336680509, 56.69055260068105),
    (4.776384997670288, -13.74514537774601, -65.35303263337234),
    (-5.435455855934631, 4.645852612178535, 26.3124352495832),
]


def sequential(t):
    channels = []
    for channel in range(3):
        value = 0.0
        for coefficients in reversed(SEQUENTIAL):
            value = value * t + coefficients[channel]
        channels.append(value)
    return channels


WHITE = (0.95047, 1.0, 1.08883)  # D65


def to_linear(c):
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb(c):
    return 12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055


def rgb_to_lab(rgb):
    r, g, b = (to_linear(c) for c in rgb)
    xyz = (0.4124 * r + 0.3576 * g + 0.1805 * b,
           0.2126 * r + 0.7152 * g + 0.0722 * b,
           0.0193 * r + 0.1192 * g + 0.9505 * b)

    def f(t):
        return t ** (1 / 3) if t > 0.008856 else 7.787 * t + 16 / 116

    fx, fy, fz = (f(c / w) for c, w in zip(xyz, WHITE))
    return 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)


def lab_to_rgb(lab):
    l, a, b = lab
    fy = (l + 16) / 116
    fx, fz = fy + a / 500, fy - b / 200

    def g(t):
        return t ** 3 if t ** 3 > 0.008856 else (t - 16 / 116) / 7.787

    x, y, z = (g(t) * w for t, w in zip((fx, fy, fz), WHITE))
    linear = (3.2406 * x - 1.5372 * y - 0.4986 * z,
              -0.9689 * x + 1.8758 * y + 0.0415 * z,
              0.0557 * x - 0.2040 * y + 1.0570 * z)
    return [to_srgb(min(max(c, 0.0), 1.0)) for c in linear]


def lab_to_msh(lab):
    l, a, b = lab
    m = math.sqrt(l * l + a * a + b * b)
    return m, math.acos(l / m), math.atan2(b, a)


def msh_to_lab(msh):
    m, s, h = msh
    return m * math.cos(s), m * math.sin(s) * math.cos(h), m * math.sin(s) * math.sin(h)


def adjust_hue(msh, unsaturated_m):
    m, s, h = msh
    if m >= unsaturated_m:
        return h
    spin = s * math.sqrt(unsaturated_m ** 2 - m ** 2) / (m * math.sin(s))
    return h + spin if h > -math.pi / 3 else h - spin


def diverging(t, low=(59, 76, 192), high=(180, 4, 38)):
    m1, s1, h1 = lab_to_msh(rgb_to_lab([c / 255 for c in low]))
    m2, s2, h2 = lab_to_msh(rgb_to_lab([c / 255 for c in high]))
    if s1 > 0.05 and s2 > 0.05 and abs(h1 - h2) > math.pi / 3:
        middle = max(m1, m2, 88.0)
        if t < 0.5:
            m2, s2, h2, t = middle, 0.0, 0.0, 2 * t
        else:
            m1, s1, h1, t = middle, 0.0, 0.0, 2 * t - 1
    if s1 < 0.05 and s2 > 0.05:
        h1 = adjust_hue((m2, s2, h2), m1)
    elif s2 < 0.05 and s1 > 0.05:
        h2 = adjust_hue((m1, s1, h1), m2)
    msh = ((1 - t) * m1 + t * m2, (1 - t) * s1 + t * s2, (1 - t) * h1 + t * h2)
    return lab_to_rgb(msh_to_lab(msh))


def table(name, comment, colour):
    rows = []
    for i in range(256):
        r, g, b = (round(min(max(c, 0.0), 1.0) * 255) for c in colour(i / 255))
        rows.append(f"    {{{r}, {g}, {b}}},")
    return ("// Written by scripts/colour-maps.py; do not edit.\n"
            f"// {comment}\n\n"
            '#include "colour/ColourMaps.h"\n\n'
            "namespace Vextal {\n\n"
            f"const ColourTable {name} = {{{{\n" + "\n".join(rows) + "\n}};\n\n"
            "} // namespace Vextal\n")


def main():
    folder = pathlib.Path(sys.argv[1])
    written = [folder / "SequentialMap.cpp", folder / "DivergingMap.cpp"]
    written[0].write_text(table(
        "sequentialMap", "Perceptually uniform, dark blue through green to yellow.", sequential))
    written[1].write_text(table(
        "divergingMap", "Blue through a neutral white to red, even in lightness either side.",
        diverging))
    # Laid out as every other source file.
    subprocess.run(["clang-format", "-i", *map(str, written)], check=True)


if __name__ == "__main__":
    main()
