#!/usr/bin/env python3
"""Throughput of `zeltiff16-cli convert` against a compiled I/O floor measured in the same run.

For two movies of 200 frames of 1280 x 1024 with gain correction (12-bit centre-out tiles,
layout 4; and 10-bit raster, layout 6), in a tmpfs folder, times alternately:
  floor   bench/io_floor (C++): the movie read sequentially in 4 MiB blocks and as many
          files of the converted files' size written into the same folder;
  jobs 1  zeltiff16-cli convert --jobs 1;
  jobs N  zeltiff16-cli convert with one worker per core;
each a whole process, and reports medians and ratios, plus the peak memory of conversions of
50 and 200 frames (which should not depend on the number of frames).

Usage: bench/convert_throughput.py BUILD_DIR [--frames N] [--folder /dev/shm] [--runs 5]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchmovie import HEIGHT, WIDTH, write_benchmark_movie  # noqa: E402
from benchmovie import peak_rss_kib as child_peak_rss_kib  # noqa: E402
TIFF_BYTES = 200 + WIDTH * HEIGHT * 2


def clear(folder):
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))


def timed(args):
    start = time.perf_counter()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def convert_args(cli, movie, folder, jobs):
    return [cli, "convert", movie, os.path.join(folder, "shot.tif"), "--jobs", str(jobs)]


def peak_rss_kib(cli, movie, folder, end):
    """Peak resident memory of one conversion of frames 0..end, in KiB."""
    return child_peak_rss_kib([cli, "convert", movie, os.path.join(folder, "shot.tif"), "--jobs", "1", "--start", "0",
                               "--end", str(end)])


def measure(options, cli, zelgen, floor_program, work, layout, name):
    movie = os.path.join(work, "movie_%d.zel" % layout)
    out = os.path.join(work, "out")
    os.makedirs(out, exist_ok=True)
    write_benchmark_movie(zelgen, movie, options.frames, layout)
    cores = os.cpu_count() or 1
    runs = {
        "floor": [floor_program, movie, out, str(options.frames), str(TIFF_BYTES)],
        "jobs 1": convert_args(cli, movie, out, 1),
        "jobs %d" % cores: convert_args(cli, movie, out, cores),
    }
    for args in runs.values():  # warm the page cache and the folder
        timed(args)
        clear(out)
    # Alternating rounds, so that a slow spell of the machine hits all of them alike.
    times = {key: [] for key in runs}
    for _ in range(options.runs):
        for key, args in runs.items():
            times[key].append(timed(args))
            clear(out)
    median = {key: statistics.median(values) for key, values in times.items()}
    floor, one, many = median["floor"], median["jobs 1"], median["jobs %d" % cores]
    small = peak_rss_kib(cli, movie, out, min(49, options.frames - 1))
    clear(out)
    large = peak_rss_kib(cli, movie, out, options.frames - 1)
    clear(out)
    os.remove(movie)
    print("%s: %d frames of %dx%d, folder %s, medians of %d alternating runs"
          % (name, options.frames, WIDTH, HEIGHT, options.folder, options.runs))
    print("  I/O floor (C++)   %7.3f s" % floor)
    print("  convert --jobs 1  %7.3f s  %.2fx floor  (budget <= 1.6x)" % (one, one / floor))
    print("  convert --jobs %d  %7.3f s  %.2fx floor  (budget <= 1.2x)" % (cores, many, many / floor))
    print("  peak memory       %d KiB for %d frames, %d KiB for %d frames"
          % (small, min(50, options.frames), large, options.frames))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--folder", default="/dev/shm" if os.path.isdir("/dev/shm") else tempfile.gettempdir())
    parser.add_argument("--runs", type=int, default=5)
    options = parser.parse_args()
    cli = os.path.join(options.build, "cli", "zeltiff16-cli")
    zelgen = os.path.join(options.build, "tools", "zelgen")
    floor_program = os.path.join(options.build, "bench", "io_floor", "io_floor")
    work = tempfile.mkdtemp(prefix="zelbench_", dir=options.folder)
    try:
        measure(options, cli, zelgen, floor_program, work, 4, "12-bit centre-out tiles, gain correction")
        measure(options, cli, zelgen, floor_program, work, 6, "10-bit raster, gain correction")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
