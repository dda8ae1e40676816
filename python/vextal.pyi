"""Type hints of the module vextal (built from python/*.cpp)."""

import os
from typing import Literal, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

__version__: str

Path = Union[str, bytes, os.PathLike]
Surface = Literal["spheric", "toric", "harmonic"]
Unit = Literal["micron", "millimeter", "centimeter", "inch", "foot", "meter"]
ColourMode = Literal["gaussian", "mean", "height", "radius", "parameter"]

class SceneError(ValueError):
    """A scene the loader refuses: where (path, line) and why (the message)."""

    path: Optional[str]
    line: Optional[int]
    def __init__(self, message: str, path: Optional[str] = ..., line: Optional[int] = ...) -> None: ...

class Scene:
    surface: Surface
    slices: int
    rotations: int
    closed: bool
    phi_range: Tuple[float, float]
    theta_range: Tuple[float, float]
    coef1: Tuple[float, float, float, float, float, float]
    coef2: Tuple[float, float, float, float, float, float]
    coefh: Tuple[float, float, float, float, float, float, float, float]
    @property
    def path(self) -> Optional[str]: ...
    def __init__(
        self,
        surface: Surface = "toric",
        *,
        slices: Optional[int] = None,
        rotations: Optional[int] = None,
        closed: Optional[bool] = None,
        phi_range: Optional[Sequence[float]] = None,
        theta_range: Optional[Sequence[float]] = None,
        coef1: Optional[Sequence[float]] = None,
        coef2: Optional[Sequence[float]] = None,
        coefh: Optional[Sequence[float]] = None,
    ) -> None: ...
    @staticmethod
    def from_text(text: str) -> Scene: ...
    def text(self) -> str: ...
    def mesh(self, grid: Optional[Tuple[int, int]] = None, threads: Optional[int] = None) -> Mesh: ...
    def picture(
        self,
        size: Tuple[int, int] = (480, 360),
        turn: Optional[Tuple[float, float]] = None,
        distance: Optional[float] = None,
        fill: bool = False,
        samples: int = 1,
        background: Optional[str] = "black",
        wireframe: bool = False,
        grid: Optional[Tuple[int, int]] = None,
        threads: Optional[int] = None,
    ) -> npt.NDArray[np.uint8]: ...
    def _repr_png_(self) -> bytes: ...
    def __eq__(self, other: object) -> bool: ...

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
        self, mode: ColourMode, range: Optional[Tuple[float, float]] = None
    ) -> Colours: ...

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
    fit: Optional[float] = None,
    scale: Optional[float] = None,
    weld: bool = False,
    grid: Optional[Tuple[int, int]] = None,
    threads: Optional[int] = None,
    colour: Optional[Union[Literal["plain"], ColourMode]] = None,
    range: Optional[Tuple[float, float]] = None,
    colours: Optional[int] = None,
) -> None: ...
def animate(
    scene: Scene,
    path: Path,
    to: Optional[Scene] = None,
    frames: int = 72,
    fps: float = 24,
    size: Tuple[int, int] = (480, 360),
    turn: Optional[Tuple[float, float]] = None,
    distance: Optional[float] = None,
    samples: int = 1,
    background: Optional[str] = "black",
    wireframe: bool = False,
    bounce: bool = False,
    turntable: Optional[bool] = None,
    quality: Optional[int] = None,
    format: Optional[Literal["gif", "webp", "mp4", "png"]] = None,
    grid: Optional[Tuple[int, int]] = None,
    threads: Optional[int] = None,
) -> None: ...
