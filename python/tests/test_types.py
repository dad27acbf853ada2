"""The package's types: its annotations agree with the extension's stubs, the stubs with
the extension as built, and help() shows the real signatures."""
import os
import pydoc
import subprocess
import sys

import pytest

import zeltiff16

ALLOWLIST = os.path.join(os.path.dirname(__file__), "stubtest-allowlist.txt")
USAGE = """
import numpy, zeltiff16
with zeltiff16.open("shot.zel", black_reference=None) as movie:
    frame: numpy.ndarray = movie.read(0, out=numpy.empty(movie.shape[1:], movie.dtype))
    crop = movie[:, 0:64, 0:64]
    stats = movie.aoi_statistics(0, (0, 0, 9, 9))
    period: float | None = movie.frame_period
    movie.save_tiff_stack("out.tif", 0, 9, bits=8)
    movie.read("zero")  # the one line the checker must refuse
"""


def _mypy(*args, cwd):
    pytest.importorskip("mypy", reason="the type checker (Debian: python3-mypy) is not installed")
    return subprocess.run([sys.executable, "-m", *args], cwd=cwd, capture_output=True, text=True)


def test_annotations_and_stubs_agree_with_the_extension(tmp_path):
    (tmp_path / "mypy.ini").write_text(f"[mypy]\ncache_dir = {tmp_path / 'cache'}\n")  # one cache for the three runs
    config = ("--config-file", "mypy.ini")
    done = _mypy("mypy", *config, "-p", "zeltiff16", cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr
    (tmp_path / "usage.py").write_text(USAGE)
    done = _mypy("mypy", *config, "usage.py", cwd=tmp_path)
    assert done.returncode == 1 and done.stdout.count("error:") == 1, done.stdout
    assert 'usage.py:9: error: Argument 1 to "read" of "Movie" has incompatible type "str"' in done.stdout
    done = _mypy("mypy.stubtest", "zeltiff16._zeltiff16", "--allowlist", ALLOWLIST, "--mypy-config-file", "mypy.ini",
                 cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr


def test_help_shows_signatures_and_the_package_is_typed():
    text = pydoc.render_doc(zeltiff16.Movie, renderer=pydoc.plaintext)
    assert "read(self, index: 'int', out: 'numpy.ndarray | None' = None) -> 'numpy.ndarray'" in text
    assert "to_dask(self, frames_per_chunk: 'int | None' = None) -> 'dask.array.Array'" in text
    folder = os.path.dirname(zeltiff16.__file__)
    assert os.path.exists(os.path.join(folder, "py.typed")) and os.path.exists(os.path.join(folder, "_zeltiff16.pyi"))
