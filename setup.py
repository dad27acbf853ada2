"""Builds the wheel of the Python package zeltiff16 through CMake (see pyproject.toml).

The extension is C++ over the project's core library, so setuptools does not compile it:
build_ext configures a private CMake build with only what the module needs (no window,
tests or benchmarks; video export and TIFF stacks when their libraries are found), builds
the extension's target and what it links, and installs the package through the same rules
as `cmake --install` (python/CMakeLists.txt), into the folder the wheel is made from.

Nothing is written into the source tree: the CMake build and setuptools' build and
egg-info folders live in a temporary folder that is removed when setup.py ends.
"""
import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE_DIR = Path(__file__).resolve().parent


def project_version():
    """The version set once in the top-level CMakeLists.txt, as zeltiff16.__version__ has it."""
    text = (SOURCE_DIR / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(\s*ZelTiff16\s+VERSION\s+([0-9]+(?:\.[0-9]+)*)[\s)]", text)
    if not found:
        raise RuntimeError(f"no 'project(ZelTiff16 VERSION x.y.z ...)' in {SOURCE_DIR / 'CMakeLists.txt'}")
    return found.group(1)


def private_folder():
    folder = Path(tempfile.mkdtemp(prefix="zeltiff16-build-"))
    atexit.register(shutil.rmtree, folder, ignore_errors=True)
    return folder


class CMakeExtension(Extension):
    """The extension zeltiff16._zeltiff16, whose sources CMake knows."""

    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        if self.inplace:
            raise RuntimeError("zeltiff16 has no editable install; for work on the package use the CMake "
                               "build and PYTHONPATH=build/python (README, 'Python module')")
        cmake = os.environ.get("CMAKE", "cmake")
        build_dir = Path(self.build_temp).resolve() / "cmake"
        site = Path(self.build_lib).resolve()
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        self.run_cmake([cmake, "-S", str(SOURCE_DIR), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
                        "-DZEL_GUI=OFF", "-DZEL_TESTS=OFF", "-DZEL_BENCH=OFF", "-DZEL_PYTHON=ON",
                        f"-DPython3_EXECUTABLE={sys.executable}",
                        # The package straight under the install prefix; the wheel brings its own dist-info.
                        "-DZEL_PYTHON_INSTALL_DIR=.", "-DZEL_PYTHON_DIST_INFO=OFF"])
        if not (build_dir / "python" / "CMakeFiles" / "zeltiff16_python.dir").is_dir():
            raise RuntimeError("CMake did not set up the extension (see its output above): it needs this "
                               "Python's headers (python3-dev), NumPy and pybind11 (pybind11-dev)")
        self.run_cmake([cmake, "--build", str(build_dir), "--target", "zeltiff16_python", "--parallel", jobs])
        self.run_cmake([cmake, "--install", str(build_dir), "--prefix", str(site), "--component", "python"])
        built = Path(self.get_ext_fullpath(ext.name))
        if not built.is_file():
            raise RuntimeError(f"cmake --install did not write {built}")

    @staticmethod
    def run_cmake(command):
        print(" ".join(command), flush=True)
        subprocess.run(command, check=True)


work = private_folder()
setup(
    version=project_version(),
    # The package's files are installed by CMake with the extension (build_ext above).
    packages=[],
    py_modules=[],
    ext_modules=[CMakeExtension("zeltiff16._zeltiff16")],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
    options={"build": {"build_base": str(work / "build")}, "egg_info": {"egg_base": str(work)}},
)
