"""dask and xarray views of a movie: equal to the frames, lazy, read by a reader per
worker thread, and imported only when asked for."""
import os
import subprocess
import sys
import threading

import dask
import numpy
import pytest

import zeltiff16


@pytest.fixture(scope="module")
def movie(tools):
    with zeltiff16.open(tools.movie(width=64, height=32, frames=23, format=4, correction=9)) as opened:
        yield opened


def test_dask_array_equals_the_frames_and_reads_on_every_worker_thread(movie):
    frames = movie[:]
    before = movie._frames_read
    lazy = movie.to_dask(frames_per_chunk=5)
    assert (lazy.shape, lazy.dtype, lazy.chunks[0]) == (frames.shape, frames.dtype, (5, 5, 5, 5, 3))
    assert movie._frames_read == before  # nothing read until computed

    workers = set()
    original = zeltiff16._lazy._read_chunk
    both_reading = threading.Barrier(2, timeout=30)  # the first two chunks must be read at once

    def noting_thread(*args):
        first_two = len(workers) < 2 and threading.get_ident() not in workers
        workers.add(threading.get_ident())
        if first_two:
            both_reading.wait()
        return original(*args)

    zeltiff16._lazy._read_chunk = noting_thread
    try:
        lazy = movie.to_dask(frames_per_chunk=2)
        with dask.config.set(scheduler="threads", num_workers=2):
            numpy.testing.assert_array_equal(lazy.compute(), frames)
            numpy.testing.assert_allclose(lazy.mean(axis=0).compute(), frames.mean(axis=0))
            numpy.testing.assert_array_equal(lazy[3:9, 4:8, ::3].compute(), frames[3:9, 4:8, ::3])
    finally:
        zeltiff16._lazy._read_chunk = original
    assert len(workers) == 2 and len(movie._readers._all) >= 2
    assert movie._frames_read == before  # the Movie's own reader was not used


def test_dask_in_worker_processes_reopens_the_pickled_movie(movie):
    with dask.config.set(scheduler="processes", num_workers=2):
        total = movie.to_dask(frames_per_chunk=8).sum(axis=(1, 2), dtype=numpy.int64).compute()
    numpy.testing.assert_array_equal(total, movie[:].sum(axis=(1, 2), dtype=numpy.int64))


def test_chunk_sizes_are_checked_and_a_closed_movie_refused(tools):
    movie = zeltiff16.open(tools.movie(frames=3))
    assert movie.to_dask().chunks[0] == (3,)  # the default chunk holds many small frames
    with pytest.raises(ValueError, match="at least 1"):
        movie.to_dask(0)
    with pytest.raises(TypeError, match="int"):
        movie.to_dask(2.5)
    lazy = movie.to_dask(1)
    movie.close()
    with pytest.raises(ValueError, match="closed"):
        movie.to_dask()
    with pytest.raises(ValueError, match="closed"):
        lazy.compute(scheduler="synchronous")


def test_xarray_has_trigger_time_frame_numbers_and_the_parameters(movie):
    data = movie.to_xarray(frames_per_chunk=4)
    assert data.dims == ("time", "y", "x") and data.shape == movie.shape
    numpy.testing.assert_array_equal(data["time"], movie.times)
    numpy.testing.assert_array_equal(data["frame_number"], movie.frame_numbers)
    assert data["time"].attrs["units"] == "s"
    params = movie.params
    assert {key: data.attrs[key] for key in params} == params and data.attrs["corrected"] == 1
    numpy.testing.assert_array_equal(data.isel(time=5).values, movie[5])
    first = float(movie.times[2])
    numpy.testing.assert_array_equal(data.sel(time=first).values, movie[2])
    numpy.testing.assert_allclose(data[:, 2:6, 3:9].mean(("y", "x")).values,
                                  movie[:, 2:6, 3:9].mean(axis=(1, 2)))


def test_dask_and_xarray_are_imported_only_when_asked_for(movie):
    script = ("import sys, zeltiff16\n"
              f"m = zeltiff16.open({movie.path!r}); m[0]; m[:, 0:2]\n"
              "assert not {'dask', 'xarray'} & set(sys.modules), sorted(sys.modules)\n"
              "m.to_xarray(); assert {'dask', 'xarray'} <= set(sys.modules)\n")
    subprocess.run([sys.executable, "-c", script], check=True, env=os.environ.copy())
