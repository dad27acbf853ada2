"""Reads .zel high-speed camera movies into numpy arrays, dask and xarray.

    import zeltiff16
    with zeltiff16.open("shot.zel") as movie:
        print(movie)                          # path, frames, size, dtype, correction
        first = movie[0]                      # (height, width)
        crop = movie[100:200, 0:64, 0:64]     # only frames 100..199 are read
        mean = movie.to_dask().mean(axis=0).compute()   # on every core
        series = movie.to_xarray()            # dims (time, y, x), trigger-relative time

The frames hold the samples the command-line tool converts and measures: decoded and,
unless open() is told otherwise, corrected with the movie's correction data.
"""
from __future__ import annotations

import os
import sys
import warnings
from typing import TYPE_CHECKING, Any, Callable, Iterable, Iterator, Union

import numpy

from . import _indexing, _lazy
from ._zeltiff16 import AoiHistogram, ChannelStatistics, ColourStatistics
from ._zeltiff16 import __version__
from ._zeltiff16 import open as _open_reader

if TYPE_CHECKING:
    import dask.array
    import xarray

# `open` stays out of __all__: `from zeltiff16 import *` must not hide the built-in open.
__all__ = ["Movie", "ChannelStatistics", "ColourStatistics", "AoiHistogram"]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
Rect = tuple[int, int, int, int]
Progress = Callable[[int, int], Any]


def open(path: PathLike, correction: bool = True, black_reference: PathLike | None = None) -> Movie:
    """Opens a movie file and returns a Movie (the same as Movie(path, ...)).

    correction: apply the movie's correction data to the frames read (a RuntimeWarning
    says so when the data the movie has cannot be used).
    black_reference: path of a dark movie whose averaged frames replace the correction
    offsets (black balance); needs correction.

    Raises OSError when the file cannot be opened (FileNotFoundError, PermissionError,
    ...), ValueError when it is not a readable movie or the black reference cannot be
    applied, with the reason.
    """
    return Movie(path, correction=correction, black_reference=black_reference)


class Movie:
    """An open movie: a read-only, lazily read array of (frames, height, width).

    Frames are numpy arrays of the corrected samples, dtype uint16 (uint8 for 8-bit
    movies). Indexing follows numpy and reads only the frames it needs:

        movie[i]                 frame i, (height, width); negative i counts from the end
        movie[a:b:s]             (n, height, width); negative steps too
        movie[[1, 5, 9]]         the frames listed
        movie[i, y0:y1, x0:x1]   a crop, cut from each frame as it is read
        movie[..., ::2]          every other column of every frame
        numpy.asarray(movie)     every frame, as fast as movie[:]
        for frame in movie       every frame in order, read straight through the file
        movie.read(i, out=a)     frame i into the existing array a

    A Movie is used by one thread at a time: a call made while another thread's call on
    the same Movie is running raises RuntimeError ("Movie is in use by another thread").
    Reads release the interpreter lock, so separate Movie objects, even of the same file,
    read in parallel; to_dask() gives each worker thread its own reader. A Movie pickles
    as its path and options and reopens the file where it is unpickled.

    After close() (or the end of a with block) every call but close() raises ValueError.
    """

    def __init__(self, path: PathLike, correction: bool = True, black_reference: PathLike | None = None):
        self._path = os.fspath(path)
        self._black_reference = None if black_reference is None else os.fspath(black_reference)
        self._correction = bool(correction)
        self._pixel_size_text: str | None = None
        self._movie = _open_reader(self._path, self._correction, self._black_reference)
        self._readers = _lazy.ThreadReaders(self._reopen_reader)
        note = self._movie.correction_note
        if self._correction and note is not None:
            via_open = sys._getframe(1).f_code is open.__code__  # point the warning at the caller's line
            warnings.warn(f"{os.fsdecode(self._path)}: opened without correction: {note}", RuntimeWarning,
                          stacklevel=3 if via_open else 2)

    # ---- what the movie is ----

    @property
    def path(self) -> str | bytes:
        """The path the movie was opened with."""
        return self._path

    @property
    def params(self) -> dict[str, int | str]:
        """The recording parameters: a new dict with the keys, order and values of
        `zeltiff16-cli info --json`."""
        return self._movie.params

    @property
    def shape(self) -> tuple[int, int, int]:
        """(frames, height, width)"""
        return self._movie.shape

    @property
    def dtype(self) -> numpy.dtype:
        """numpy.uint16, or numpy.uint8 for 8-bit movies."""
        return self._movie.dtype

    @property
    def ndim(self) -> int:
        """3: frames, rows, columns."""
        return 3

    @property
    def size(self) -> int:
        """The number of samples in all frames."""
        frames, height, width = self.shape
        return frames * height * width

    @property
    def nbytes(self) -> int:
        """Bytes that every frame read into one array takes."""
        return self.size * self.dtype.itemsize

    @property
    def frame_period(self) -> float | None:
        """Seconds from one frame to the next, or None when the movie does not say."""
        return self._movie.frame_period

    @property
    def frame_numbers(self) -> numpy.ndarray:
        """The camera's number of each frame the file holds (int64; 0 is the trigger's
        frame), from the recording's segment table."""
        return self._movie.frame_numbers

    @property
    def times(self) -> numpy.ndarray | None:
        """Seconds from the trigger of each frame the file holds (float64: frame number
        times the exact frame period; negative before the trigger), or None when the rate
        is unknown."""
        return self._movie.times

    @property
    def corrected(self) -> bool:
        """True when frames are read with the movie's correction data applied."""
        return self._movie.corrected

    @property
    def correction_note(self) -> str | None:
        """Why correction data the movie has could not be used, or None."""
        return self._movie.correction_note

    @property
    def closed(self) -> bool:
        return self._movie.closed

    @property
    def pixel_size(self) -> tuple[float, str] | None:
        """The size of one pixel on the object, as (size, unit), or None.

        Set it with a text such as "12.5um", "0.1 mm" or "2e-3cm", or a (size, unit) as
        another movie's pixel_size gives it; None clears it. It reaches profiles'
        positions, stacks' resolution and the video scale bar.
        """
        return self._movie.pixel_size

    @pixel_size.setter
    def pixel_size(self, value: str | tuple[float, str] | None) -> None:
        if isinstance(value, tuple):  # as the getter gives it, so that it can be copied over
            size, unit = value
            value = f"{size!r}{unit}"
        self._movie.pixel_size = value  # type: ignore[assignment]  # a text in, a tuple out
        self._pixel_size_text = value

    def frame_header(self, index: int) -> tuple[int, ...] | None:
        """The twelve per-frame header values of a frame as stored (their meaning is not
        settled), or None for movies without per-frame headers."""
        return self._movie.frame_header(index)

    # ---- frames ----

    def __len__(self) -> int:
        return self.shape[0]

    def __getitem__(self, key: Any) -> numpy.ndarray:
        """movie[key] as numpy gives array[key] for an array of every frame; a new array."""
        return _indexing.read(key, self.shape, self.dtype, self._movie.read_selection)

    def __array__(self, dtype: Any = None, copy: bool | None = None) -> numpy.ndarray:
        frames = self[:]
        return frames if dtype is None else frames.astype(dtype, copy=False)

    def __iter__(self) -> Iterator[numpy.ndarray]:
        return iter(self._movie)

    def read(self, index: int, out: numpy.ndarray | None = None) -> numpy.ndarray:
        """Reads frame `index` into `out` and returns it; `out` must be a writable,
        C-contiguous array of the movie's dtype and (height, width) (TypeError for another
        dtype, ValueError otherwise). Without `out`, returns a new array as movie[index]."""
        return self._movie.read(index, out)

    # ---- measurements ----

    def aoi_statistics(self, frame: int, rect: Rect) -> ChannelStatistics | ColourStatistics:
        """Statistics of the corrected samples of one frame in a rectangle.

        rect = (x0, y0, x1, y1) names two opposite corners, both inside the frame
        (ValueError otherwise); the rectangle includes them. Returns the figures of the
        command-line tool's `aoi` CSV row for that frame:
          monochrome movie: ChannelStatistics(average, minimum, maximum)
          colour mosaic:    ColourStatistics(red, green, blue), each a ChannelStatistics
        Each ChannelStatistics also carries count (pixels), mean, std (n - 1; nan for
        fewer than 2 pixels), min and max (the true extremes) as attributes.
        """
        return self._movie.aoi_statistics(frame, rect)

    def aoi_histogram(self, frame: int, rect: Rect) -> AoiHistogram:
        """The histogram of the corrected samples of one frame in a rectangle, as the
        window's histogram shows it: AoiHistogram(counts, edges, below, above)."""
        return self._movie.aoi_histogram(frame, rect)

    def profile(self, frame: int, line: Rect) -> numpy.ndarray:
        """The corrected samples of one frame along line = (x0, y0, x1, y1), one per step of
        the longer axis, the end point excluded: int16, the `profile` CSV row's values."""
        return self._movie.profile(frame, line)

    def kymograph(self, line: Rect, start: int | None = None, end: int | None = None) -> numpy.ndarray:
        """The profile of a line over frames start..end (both included; every frame the
        file holds by default), one int16 row per frame: the `kymograph` command's image."""
        return self._movie.kymograph(line, start, end)

    # ---- writers ----

    def save_tiff_stack(self, path: PathLike, start: int | None = None, end: int | None = None, *,
                        bits: int = 16, bigtiff: bool = False, progress: Progress | None = None) -> None:
        """Writes frames start..end (both included; every frame by default) as one
        multi-page TIFF, as `zeltiff16-cli convert --stack` does. progress(done, total) is
        called after each frame. Nothing is left at path (an older file stays) when the
        write fails or is interrupted."""
        self._movie.save_tiff_stack(path, start, end, bits, bigtiff, progress)

    def save_video(self, path: PathLike, start: int | None = None, end: int | None = None, *,
                   codec: str | None = None, fps: float | str | None = None, speed: float | str | None = None,
                   gain: int | str | None = None, overlays: Iterable[str] | None = None,
                   progress: Progress | None = None) -> None:
        """Writes frames start..end as a video, as `zeltiff16-cli video` does: .mkv is
        FFV1 (the exact 16-bit samples), .mp4 H.264 (the window's rendering at `gain`, 1..64
        or "auto"). fps or speed (of the recording) sets the rate; overlays any of "time",
        "frame", "scalebar". RuntimeError when video export is not built in."""
        self._movie.save_video(path, start, end, codec, fps, speed, gain, overlays, progress)

    # ---- dask and xarray ----

    def to_dask(self, frames_per_chunk: int | None = None) -> dask.array.Array:
        """The frames the file holds as a lazy dask array, frames_per_chunk frames per
        chunk (by default about 64 MiB of them). Each worker thread reads through its own
        reader, so computations run on every core."""
        return _lazy.to_dask(self, frames_per_chunk)

    def to_xarray(self, frames_per_chunk: int | None = None) -> xarray.DataArray:
        """The frames the file holds as a lazy xarray DataArray with dims (time, y, x),
        coordinates `time` (seconds from the trigger, when the rate is known) and
        `frame_number`, and the recording parameters as attributes."""
        return _lazy.to_xarray(self, frames_per_chunk)

    # ---- life ----

    def close(self) -> None:
        """Closes the file. Closing a closed movie does nothing."""
        self._movie.close()
        self._readers.close()

    def __enter__(self) -> Movie:
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __repr__(self) -> str:
        if self.closed:
            return f"<zeltiff16.Movie {os.fsdecode(self._path)!r} (closed)>"
        frames, height, width = self.shape
        state = "corrected" if self.corrected else "uncorrected"
        return (f"<zeltiff16.Movie {os.fsdecode(self._path)!r}: {frames} frames of {width} x {height}, "
                f"{self.dtype}, {state}>")

    def __reduce__(self) -> tuple:
        if self.closed:
            raise ValueError("a closed movie cannot be pickled")
        return (_reopen, (self._path, self._correction, self._black_reference, self._pixel_size_text))

    # The extension's movie for the calling thread: the Movie's own on the thread that
    # uses it, a reopened one on each worker thread (to_dask).
    def _reopen_reader(self):
        reader = _open_reader(self._path, self._correction, self._black_reference)
        if self._pixel_size_text is not None:
            reader.pixel_size = self._pixel_size_text  # type: ignore[assignment]
        return reader

    # For tests: the movie's claim held as a call in another thread holds it.
    def _hold(self):
        return self._movie._hold()

    @property
    def _seek_count(self) -> int:
        return self._movie._seek_count

    @property
    def _frames_read(self) -> int:
        return self._movie.frames_read


def _reopen(path: PathLike, correction: bool, black_reference: PathLike | None, pixel_size: str | None) -> Movie:
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)  # said once where the movie was opened
        movie = Movie(path, correction=correction, black_reference=black_reference)
    if pixel_size is not None:
        movie.pixel_size = pixel_size  # type: ignore[assignment]  # a text in, a tuple out
    return movie

