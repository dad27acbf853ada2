#!/usr/bin/env python3
"""Throughput of `zeltiff16-cli convert` against a compiled I/O floor measured in the same run.

For two movies of 200 frames of 1280 x 1024 with gain correction (12-bit centre-out tiles,
layout 4; and 10-bit raster, layout 6), in a tmpfs folder, times alternately:
  safe floor   bench/io_floor safe (C++): the movie read sequentially in 4 MiB blocks and as
               many files of the converted files' size written into the same folder, each
               as the converter must write it (a new temporary name, then renamed);
  plain floor  the same, each file created under its own name (for comparison);
  jobs 1       zeltiff16-cli convert --jobs 1;
  jobs N       zeltiff16-cli convert with one decoder per core;
each a whole process, and reports medians and ratios to the safe floor, plus the peak
memory of conversions of 50 and 200 frames (which should not depend on the number of
frames). --before CLI adds the same two conversions by another build of the tool, for a
before/after table in one run.

Budgets: jobs N <= 1.25 x the safe floor, jobs 1 <= 1.5 x, peak memory <= 64 MiB.

Usage: bench/convert_throughput.py BUILD_DIR [--frames N] [--folder /dev/shm] [--runs 5] [--before CLI]
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
    floor_args = [floor_program, movie, out, str(options.frames), str(TIFF_BYTES)]
    runs = {
        "safe floor": floor_args + ["safe"],
        "plain floor": floor_args + ["plain"],
        "jobs 1": convert_args(cli, movie, out, 1),
        "jobs %d" % cores: convert_args(cli, movie, out, cores),
    }
    if options.before:
        runs["before, jobs 1"] = convert_args(options.before, movie, out, 1)
        runs["before, jobs %d" % cores] = convert_args(options.before, movie, out, cores)
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
    floor = median["safe floor"]
    budgets = {"jobs 1": 1.5, "jobs %d" % cores: 1.25}
    small = peak_rss_kib(cli, movie, out, min(49, options.frames - 1))
    clear(out)
    large = peak_rss_kib(cli, movie, out, options.frames - 1)
    clear(out)
    os.remove(movie)
    print("%s: %d frames of %dx%d, folder %s, medians of %d alternating runs"
          % (name, options.frames, WIDTH, HEIGHT, options.folder, options.runs))
    for key, seconds in median.items():
        line = "  %-16s %7.3f s  %.2fx safe floor" % (key, seconds, seconds / floor)
        if key in budgets:
            line += "  (budget <= %.2fx: %s)" % (budgets[key], "met" if seconds / floor <= budgets[key] else "MISSED")
        print(line)
    print("  peak memory      %d KiB for %d frames, %d KiB for %d frames  (budget <= 65536 KiB: %s)"
          % (small, min(50, options.frames), large, options.frames,
             "met" if max(small, large) <= 65536 else "MISSED"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--folder", default="/dev/shm" if os.path.isdir("/dev/shm") else tempfile.gettempdir())
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--before", help="another build's zeltiff16-cli, timed alongside")
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
