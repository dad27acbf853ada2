"""The tool's --table output as analysis tools read it, and the fuller AOI figures."""
import math

import numpy
import pandas
import pytest

import zeltiff16

COLOUR = dict(format=6)
MONO = dict(older=True, format=0, correction=3)


def _table(tools, command, path, option, shape, *extra):
    out = tools._output(command) + ".csv"
    tools.run(command, path, out, option, *shape, "--table", *extra)
    return pandas.read_csv(out)


def _expected(values):
    """count, mean, std (n - 1) and extremes of the samples as numpy computes them."""
    values = values.astype(numpy.int64).ravel()
    std = values.std(ddof=1) if values.size > 1 else math.nan
    return values.size, values.mean(), std, values.min(), values.max()


@pytest.mark.parametrize("options", [MONO, COLOUR], ids=["mono", "colour"])
def test_aoi_table_has_one_row_per_frame_and_the_direct_figures(tools, options):
    path = tools.movie(frames=4, **options)
    rect = (40, 20, 3, 1)
    table = _table(tools, "aoi", path, "--rect", rect)
    with zeltiff16.open(path) as movie:
        colour = movie.params["colorPattern"] >= 2
        channels = ["R_", "G_", "B_"] if colour else [""]
        assert list(table.columns) == ["index", "number", "time"] + [
            c + f for c in channels for f in ("n", "mean", "std", "min", "max")]
        assert list(table["index"]) == [0, 1, 2, 3]
        assert list(table["number"]) == list(movie.frame_numbers)
        numpy.testing.assert_allclose(table["time"], movie.times, rtol=0, atol=0)
        for n in range(4):
            stats = movie.aoi_statistics(n, rect)
            figures = [stats.red, stats.green, stats.blue] if colour else [stats]
            for prefix, c in zip(channels, figures):
                assert table[prefix + "n"][n] == c.count
                assert table[prefix + "mean"][n] == pytest.approx(c.mean, rel=1e-15)
                assert table[prefix + "std"][n] == pytest.approx(c.std, rel=1e-12)
                assert (table[prefix + "min"][n], table[prefix + "max"][n]) == (c.min, c.max)
            if not colour:
                x0, y0, x1, y1 = 3, 1, 40, 20
                block = movie.read(n)[y0:y1 + 1, x0:x1 + 1]
                count, mean, std, low, high = _expected(block)
                assert (stats.count, stats.min, stats.max) == (count, low, high)
                assert stats.mean == pytest.approx(mean, rel=1e-14)
                assert stats.std == pytest.approx(std, rel=1e-12)


def test_undefined_figures_are_empty_cells(tools):
    path = tools.movie(frames=2, **COLOUR)
    table = _table(tools, "aoi", path, "--rect", (5, 7, 5, 7))  # one pixel: one channel, no spread
    filled = [c for c in ("R_n", "G_n", "B_n") if table[c][0] == 1]
    assert len(filled) == 1
    assert table[filled[0][0] + "_std"].isna().all()
    empty = [c[0] for c in ("R_n", "G_n", "B_n") if table[c][0] == 0]
    assert all(table[p + "_mean"].isna().all() and table[p + "_min"].isna().all() for p in empty)


def test_profile_table_rows_are_the_profile_and_the_calibration_adds_its_unit(tools):
    path = tools.movie(frames=3, **MONO)
    line = (0, 0, 12, 5)
    table = _table(tools, "profile", path, "--line", line, "--pixel-size", "2.5um")
    assert list(table.columns) == ["index", "number", "time"] + [f"v{i}" for i in range(12)] + ["step_um"]
    with zeltiff16.open(path) as movie:
        for n in range(3):
            assert list(table.iloc[n, 3:15]) == list(movie.profile(n, line))
    assert table["step_um"][0] == pytest.approx(math.hypot(12, 5) / 12 * 2.5)
    aoi = _table(tools, "aoi", path, "--rect", (0, 0, 9, 3), "--pixel-size", "0.5mm")
    assert list(aoi[["width_mm", "height_mm"]].iloc[0]) == [5.0, 2.0]


def test_bad_pixel_size_and_pixel_size_without_table_are_refused(tools):
    path = tools.movie(frames=2, **MONO)
    code, message = tools.refusal("aoi", path, tools._output("x") + ".csv", "--rect", 0, 0, 1, 1, "--table",
                                  "--pixel-size", "-3um")
    assert code == 2 and "is not a pixel size" in message
    code, message = tools.refusal("aoi", path, tools._output("x") + ".csv", "--rect", 0, 0, 1, 1,
                                  "--pixel-size", "3um")
    assert code == 2 and "--table" in message


@pytest.mark.parametrize("options", [MONO, COLOUR], ids=["mono", "colour"])
def test_aoi_histogram_counts_the_samples_in_the_movies_range(tools, options):
    path = tools.movie(frames=2, **options)
    with zeltiff16.open(path) as movie:
        rect = (40, 20, 3, 1)
        h = movie.aoi_histogram(1, rect)
        block = movie.read(1)[1:21, 3:41].astype(numpy.int64)
        if h.counts.ndim == 1:
            inside = block[(block >= 0) & (block < h.edges[-1])]
            expected, _ = numpy.histogram(inside, bins=h.edges)
            assert list(h.counts) == list(expected)
            assert h.below == (block < 0).sum() and h.above == (block >= h.edges[-1]).sum()
        else:
            assert h.counts.shape == (3, len(h.edges) - 1)
            assert h.counts.sum() + h.below.sum() + h.above.sum() == block.size
            stats = movie.aoi_statistics(1, rect)
            assert [c.count for c in stats] == list(h.counts.sum(axis=1) + h.below + h.above)


def test_pixel_size_is_read_and_refused_as_the_tool_reads_it(tools):
    with zeltiff16.open(tools.movie(frames=1, **MONO)) as movie:
        assert movie.pixel_size is None
        movie.pixel_size = "0.5 mm"
        assert movie.pixel_size == (0.5, "mm")
        with pytest.raises(ValueError, match="is not a pixel size"):
            movie.pixel_size = "12 furlongs"
        assert movie.pixel_size == (0.5, "mm")
        movie.pixel_size = None
        assert movie.pixel_size is None
