import numpy
import pytest
import tifffile

import zeltiff16

MOVIES = [
    dict(older=True, format=0, correction=3),  # monochrome
    dict(format=4, correction=9),              # colour, 12-bit
    dict(format=-1),                           # monochrome, 8-bit
]
# Backwards, steep, a diagonal.
LINES = [(40, 3, 2, 9), (7, 1, 9, 30), (0, 31, 63, 0)]


@pytest.mark.parametrize("options", MOVIES, ids=str)
def test_rows_are_the_profile_rows_and_the_tools_tiff(tools, options):
    path = tools.movie(frames=5, **options)
    with zeltiff16.open(path) as movie:
        for line in LINES:
            image = movie.kymograph(line, start=1, end=3)
            rows = tools.csv_rows("profile", path, "--line", line, 1, 3)
            assert image.dtype == numpy.int16 and image.shape == (3, len(rows[0]))
            assert [[str(v) for v in row] for row in image] == rows, line
            tiff = tools._output("kymograph") + ".tif"
            tools.run("kymograph", path, tiff, "--line", *line, "--start", 1, "--end", 3)
            numpy.testing.assert_array_equal(tifffile.imread(tiff).view(numpy.int16), image)
        # By default every frame; negative indices count from the end.
        whole = movie.kymograph(LINES[0])
        assert whole.shape[0] == 5
        numpy.testing.assert_array_equal(movie.kymograph(LINES[0], start=-2), whole[3:])
        numpy.testing.assert_array_equal(whole[4], movie.profile(4, LINES[0]))


def test_what_cannot_be_made_is_refused(tools):
    path = tools.movie(frames=3, format=6)
    with zeltiff16.open(path) as movie:
        with pytest.raises(ValueError, match="has no samples"):
            movie.kymograph((5, 5, 5, 5))
        with pytest.raises(ValueError, match=r"outside the 64 x 32 frame"):
            movie.kymograph((0, 0, 64, 5))
        with pytest.raises(ValueError, match=r"frame range 2\.\.1"):
            movie.kymograph((0, 0, 9, 5), start=2, end=1)
        with pytest.raises(IndexError):
            movie.kymograph((0, 0, 9, 5), end=3)
        with pytest.raises(TypeError, match="four integers"):
            movie.kymograph((0, 0, 9))
