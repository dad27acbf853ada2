"""A movie as a lazy dask array or xarray DataArray.

Each chunk is a run of whole frames read by one task. A reader serves one thread at a
time, so the tasks read through ThreadReaders: a reader of the same file and options per
worker thread, opened on its first task and kept for the rest. Elsewhere (a process pool,
a cluster) the Movie travels pickled, as its path and options, and reopens the file.

dask and xarray are imported only here, when asked for.
"""
from __future__ import annotations

import os
import threading
from typing import TYPE_CHECKING, Any, Callable

import numpy

if TYPE_CHECKING:
    from . import Movie

# Chunks of about this many bytes: large enough that a task's overhead does not count,
# small enough that a few per core fit in memory.
CHUNK_BYTES = 64 << 20


class ThreadReaders:
    """One extension reader per thread, made by `open_reader` on first use; close() closes all."""

    def __init__(self, open_reader: Callable[[], Any]):
        self._open_reader = open_reader
        self._local = threading.local()
        self._lock = threading.Lock()
        self._all: list = []
        self._closed = False

    def get(self):
        reader = getattr(self._local, "reader", None)
        if reader is None:
            with self._lock:
                if self._closed:
                    raise ValueError("I/O operation on a closed movie")
            reader = self._open_reader()
            with self._lock:
                if self._closed:  # closed while this one was being opened
                    reader.close()
                    raise ValueError("I/O operation on a closed movie")
                self._all.append(reader)
            self._local.reader = reader
        return reader

    def close(self) -> None:
        with self._lock:
            self._closed = True
            readers, self._all = self._all, []
        for reader in readers:
            reader.close()


def _read_chunk(movie: Movie, start: int, stop: int) -> numpy.ndarray:
    reader = movie._readers.get()
    _, height, width = reader.shape
    out = numpy.empty((stop - start, height, width), reader.dtype)
    reader.read_selection(numpy.arange(start, stop, dtype=numpy.int64), (0, 1, height), (0, 1, width), out)
    return out


def _frames_held(movie: Movie) -> int:
    # A file cut short holds fewer frames than its header counts; a dask array of the
    # missing ones could never be computed.
    return len(movie.frame_numbers)


def _chunk_frames(movie: Movie, frames_per_chunk: int | None) -> int:
    if frames_per_chunk is None:
        frame_bytes = max(1, movie.shape[1] * movie.shape[2] * movie.dtype.itemsize)
        return max(1, CHUNK_BYTES // frame_bytes)
    if isinstance(frames_per_chunk, bool) or not isinstance(frames_per_chunk, (int, numpy.integer)):
        raise TypeError(f"frames_per_chunk must be an int, not {type(frames_per_chunk).__name__}")
    if frames_per_chunk < 1:
        raise ValueError(f"frames_per_chunk must be at least 1, not {frames_per_chunk}")
    return int(frames_per_chunk)


def to_dask(movie: Movie, frames_per_chunk: int | None = None):
    import dask.array
    from dask.base import tokenize

    if movie.closed:
        raise ValueError("I/O operation on a closed movie")
    per_chunk = _chunk_frames(movie, frames_per_chunk)
    frames, height, width = _frames_held(movie), movie.shape[1], movie.shape[2]
    if frames == 0:
        return dask.array.zeros((0, height, width), dtype=movie.dtype, chunks=(1, height, width))
    starts = list(range(0, frames, per_chunk))
    sizes = tuple(min(per_chunk, frames - start) for start in starts)
    stat = os.stat(movie.path)
    name = "zeltiff16-" + tokenize(os.fspath(movie.path), movie.corrected, movie._black_reference,
                                   stat.st_size, stat.st_mtime_ns, per_chunk)
    graph = {(name, i, 0, 0): (_read_chunk, movie, start, start + size)
             for i, (start, size) in enumerate(zip(starts, sizes))}
    return dask.array.Array(graph, name, (sizes, (height,), (width,)), dtype=movie.dtype)


def to_xarray(movie: Movie, frames_per_chunk: int | None = None):
    import xarray

    data = to_dask(movie, frames_per_chunk)
    coords: dict[str, Any] = {"frame_number": ("time", movie.frame_numbers)}
    times = movie.times
    if times is not None:
        coords["time"] = ("time", times, {"units": "s", "long_name": "time from the trigger"})
    attrs: dict[str, Any] = dict(movie.params)
    attrs["corrected"] = int(movie.corrected)
    if movie.pixel_size is not None:
        attrs["pixel_size"], attrs["pixel_unit"] = movie.pixel_size
    return xarray.DataArray(data, dims=("time", "y", "x"), coords=coords, attrs=attrs,
                            name=os.path.basename(os.fsdecode(movie.path)))
