"""Movies written by zelgen, and the command-line tool's output to compare with.

ZEL_GEN and ZEL_CLI name the two programs (CTest sets them from the build).
"""
import csv
import json
import os
import subprocess

import pytest
import tifffile


def _tool(variable):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        pytest.exit(f"{variable} must name the built program (run the tests through ctest)", returncode=2)
    return path


class Tools:
    """zelgen and zeltiff16-cli, working in one temporary folder."""

    def __init__(self, folder):
        self.folder = folder
        self.zelgen = _tool("ZEL_GEN")
        self.cli = _tool("ZEL_CLI")
        self._movies = {}
        self._outputs = 0

    def _output(self, name):
        self._outputs += 1
        return os.path.join(self.folder, f"{name}{self._outputs}")

    def movie(self, width=64, height=32, frames=6, **options):
        """Path of a movie with these zelgen options (written once per session).

        Options are zelgen's long options without dashes: format=4, correction=9,
        pattern="noise", older=True.
        """
        options = {"pattern": "noise", **options, "width": width, "height": height, "frames": frames}
        key = tuple(sorted(options.items()))
        if key not in self._movies:
            path = os.path.join(self.folder, f"movie{len(self._movies)}.zel")
            args = [self.zelgen, path]
            for name, value in options.items():
                flag = "--" + name.replace("_", "-")
                if value is True:
                    args.append(flag)
                elif value is not False:
                    args += [flag, str(value)]
            subprocess.run(args, check=True, capture_output=True)
            self._movies[key] = path
        return self._movies[key]

    def run(self, *args):
        return subprocess.run([self.cli, *map(str, args)], check=True, capture_output=True, text=True).stdout

    def refusal(self, *args):
        """The tool's exit code and message for a command it must refuse."""
        done = subprocess.run([self.cli, *map(str, args)], capture_output=True, text=True)
        assert done.returncode != 0, args
        return done.returncode, done.stderr

    def info(self, movie, *options):
        return json.loads(self.run("info", "--json", movie, *options))

    def frames(self, movie, first, last, bits=16, options=()):
        """The frames first..last as the tool converts them, read back from its TIFF files."""
        folder = self._output("tiff")
        os.mkdir(folder)
        self.run("convert", movie, os.path.join(folder, "f.tif"), "--bits", bits,
                 "--start", first, "--end", last, *options)
        return [tifffile.imread(os.path.join(folder, f"f_{n:06d}.tif")) for n in range(first, last + 1)]

    def csv_rows(self, command, movie, option, corners, first, last, *options):
        """The frame rows of the tool's `aoi` or `profile` CSV, as lists of stripped fields."""
        path = self._output(command) + ".csv"
        self.run(command, movie, path, option, *corners, "--start", first, "--end", last, *options)
        with open(path, newline="") as text:
            rows = list(csv.reader(text))
        return [[field.strip() for field in row] for row in rows[3:3 + last - first + 1]]


@pytest.fixture(scope="session")
def tools(tmp_path_factory):
    return Tools(str(tmp_path_factory.mktemp("zel")))
