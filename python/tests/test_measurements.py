import numpy
import pytest

import zeltiff16

MOVIES = [
    dict(older=True, format=0, correction=3),  # monochrome
    dict(format=6),                            # colour mosaic
    dict(format=4, correction=9),              # colour, 12-bit
    dict(format=-1),                           # monochrome, 8-bit
]
# Inclusive corners: reversed, one pixel, one column, one row, the whole frame.
RECTS = [(0, 0, 10, 10), (40, 20, 3, 1), (5, 7, 5, 7), (3, 0, 3, 31), (10, 2, 40, 2), (0, 0, 63, 31)]
# Backwards, vertical, steep, both diagonals, a single point.
LINES = [(0, 0, 10, 3), (10, 3, 0, 0), (5, 0, 5, 31), (7, 1, 9, 30), (63, 31, 0, 0), (0, 31, 63, 0), (2, 2, 2, 2)]
FRAMES = [2, 0, 1, 1]  # out of order, and one frame twice


def _row_of(stats):
    """The figures as the CSV writes them."""
    if isinstance(stats, zeltiff16.ColourStatistics):
        channels = [stats.red, stats.green, stats.blue]
        return [f"{c.average:.2f}" for c in channels] + [str(v) for c in channels for v in (c.minimum, c.maximum)]
    assert isinstance(stats, zeltiff16.ChannelStatistics)
    return [f"{stats.average:.2f}", str(stats.minimum), str(stats.maximum)]


@pytest.mark.parametrize("options", MOVIES, ids=str)
def test_aoi_statistics_are_the_aoi_rows(tools, options):
    path = tools.movie(frames=3, **options)
    with zeltiff16.open(path) as movie:
        colour = movie.params["colorPattern"] >= 2
        for rect in RECTS:
            rows = tools.csv_rows("aoi", path, "--rect", rect, 0, 2)
            for n in FRAMES:
                stats = movie.aoi_statistics(n, rect)
                assert isinstance(stats, zeltiff16.ColourStatistics if colour else zeltiff16.ChannelStatistics)
                assert _row_of(stats) == rows[n], (rect, n)
                channel = stats.red if colour else stats
                assert type(channel.average) is float and type(channel.minimum) is type(channel.maximum) is int


@pytest.mark.parametrize("options", MOVIES, ids=str)
def test_profiles_are_the_profile_rows(tools, options):
    path = tools.movie(frames=3, **options)
    with zeltiff16.open(path) as movie:
        for line in LINES:
            rows = tools.csv_rows("profile", path, "--line", line, 0, 2)
            length = max(abs(line[2] - line[0]), abs(line[3] - line[1]))
            for n in FRAMES:
                values = movie.profile(n, line)
                assert values.dtype == numpy.int16 and values.shape == (length,)
                assert [str(v) for v in values] == rows[n], (line, n)


def test_measurements_follow_the_frame_asked_for(tools):
    path = tools.movie(frames=3, format=6)
    with zeltiff16.open(path) as movie:
        rect = (0, 0, 63, 31)
        first = movie.aoi_statistics(1, rect)
        movie.read(2, out=numpy.empty(movie.shape[1:], movie.dtype))
        next(iter(movie))
        assert movie.aoi_statistics(1, rect) == first
        assert movie.aoi_statistics(-1, rect) != first
        numpy.testing.assert_array_equal(movie.profile(-2, (0, 5, 63, 5)), movie[1][5, :63].astype(numpy.int16))


def test_points_outside_the_frame_are_refused(tools):
    path = tools.movie(frames=2, format=6)
    with zeltiff16.open(path) as movie:
        for corners in [(-1, 0, 5, 5), (0, 0, 64, 5), (0, 0, 5, 32), (3, -1, 0, 0)]:
            with pytest.raises(ValueError, match=r"outside the 64 x 32 frame"):
                movie.aoi_statistics(0, corners)
            with pytest.raises(ValueError, match=r"outside the 64 x 32 frame"):
                movie.profile(0, corners)
            assert tools.refusal("aoi", path, tools.folder + "/refused.csv", "--rect", *corners)[0] == 2
        for corners in [(1, 2, 3), (1, 2, 3, 4, 5), "abcd", (0, 0, 1.5, 1)]:
            with pytest.raises(TypeError, match="four integers"):
                movie.aoi_statistics(0, corners)
        with pytest.raises(IndexError):
            movie.profile(2, (0, 0, 1, 1))
