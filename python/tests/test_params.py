import json
from pathlib import Path

import numpy
import pytest

import zeltiff16

# Colour 10-bit, 12-bit centre-out tiles, monochrome older layout, 8-bit, and a
# big-endian quadrant layout with per-frame headers.
MOVIES = [
    dict(format=6),
    dict(format=4, correction=9),
    dict(older=True, format=0, correction=3),
    dict(format=-1),
    dict(older=True, format=1, big_endian=True, headers="after", correction=6),
]


@pytest.mark.parametrize("options", MOVIES, ids=str)
@pytest.mark.parametrize("correction", [True, False])
def test_params_are_the_info_command_fields(tools, options, correction):
    path = tools.movie(**options)
    expected = tools.info(path, *([] if correction else ["--no-correction"]))
    with zeltiff16.open(path, correction=correction) as movie:
        params = movie.params
    assert list(params.items()) == list(expected.items())
    assert [type(v) for v in params.values()] == [type(v) for v in expected.values()]


def test_shape_dtype_and_frame_period(tools):
    with zeltiff16.open(tools.movie(width=48, height=16, frames=5, format=6)) as movie:
        params = movie.params
        assert len(movie) == 5
        assert movie.shape == (5, 16, 48)
        assert movie.dtype == numpy.uint16
        assert movie.frame_period == pytest.approx(params["rateNumerator"] / params["rateDenominator"])
        assert movie.frame_period * 1e6 == pytest.approx(params["framePeriodUs"], abs=1)
    with zeltiff16.open(tools.movie(format=-1)) as movie:
        assert movie.dtype == numpy.uint8


def test_unknown_frame_rate_gives_no_period(tools, tmp_path):
    source = tools.movie(frames=2, format=6)
    with zeltiff16.open(source) as movie:
        rate_index_at = movie.params["playOffset"] + 1626  # the newer layout's rate index byte
    path = tmp_path / "no_rate.zel"
    data = bytearray(Path(source).read_bytes())
    data[rate_index_at] = 0xFF  # index -1: a fraction of its own, which zelgen leaves at 0 / 0
    path.write_bytes(data)
    with zeltiff16.open(path) as movie:
        assert movie.params["framePeriodUs"] == 0
        assert movie.frame_period is None


@pytest.mark.parametrize("options", [dict(format=6), dict(older=True, format=1, big_endian=True, headers="after")],
                         ids=str)
def test_frame_numbers_times_and_headers_are_the_frames_commands(tools, options):
    path = tools.movie(**options)
    listed = json.loads(tools.run("frames", path, "--json"))
    with zeltiff16.open(path) as movie:
        numbers, times = movie.frame_numbers, movie.times
        headers = [movie.frame_header(i) for i in range(len(movie))]
    assert numbers.dtype == numpy.int64 and times.dtype == numpy.float64
    assert numbers.tolist() == [record["number"] for record in listed]
    assert times.tolist() == [record["time"] for record in listed]
    assert [None if h is None else list(h) for h in headers] == [record["header"] for record in listed]
    with pytest.raises(IndexError):
        movie_len = len(listed)
        with zeltiff16.open(path) as movie:
            movie.frame_header(movie_len)
