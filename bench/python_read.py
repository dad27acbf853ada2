#!/usr/bin/env python3
"""Frame reads through the zeltiff16 Python module against C++ and a plain numpy reader.

Writes the 1280 x 1024, 200-frame 12-bit centre-out movie (stored layout 4) with gain
correction (kind 9) into a tmpfs folder, then times reading every frame, corrected,
into one buffer:
  C++      bench/read_all (CMovieReader::ReadFrame in a loop);
  module   movie.read(i, out=frame) for every i;
  numpy    the layout unpacked and the gains applied with numpy alone (below).
Each is run --runs times, interleaved, after an untimed read that fills the page cache;
the medians and their ratios are printed. Budget: module <= 1.3 x C++ and at least
20 x faster than numpy.

Usage: /usr/bin/python3 bench/python_read.py BUILD_DIR [--runs 5] [--folder /dev/shm]
BUILD_DIR holds tools/zelgen, python/ (the module) and bench/read_all/read_all.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import numpy

WIDTH, HEIGHT, FRAMES = 1280, 1024, 200


class NumpyReader:
    """Frames of a layout-4 movie with kind-9 correction, decoded by numpy.

    The container's offsets come from the module's params; everything after that (the
    correction tables, the stored frames, their unpacking and correction) is done here
    from the file's bytes.
    """

    def __init__(self, path, params):
        p = params
        assert p["pixelFormat"] == 4 and p["correctionKind"] == 9 and p["nativeOrder"] == 1
        assert p["frameHeaderPlace"] == 0, "per-frame headers are not handled"
        self.file = open(path, "rb", buffering=0)
        self.width, self.height = p["width"], p["height"]
        self.start, self.stride, self.bytes = p["framOffset"], p["frameStride"], p["frameBytes"]
        self.full_scale = (1 << p["bitDepth"]) - 1
        self.pedestal = p["pedestal"]
        self.offsets, self.gains = self._tables(p)

    def close(self):
        self.file.close()

    def _tables(self, p):
        """The frame's centred window of the stored tables: M (gain, offset) word pairs."""
        fpnp = p["fpnpOffset"]
        self.file.seek(fpnp + 112)
        table_offset = int.from_bytes(self.file.read(4), "little")
        table_width, table_height = p["correctionWidth"], p["correctionHeight"]
        self.file.seek(fpnp + table_offset)
        words = numpy.frombuffer(self.file.read(4 * table_width * table_height), "<i2").reshape(-1, 2)
        first = (table_height - self.height) * table_width // 2 + (table_width - self.width) // 2
        window = first + numpy.arange(self.height)[:, None] * table_width + numpy.arange(self.width)
        gains = (words[window, 0] & 0x7FFF).astype(numpy.int32)
        offsets = words[window, 1].astype(numpy.int32)  # 12-bit movies take the offsets as stored
        return offsets, gains

    def _unpack(self, stored):
        """Centre-out tiles: groups of four 2 x 8 tiles (lower-right, upper-right,
        lower-left, upper-left) of 12-bit MSB-first pairs, group a * bands + b for column
        pair a and band b counted outwards from the centre lines; left tiles mirrored."""
        triples = numpy.frombuffer(stored, numpy.uint8).reshape(-1, 3).astype(numpy.uint16)
        samples = numpy.empty(2 * len(triples), numpy.uint16)
        samples[0::2] = (triples[:, 0] << 4) | (triples[:, 1] >> 4)
        samples[1::2] = ((triples[:, 1] & 0xF) << 8) | triples[:, 2]
        bands, pairs = self.height // 16, self.width // 4
        half, centre = self.height // 2, self.width // 2
        tiles = samples.reshape(pairs, bands, 4, 8, 2)

        def quarter(tile):  # rows and columns counted away from the centre lines
            return tiles[:, :, tile].transpose(1, 2, 0, 3).reshape(half, centre)

        frame = numpy.empty((self.height, self.width), numpy.uint16)
        frame[half:, centre:] = quarter(0)
        frame[:half, centre:] = quarter(1)[::-1]
        frame[half:, :centre] = quarter(2)[:, ::-1]
        frame[:half, :centre] = quarter(3)[::-1, ::-1]
        return frame

    def _correct(self, frame):
        """pedestal + ((v + offset) * gain + 256) / 512 (truncated), clamped to
        0 .. full scale; samples within one code of full scale stay at full scale."""
        v = frame.astype(numpy.int32)
        x = (v + self.offsets) * self.gains + 256
        t = self.pedestal + ((x + ((x >> 31) & 511)) >> 9)
        corrected = numpy.clip(t, 0, self.full_scale)
        corrected[v >= self.full_scale - 1] = self.full_scale
        return corrected.astype(numpy.uint16)

    def read(self, n):
        self.file.seek(self.start + n * self.stride)
        stored = self.file.read(self.width * self.height * 12 // 8)
        return self._correct(self._unpack(stored))


def time_module(zeltiff16, path):
    with zeltiff16.open(path) as movie:
        frame = numpy.empty(movie.shape[1:], movie.dtype)
        start = time.perf_counter()
        for n in range(len(movie)):
            movie.read(n, out=frame)
        return time.perf_counter() - start


def time_cpp(read_all, path):
    return float(subprocess.run([read_all, path], check=True, capture_output=True, text=True).stdout)


def time_numpy(zeltiff16, path):
    with zeltiff16.open(path) as movie:
        params = movie.params
    reader = NumpyReader(path, params)
    try:
        start = time.perf_counter()
        for n in range(params["frameCount"]):
            reader.read(n)
        return time.perf_counter() - start
    finally:
        reader.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--folder", default="/dev/shm" if os.path.isdir("/dev/shm") else None)
    parser.add_argument("--read-all", help="the read_all program (default BUILD/bench/read_all/read_all)")
    options = parser.parse_args()
    sys.path.insert(0, os.path.join(options.build, "python"))
    import zeltiff16

    zelgen = os.path.join(options.build, "tools", "zelgen")
    read_all = options.read_all or os.path.join(options.build, "bench", "read_all", "read_all")
    folder = tempfile.mkdtemp(prefix="python_read_", dir=options.folder)
    try:
        path = os.path.join(folder, "centre_out_12bit.zel")
        subprocess.run([zelgen, "--format", "4", "--correction", "9", "--width", str(WIDTH), "--height", str(HEIGHT),
                        "--frames", str(FRAMES), path], check=True, capture_output=True)

        with zeltiff16.open(path) as movie:
            reader = NumpyReader(path, movie.params)
            try:
                for n in (0, FRAMES - 1):
                    if not numpy.array_equal(reader.read(n), movie[n]):
                        sys.exit(f"the numpy reader's frame {n} differs from the module's")
            finally:
                reader.close()

        timers = {"C++": lambda: time_cpp(read_all, path), "module": lambda: time_module(zeltiff16, path),
                  "numpy": lambda: time_numpy(zeltiff16, path)}
        for timer in timers.values():
            timer()  # page cache, staging buffers
        times = {name: [] for name in timers}
        for _ in range(options.runs):
            for name, timer in timers.items():
                times[name].append(timer())
    finally:
        shutil.rmtree(folder)

    median = {name: statistics.median(values) for name, values in times.items()}
    print(f"{FRAMES} frames of {WIDTH} x {HEIGHT}, 12-bit centre-out, gain correction; "
          f"median of {options.runs} runs")
    for name, seconds in median.items():
        print(f"  {name:7} {seconds * 1e3:9.1f} ms  {seconds / FRAMES * 1e3:7.3f} ms/frame  "
              f"(runs: {', '.join(f'{s * 1e3:.1f}' for s in times[name])})")
    module_vs_cpp = median["module"] / median["C++"]
    numpy_vs_module = median["numpy"] / median["module"]
    print(f"  module / C++   {module_vs_cpp:5.2f}   (budget <= 1.30)")
    print(f"  numpy / module {numpy_vs_module:5.1f}   (budget >= 20)")
    return 0 if module_vs_cpp <= 1.3 and numpy_vs_module >= 20 else 1


if __name__ == "__main__":
    sys.exit(main())
