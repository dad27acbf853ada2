import errno
import os
from pathlib import Path

import numpy
import pytest

import zeltiff16


def _copy(source, target, size):
    target.write_bytes(Path(source).read_bytes()[:size])
    return target


def test_missing_file_is_an_os_error(tmp_path):
    path = tmp_path / "absent.zel"
    with pytest.raises(FileNotFoundError, match="No such file or directory") as caught:
        zeltiff16.open(path)
    assert caught.value.errno == errno.ENOENT
    assert caught.value.filename == str(path)
    with pytest.raises(OSError, match="is a directory") as caught:
        zeltiff16.open(tmp_path)
    assert caught.value.errno == errno.EISDIR
    assert caught.value.filename == str(tmp_path)


@pytest.mark.parametrize("size, reason", [
    (0, "shorter than the 512-byte movie header"),
    (600, None),
    ("first frame", "too short to hold its first frame"),
])
def test_bad_files_are_value_errors_with_the_tools_reason(tools, tmp_path, size, reason):
    source = tools.movie(frames=3, format=6)
    if size == "first frame":
        with zeltiff16.open(source) as movie:
            size = movie.params["framOffset"] + 10
    path = _copy(source, tmp_path / "bad.zel", size)
    with pytest.raises(ValueError) as caught:
        zeltiff16.open(path)
    assert str(caught.value) in tools.refusal("info", path)[1]
    assert reason is None or reason in str(caught.value)


def test_not_a_movie(tmp_path):
    path = tmp_path / "text.zel"
    path.write_bytes(b"not a movie" * 100)
    with pytest.raises(ValueError, match="not a movie file"):
        zeltiff16.open(path)


def test_frames_missing_from_a_cut_file_are_os_errors(tools, tmp_path):
    source = tools.movie(frames=4, format=6)
    with zeltiff16.open(source) as movie:
        whole = movie[0:2]
        cut = movie.params["framOffset"] + 2 * movie.params["frameStride"] + 100
    with zeltiff16.open(_copy(source, tmp_path / "cut.zel", cut)) as movie:
        assert len(movie) == 4
        numpy.testing.assert_array_equal(movie[0:2], whole)
        out = movie[1]
        for read in (lambda: movie[2], lambda: movie[-1], lambda: movie[1:], lambda: movie.read(3, out=out),
                     lambda: list(movie), lambda: movie.aoi_statistics(2, (0, 0, 1, 1))):
            with pytest.raises(OSError, match="frame [23] cannot be read"):
                read()
        numpy.testing.assert_array_equal(out, whole[1])  # a failed read leaves the array as it was
        numpy.testing.assert_array_equal(movie[0], whole[0])


def test_black_references_that_cannot_be_applied(tools, tmp_path):
    path = tools.movie(frames=2, format=6)
    dark = tools.movie(frames=2, format=6, correction=0)
    cases = [
        (dict(correction=False, black_reference=dark), "without correction data"),
        (dict(black_reference=tools.movie(width=32, frames=2, format=6)), "differ from the movie's"),
        (dict(black_reference=tools.movie(frames=2, format=-1)), "8-bit samples"),
        (dict(black_reference=tmp_path / "absent.zel"), "cannot open the reference movie"),
    ]
    for arguments, reason in cases:
        with pytest.raises(ValueError, match="black balance from .* not applied: .*" + reason):
            zeltiff16.open(path, **arguments)


def test_a_closed_movie_refuses_every_call(tools):
    with zeltiff16.open(tools.movie(frames=2, format=6)) as movie:
        frames = iter(movie)
        assert not movie.closed
    assert movie.closed
    movie.close()
    for call in (lambda: movie[0], lambda: len(movie), lambda: movie.params, lambda: movie.shape,
                 lambda: movie.read(0), lambda: next(frames), lambda: movie.profile(0, (0, 0, 1, 1))):
        with pytest.raises(ValueError, match="closed movie"):
            call()
    assert "closed" in repr(movie)


def test_paths_of_every_kind(tools):
    path = tools.movie(frames=2, format=6)
    for name in (path, os.fsencode(path), Path(path)):
        with zeltiff16.open(name) as movie:
            assert movie.params["fileName"] == os.path.basename(path)
