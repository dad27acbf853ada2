from concurrent.futures import ThreadPoolExecutor

import numpy
import pytest

import zeltiff16


def test_separate_movies_read_in_threads_match_sequential_reads(tools):
    paths = [tools.movie(width=256, height=128, frames=12, format=4), tools.movie(width=256, height=128, frames=12)]
    expected = {}
    for path in paths:
        with zeltiff16.open(path) as movie:
            expected[path] = movie[:]

    def read_all(path):
        with zeltiff16.open(path) as movie:
            return path, numpy.stack([frame for frame in movie])

    # Four movies, two of them of the same file, over two threads.
    with ThreadPoolExecutor(2) as pool:
        for path, frames in pool.map(read_all, paths + paths):
            numpy.testing.assert_array_equal(frames, expected[path])


def test_a_second_caller_is_refused_while_a_call_holds_the_movie(tools):
    with zeltiff16.open(tools.movie(frames=3, format=6)) as movie:
        frame = movie[1]
        out = numpy.zeros(movie.shape[1:], movie.dtype)
        with movie._hold():
            for call in (lambda: movie[0], lambda: movie[0:2], lambda: movie.read(0, out=out),
                         lambda: next(iter(movie)), lambda: movie.aoi_statistics(0, (0, 0, 1, 1)),
                         lambda: movie.profile(0, (0, 0, 1, 1)), movie.close, movie._hold().__enter__):
                with pytest.raises(RuntimeError, match="Movie is in use by another thread"):
                    call()
            assert not out.any()
            assert len(movie) == 3  # plain properties stay readable
        numpy.testing.assert_array_equal(movie[1], frame)
        with pytest.raises(IndexError):
            movie[3]
        numpy.testing.assert_array_equal(movie.read(1, out=out), frame)  # failed calls release it too


def test_a_shared_movie_never_returns_a_wrong_frame(tools):
    with zeltiff16.open(tools.movie(width=512, height=256, frames=10, format=4)) as movie:
        expected = movie[:]

        def worker(offset):
            served = 0
            for k in range(40):
                n = (3 * k + offset) % len(expected)
                try:
                    frame = movie[n]
                except RuntimeError:
                    continue
                numpy.testing.assert_array_equal(frame, expected[n])
                served += 1
            return served

        with ThreadPoolExecutor(2) as pool:
            served = list(pool.map(worker, (0, 1)))
        assert sum(served) > 0
