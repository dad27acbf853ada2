"""numpy-style indexing: the same result as numpy gives for an array of every frame, the
same errors, and only the frames the index needs are read."""
import pickle

import numpy
import pytest

import zeltiff16

N, H, W = 7, 12, 10

# (key, frames read): the forms read straight into the result, with the frames they need.
DIRECT = [
    (3, 1), (-1, 1), (numpy.int64(2), 1), (slice(None), N), (slice(1, 6, 2), 3), (slice(None, None, -3), 3),
    (slice(5, 1, -1), 4), (slice(4, 4), 0), ([1, 5, 2], 3), ([], 0), (numpy.array([[0, 6], [6, 1]]), 4),
    ((2, slice(3, 9), slice(1, 4)), 1), ((slice(None), slice(0, 4), slice(0, 4)), N),
    ((Ellipsis, slice(None, None, 2)), N), ((1, Ellipsis), 1), ((slice(2, 4), -1, 0), 2),
    ((slice(None, None, -2), slice(None, None, -1), slice(8, 2, -3)), 4), ((None, 2), 1),
    ((slice(1, 3), None, slice(None), None), 2), ((4, 11, 9), 1), (Ellipsis, N), ((), N),
    (([3, 3, 0], slice(2, 5), 7), 3),
]
# Forms numpy applies to the frames read whole; the frames read are those touched.
GENERAL = [
    ((slice(0, 3), [0, 5, 11]), 3), ((2, [1, 2], [3, 4]), 1), (numpy.arange(N) % 3 == 0, 3),
    ((slice(None), numpy.ones((H, W), bool)), N), ((4, numpy.eye(H, W, dtype=bool)), 1),
    (([1, 2], slice(None), [0, 9]), 2), ((None, [0, 1], 2), 2), ((True, 1), 1), (([[1], [4]], [0, 3], 2), 2),
]
BAD = [(N,), (-N - 1,), (2**70,), (1.5,), ("0",), (0, H), (0, 0, -W - 1), (0, 0, 0, 0), (Ellipsis, Ellipsis),
       (slice(1.5, 2),), ([0, N],), (numpy.array([0.5]),), (numpy.ones(3, bool),), ((0, [[0, 1], [2, 3]], [0, 1, 2]),)]


@pytest.fixture(scope="module", params=[dict(format=6), dict(format=-1)], ids=["16-bit", "8-bit"])
def movie_and_frames(tools, request):
    movie = zeltiff16.open(tools.movie(width=W, height=H, frames=N, **request.param))
    frames = numpy.stack([movie.read(i) for i in range(N)])
    yield movie, frames
    movie.close()


@pytest.mark.parametrize("key,needed", DIRECT + GENERAL, ids=repr)
def test_an_index_gives_what_numpy_gives_reading_only_what_it_needs(movie_and_frames, key, needed):
    movie, frames = movie_and_frames
    before = movie._frames_read
    got = movie[key]
    expected = frames[key]
    assert got.shape == expected.shape and got.dtype == expected.dtype
    numpy.testing.assert_array_equal(got, expected)
    assert movie._frames_read - before == needed
    assert got.flags.owndata or got.base is not None and got.base.flags.owndata  # never a view of another read


@pytest.mark.parametrize("key", BAD, ids=repr)
def test_a_bad_index_raises_what_numpy_raises_before_reading(movie_and_frames, key):
    movie, frames = movie_and_frames
    with pytest.raises(Exception) as numpy_error:
        frames[key]
    before = movie._frames_read
    with pytest.raises(type(numpy_error.value)) as error:
        movie[key]
    assert str(error.value) == str(numpy_error.value)
    assert movie._frames_read == before


def test_the_array_protocol_and_its_figures(movie_and_frames):
    movie, frames = movie_and_frames
    numpy.testing.assert_array_equal(numpy.asarray(movie), frames)
    assert numpy.asarray(movie, dtype=numpy.float32).dtype == numpy.float32
    assert (movie.ndim, movie.size, movie.nbytes) == (3, frames.size, frames.nbytes)
    assert numpy.mean(movie[:, 2:5, 2:5]) == numpy.mean(frames[:, 2:5, 2:5])
    assert repr(movie).startswith(f"<zeltiff16.Movie '{movie.path}': {N} frames of {W} x {H}, {frames.dtype}")


def test_a_movie_pickles_as_its_path_and_options(tools):
    path = tools.movie(frames=N, format=4, correction=9)
    with zeltiff16.open(path, correction=False) as movie:
        movie.pixel_size = "2.5um"
        copy = pickle.loads(pickle.dumps(movie))
        with copy:
            assert (copy.path, copy.corrected, copy.pixel_size) == (path, False, (2.5, "um"))
            numpy.testing.assert_array_equal(copy[:], movie[:])
    with pytest.raises(ValueError, match="closed"):
        pickle.dumps(movie)


def test_star_import_leaves_the_builtin_open_alone():
    scope = {}
    exec("from zeltiff16 import *", scope)
    assert "open" not in scope and scope["Movie"] is zeltiff16.Movie
