import tracemalloc

import numpy
import pytest

import zeltiff16

FRAME_MOVIES = [
    dict(format=6),
    dict(format=4, correction=9),
    dict(format=0, correction=6, headers="before"),
    dict(older=True, format=0, correction=3),
    dict(older=True, format=1, big_endian=True, headers="after"),
    dict(format=2, correction=0),
]


@pytest.mark.parametrize("options", FRAME_MOVIES, ids=str)
def test_frames_are_the_converted_tiff_pixels(tools, options):
    path = tools.movie(frames=4, **options)
    expected = tools.frames(path, 0, 3)
    with zeltiff16.open(path) as movie:
        for n, tiff in enumerate(expected):
            frame = movie[n]
            assert frame.dtype == tiff.dtype == numpy.uint16
            numpy.testing.assert_array_equal(frame, tiff)


def test_eight_bit_frames(tools):
    path = tools.movie(frames=3, format=-1)
    expected = tools.frames(path, 0, 2, bits=8)
    with zeltiff16.open(path) as movie:
        numpy.testing.assert_array_equal(movie[0:3], numpy.stack(expected))
        assert movie[0].dtype == movie[0:3].dtype == numpy.uint8
        assert movie.read(1, out=numpy.empty((32, 64), numpy.uint8)).dtype == numpy.uint8
        with pytest.raises(TypeError, match="uint8"):
            movie.read(1, out=numpy.empty((32, 64), numpy.uint16))


def test_without_correction_and_with_a_black_reference(tools):
    path = tools.movie(frames=3, format=6, correction=9)
    dark = tools.movie(frames=4, format=6, correction=0, pattern="gradient")
    with zeltiff16.open(path, correction=False) as movie:
        assert not movie.corrected
        numpy.testing.assert_array_equal(movie[0:3], numpy.stack(tools.frames(path, 0, 2, options=["--no-correction"])))
    with zeltiff16.open(path, black_reference=dark) as movie:
        assert movie.corrected
        balanced = numpy.stack(tools.frames(path, 0, 2, options=["--black-reference", dark]))
        numpy.testing.assert_array_equal(movie[0:3], balanced)
        assert not numpy.array_equal(balanced, numpy.stack(tools.frames(path, 0, 2)))


def test_indexes_and_slices(tools):
    with zeltiff16.open(tools.movie(frames=7, format=6)) as movie:
        frames = [movie[n] for n in range(7)]
        assert not numpy.array_equal(frames[0], frames[1])
        numpy.testing.assert_array_equal(movie[-1], frames[6])
        numpy.testing.assert_array_equal(movie[-7], frames[0])
        numpy.testing.assert_array_equal(movie[numpy.int64(2)], frames[2])
        for key in [slice(None), slice(1, 6, 2), slice(None, None, -3), slice(5, 1, -1), slice(-2, 99), slice(4, 4)]:
            stack = movie[key]
            picked = range(7)[key]
            assert stack.shape == (len(picked), 32, 64) and stack.dtype == numpy.uint16
            for got, n in zip(stack, picked):
                numpy.testing.assert_array_equal(got, frames[n])
        for index in (7, -8, 2**70):
            with pytest.raises(IndexError):
                movie[index]
        for index in (1.0, "0"):
            with pytest.raises(IndexError, match="only integers, slices"):
                movie[index]


def test_read_fills_the_callers_array_in_place(tools):
    with zeltiff16.open(tools.movie(width=512, height=256, frames=3, format=6)) as movie:
        out = numpy.zeros(movie.shape[1:], movie.dtype)
        address = out.__array_interface__["data"][0]
        movie.read(0, out=out)  # the reader's own buffers are set up by the first read
        tracemalloc.start()
        try:
            for n in (2, 0, -2):
                assert movie.read(n, out=out) is out
                numpy.testing.assert_array_equal(out, movie[n])
                tracemalloc.reset_peak()
                movie.read(n, out=out)
                assert tracemalloc.get_traced_memory()[1] < out.nbytes // 8
        finally:
            tracemalloc.stop()
        assert out.__array_interface__["data"][0] == address

        stack = numpy.zeros(movie.shape, movie.dtype)
        movie.read(1, out=stack[1])
        numpy.testing.assert_array_equal(stack[1], movie[1])
        assert not stack[0].any() and not stack[2].any()
        numpy.testing.assert_array_equal(movie.read(-1), movie[2])


def _misaligned(shape, dtype):
    raw = numpy.zeros(shape[0] * shape[1] * numpy.dtype(dtype).itemsize + 1, numpy.uint8)
    return raw[1:].view(dtype).reshape(shape)


def _read_only(shape, dtype):
    array = numpy.zeros(shape, dtype)
    array.flags.writeable = False
    return array


@pytest.mark.parametrize("make, error, message", [
    (lambda s, d: numpy.zeros(s, numpy.int16), TypeError, "dtype"),
    (lambda s, d: numpy.zeros(s, ">u2"), TypeError, "dtype"),
    (lambda s, d: numpy.zeros(s, numpy.float32), TypeError, "dtype"),
    (lambda s, d: [[0] * s[1]] * s[0], TypeError, "numpy array"),
    (lambda s, d: numpy.zeros((s[0], s[1] + 1), d), ValueError, "shape"),
    (lambda s, d: numpy.zeros(s[0] * s[1], d), ValueError, "shape"),
    (lambda s, d: numpy.zeros((1,) + s, d), ValueError, "shape"),
    (lambda s, d: numpy.zeros((s[1], s[0]), d).T, ValueError, "contiguous"),
    (lambda s, d: numpy.zeros((s[0], 2 * s[1]), d)[:, ::2], ValueError, "contiguous"),
    (_read_only, ValueError, "read-only"),
    (_misaligned, ValueError, "aligned"),
], ids=["int16", "big-endian", "float", "list", "width", "flat", "3d", "fortran", "strided", "read-only", "misaligned"])
def test_read_refuses_an_unfit_array(tools, make, error, message):
    with zeltiff16.open(tools.movie(frames=2, format=6)) as movie:
        out = make(movie.shape[1:], movie.dtype)
        with pytest.raises(error, match=message):
            movie.read(0, out=out)
        assert not numpy.asarray(out).any()


def test_iteration_reads_straight_through(tools):
    path = tools.movie(frames=8, format=6, headers="after")
    with zeltiff16.open(path) as movie:
        expected = [movie[n] for n in range(8)]
    with zeltiff16.open(path) as movie:
        frames = iter(movie)
        first = next(frames)
        seeks = movie._seek_count
        rest = list(frames)
        assert movie._seek_count == seeks
        movie[5], movie[2]  # out of order: the counter does count
        assert movie._seek_count == seeks + 2
    assert len(rest) == 7
    for got, want in zip([first] + rest, expected):
        numpy.testing.assert_array_equal(got, want)
