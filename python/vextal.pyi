"""Type hints of the module vextal (built from python/*.cpp)."""

import os
from typing import Literal, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

Path = Union[str, bytes, os.PathLike]
Surface = Literal["spheric", "toric", "harmonic", "typed"]
Unit = Literal["micron", "millimeter", "centimeter", "inch", "foot", "meter"]
# Taken in any case, as the tools take them ("GAUSSIAN").
ColourMode = Literal["gaussian", "mean", "height", "radius", "parameter"]
# NumPy's numbers (numpy.int64, numpy.float32, 0-d arrays) are taken too.
Whole = Union[int, np.integer]
Real = Union[float, int, np.floating, np.integer]
Background = Optional[str]  # 'black', '#rrggbb', 'none' or None: transparent

class SceneError(ValueError):
    """A scene the loader refuses: where (path, line) and why (the message)."""

    path: Optional[str]
    line: Optional[int]
    def __init__(self, message: str, path: Optional[str] = ..., line: Optional[int] = ...) -> None: ...

class Scene:
    """Mutable, so not hashable; copies and pickles through its text."""

    surface: Surface
    slices: int
    rotations: int
    closed: bool
    phi_range: Tuple[float, float]
    theta_range: Tuple[float, float]
    coef1: Tuple[float, float, float, float, float, float]
    coef2: Tuple[float, float, float, float, float, float]
    coefh: Tuple[float, float, float, float, float, float, float, float]
    # A typed surface's (surface "typed"); others raise ValueError.
    x: str
    y: str
    z: str
    u_range: Tuple[float, float]
    v_range: Tuple[float, float]
    params: dict[str, Tuple[float, float, float]]
    @staticmethod
    def parametric(
        x: str,
        y: str,
        z: str,
        u: Tuple[float, float],
        v: Tuple[float, float],
        params: dict[str, Union[float, Tuple[float, float, float]]] = ...,
        *,
        slices: Optional[int] = ...,
        rotations: Optional[int] = ...,
    ) -> "Scene": ...
    @property
    def path(self) -> Optional[str]: ...
    def __init__(
        self,
        surface: Surface = "toric",
        *,
        slices: Optional[Whole] = None,
        rotations: Optional[Whole] = None,
        closed: Optional[bool] = None,
        phi_range: Optional[Sequence[Real]] = None,
        theta_range: Optional[Sequence[Real]] = None,
        coef1: Optional[Sequence[Real]] = None,
        coef2: Optional[Sequence[Real]] = None,
        coefh: Optional[Sequence[Real]] = None,
    ) -> None: ...
    @staticmethod
    def from_text(text: str) -> Scene: ...
    def text(self) -> str: ...
    def mesh(self, grid: Optional[Tuple[Whole, Whole]] = None, threads: Optional[Whole] = None) -> Mesh: ...
    def picture(
        self,
        size: Tuple[Whole, Whole] = (480, 360),
        turn: Optional[Tuple[Real, Real]] = None,
        distance: Optional[Real] = None,
        fill: bool = False,
        samples: Whole = 1,
        background: Background = "black",
        wireframe: bool = False,
        grid: Optional[Tuple[Whole, Whole]] = None,
        threads: Optional[Whole] = None,
        colour: Optional[Union[Literal["plain"], ColourMode]] = None,
        range: Optional[Tuple[Real, Real]] = None,
        legend: bool = False,
        values: Optional[npt.ArrayLike] = None,
    ) -> npt.NDArray[np.uint8]: ...
    def _repr_png_(self) -> bytes: ...
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> Scene: ...
    def __deepcopy__(self, memo: object) -> Scene: ...

class Mesh:
    @property
    def vertices(self) -> npt.NDArray[np.float32]: ...
    @property
    def normals(self) -> npt.NDArray[np.float32]: ...
    @property
    def triangles(self) -> npt.NDArray[np.uint32]: ...
    @property
    def grid(self) -> Tuple[int, int]: ...
    @property
    def scene(self) -> Scene: ...
    def colour(
        self, mode: ColourMode, range: Optional[Tuple[Real, Real]] = None
    ) -> Colours: ...
    def picture(
        self,
        size: Tuple[Whole, Whole] = (480, 360),
        turn: Optional[Tuple[Real, Real]] = None,
        distance: Optional[Real] = None,
        fill: bool = False,
        samples: Whole = 1,
        background: Background = "black",
        wireframe: bool = False,
        threads: Optional[Whole] = None,
        colour: Optional[Union[Literal["plain"], ColourMode]] = None,
        range: Optional[Tuple[Real, Real]] = None,
        legend: bool = False,
        values: Optional[npt.ArrayLike] = None,
    ) -> npt.NDArray[np.uint8]: ...

class Colours:
    @property
    def values(self) -> npt.NDArray[np.float32]: ...
    @property
    def rgb(self) -> npt.NDArray[np.uint8]: ...
    @property
    def mode(self) -> str: ...
    @property
    def range(self) -> Tuple[float, float]: ...

def load(path: Path) -> Scene: ...
def export(
    scene_or_mesh: Union[Scene, Mesh],
    path: Path,
    unit: Optional[Unit] = None,
    fit: Optional[Real] = None,
    scale: Optional[Real] = None,
    weld: bool = False,
    grid: Optional[Tuple[Whole, Whole]] = None,
    threads: Optional[Whole] = None,
    colour: Optional[Union[Literal["plain"], ColourMode]] = None,
    range: Optional[Tuple[Real, Real]] = None,
    colours: Optional[Whole] = None,
) -> None: ...
def png(array: npt.NDArray[np.uint8]) -> bytes: ...
def write_png(path: Path, array: npt.NDArray[np.uint8]) -> None: ...
def animate(
    scene: Scene,
    path: Path,
    to: Optional[Scene] = None,
    frames: Whole = 72,
    fps: Real = 24,
    size: Tuple[Whole, Whole] = (480, 360),
    turn: Optional[Tuple[Real, Real]] = None,
    distance: Optional[Real] = None,
    samples: Whole = 1,
    background: Background = "black",
    wireframe: bool = False,
    bounce: bool = False,
    turntable: Optional[bool] = None,
    quality: Optional[Whole] = None,
    format: Optional[Literal["gif", "webp", "mp4", "png"]] = None,
    grid: Optional[Tuple[Whole, Whole]] = None,
    threads: Optional[Whole] = None,
    colour: Optional[Union[Literal["plain"], ColourMode]] = None,
    range: Optional[Tuple[Real, Real]] = None,
    legend: bool = False,
) -> None: ...

# Only in a module built where Ceres is installed (as vextal-fit).
class Curve:
    """A superformula curve r(phi) placed in the plane."""

    n1: float
    n2: float
    n3: float
    m: float
    a: float
    b: float
    rotation: float
    centre: Tuple[float, float]
    scale: float
    def points(self, count: Whole = 1024) -> npt.NDArray[np.float64]: ...
    def scene(self) -> Scene: ...

class CurveReport:
    """How well a curve fits, in the points' units."""

    rms: float
    largest: float
    size: float
    within_one_percent: float
    converged: bool
    iterations: int
    starts: int
    seconds: float
    points: int
    not_finite: int

def fit_curve(
    points: npt.ArrayLike,
    *,
    symmetry: Optional[Whole] = None,
    fix: dict[str, Real] = ...,
    robust: bool = False,
    threads: Optional[Whole] = None,
    seed: Whole = 1,
) -> Tuple[Curve, CurveReport]: ...

class FitReport:
    """How well a surface fits, in the points' units."""

    rms: float
    largest: float
    size: float
    within_one_percent: float
    converged: bool
    iterations: int
    starts: int
    seconds: float
    points: int
    not_finite: int
    solver_message: str

def fit(
    points: npt.ArrayLike,
    surface: Union[Literal["spheric", "toric", "harmonic"], Scene] = "spheric",
    *,
    symmetry: Optional[Whole] = None,
    fix: Optional[dict[str, Real]] = None,
    robust: bool = False,
    threads: Optional[Whole] = None,
    seed: Whole = 1,
) -> Tuple[Scene, FitReport]: ...
