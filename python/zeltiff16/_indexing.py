"""numpy-style indexing of a movie, read lazily.

An index is first checked by numpy itself against a stand-in array of the movie's shape
whose strides are all zero (no memory behind it), so that every error is the one numpy
gives, with its words. Then the frames it needs are read, and only those:

* the common forms (an int, a slice or an integer array for the frames; ints and slices
  for rows and columns; Ellipsis; None where no integer array is involved) are read by
  the extension straight into the result, each frame cropped as it is read;
* any other form (integer or boolean arrays across the rows and columns, ...) reads the
  frames it touches whole and lets numpy apply the rest of the index to them.
"""
from __future__ import annotations

import operator
from typing import Any, Callable

import numpy
from numpy.lib.stride_tricks import as_strided

# (frames, rows, cols, out) -> out: the extension's read of a selection.
SelectionReader = Callable[[numpy.ndarray, tuple[int, int, int], tuple[int, int, int], numpy.ndarray], Any]


def _stand_in(shape: tuple[int, int, int]) -> numpy.ndarray:
    return as_strided(numpy.zeros(1, numpy.uint8), shape=shape, strides=(0, 0, 0), writeable=False)


def _is_integer(entry: Any) -> bool:
    if isinstance(entry, (bool, numpy.bool_)):
        return False
    try:
        operator.index(entry)
    except TypeError:
        return False
    return True


def _expand(key: tuple) -> list:
    """The index with its Ellipsis replaced by full slices (numpy has checked it)."""
    axes = 0
    for entry in key:
        if entry is None or entry is Ellipsis:
            continue
        array = numpy.asarray(entry) if isinstance(entry, (list, numpy.ndarray)) else None
        axes += array.ndim if array is not None and array.dtype == bool else 1
    expanded: list = []
    for entry in key:
        if entry is Ellipsis:
            expanded += [slice(None)] * (3 - axes)
        else:
            expanded.append(entry)
    return expanded


class _Axis:
    """What one index entry asks of one axis: a scalar, a run of a slice, or an array."""

    def __init__(self, entry: Any, size: int):
        self.scalar = False
        self.array: numpy.ndarray | None = None
        if entry is None:
            entry = slice(None)
        if isinstance(entry, slice):
            picked = range(*entry.indices(size))
            self.pick = (picked.start, picked.step, len(picked))
        elif _is_integer(entry):
            index = operator.index(entry)
            self.pick = (index + size if index < 0 else index, 1, 1)
            self.scalar = True
        else:
            self.array = numpy.asarray(entry)
            self.pick = (0, 1, 0)


def _fast_plan(key: tuple, shape: tuple[int, int, int]):
    """(frames, rows, cols, result shape) for the forms read straight into the result, or None."""
    entries = _expand(key)
    if any(isinstance(e, (bool, numpy.bool_)) for e in entries):
        return None
    axis_entries = [e for e in entries if e is not None]
    has_none = len(axis_entries) != len(entries)
    axis_entries += [slice(None)] * (3 - len(axis_entries))
    frames_entry, row_entry, col_entry = axis_entries
    if not all(isinstance(e, slice) or _is_integer(e) for e in (row_entry, col_entry)):
        return None
    frame_axis = _Axis(frames_entry, shape[0])
    if frame_axis.array is not None:
        if has_none or frame_axis.array.dtype == bool or not (
                frame_axis.array.size == 0 or numpy.issubdtype(frame_axis.array.dtype, numpy.integer)):
            return None
        if frame_axis.array.size == 0:  # numpy takes [] as an empty integer index
            frames = numpy.empty(frame_axis.array.shape, numpy.int64)
        else:
            frames = numpy.arange(shape[0])[frame_axis.array]
    else:
        start, step, count = frame_axis.pick
        frames = numpy.arange(start, start + step * count, step) if count else numpy.empty(0, numpy.int64)
    rows, cols = _Axis(row_entry, shape[1]), _Axis(col_entry, shape[2])

    result: list[int] = []
    axis_iter = iter((frame_axis, rows, cols))
    for entry in entries:
        if entry is None:
            result.append(1)
            continue
        axis = next(axis_iter)
        if axis.array is not None:
            result += list(axis.array.shape)
        elif not axis.scalar:
            result.append(axis.pick[2])
    for axis in axis_iter:  # axes the index leaves out are taken whole
        result.append(axis.pick[2])
    return frames.astype(numpy.int64).ravel(), rows.pick, cols.pick, tuple(result)


def read(key: Any, shape: tuple[int, int, int], dtype: numpy.dtype, reader: SelectionReader) -> numpy.ndarray:
    """movie[key]: a new array holding what numpy would give for an array of the frames."""
    if not isinstance(key, tuple):
        key = (key,)
    _stand_in(shape)[key]  # raises IndexError / TypeError as numpy does, reading nothing
    plan = _fast_plan(key, shape)
    if plan is not None:
        frames, rows, cols, result_shape = plan
        out = numpy.empty((len(frames), rows[2], cols[2]), dtype)
        reader(frames, rows, cols, out)
        return out.reshape(result_shape)
    return _read_general(key, shape, dtype, reader)


def _read_general(key: tuple, shape: tuple[int, int, int], dtype: numpy.dtype,
                  reader: SelectionReader) -> numpy.ndarray:
    """Reads the frames the index touches, whole, and applies the index to them."""
    entries = _expand(key)
    # A boolean array stands for the integer arrays of its nonzero(), which numpy takes
    # it as; then every entry but None and a boolean scalar indexes one axis.
    flat: list = []
    for entry in entries:
        if isinstance(entry, (list, numpy.ndarray)) and numpy.asarray(entry).dtype == bool:
            flat += list(numpy.asarray(entry).nonzero())
        else:
            flat.append(entry)
    axis_positions = [i for i, e in enumerate(flat) if e is not None and not isinstance(e, (bool, numpy.bool_))]
    if not axis_positions:
        needed = numpy.arange(shape[0])
    else:
        first = axis_positions[0]
        needed = numpy.unique(numpy.arange(shape[0])[flat[first]]).ravel()
        frame_entry = flat[first]
        if isinstance(frame_entry, slice):
            flat[first] = slice(None) if frame_entry.step is None or frame_entry.step > 0 else slice(None, None, -1)
        else:
            flat[first] = numpy.searchsorted(needed, numpy.arange(shape[0])[frame_entry])
    frames = numpy.empty((len(needed), shape[1], shape[2]), dtype)
    reader(needed.astype(numpy.int64), (0, 1, shape[1]), (0, 1, shape[2]), frames)
    result = frames[tuple(flat)]
    # A view would keep every frame read alive behind a smaller result.
    return result.copy() if numpy.may_share_memory(result, frames) else result
