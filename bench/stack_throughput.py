#!/usr/bin/env python3
"""Time of `zeltiff16-cli convert --stack` against the numbered conversion of the same range.

Writes a 1280 x 1024, 200-frame 12-bit centre-out movie (stored layout 4, with gain
correction) into a tmpfs folder (/dev/shm when there is one), then times, alternating
run by run so that a slow spell of the machine hits both alike:
  numbered  zeltiff16-cli convert --jobs 1   (one TIFF file per frame)
  stack     zeltiff16-cli convert --stack    (one multi-page TIFF, one job)
and reports the medians and their ratio (budget: stack <= 1.2x numbered), plus the peak
memory of stacks of 50 and 200 frames, which should not depend on the number of frames.
--bits 8 writes both at 8 bits (converted samples) instead of 16 (samples as they stand).
--before CLI adds the stack by another build of the tool to the alternation, for a
before/after comparison in one run.

Usage: bench/stack_throughput.py BUILD_DIR [--frames N] [--runs N] [--folder DIR] [--bits 8|16]
                                 [--before CLI]
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
from benchmovie import HEIGHT, WIDTH, peak_rss_kib, write_benchmark_movie  # noqa: E402
BUDGET = 1.2


def clear(folder):
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))


def numbered(cli, movie, folder, bits=16):
    return [cli, "convert", movie, os.path.join(folder, "shot.tif"), "--jobs", "1", "--bits", str(bits)]


def stack(cli, movie, folder, bits=16):
    return [cli, "convert", movie, os.path.join(folder, "stack.tif"), "--stack", "--bits", str(bits)]


def timed(args, folder):
    start = time.perf_counter()
    subprocess.run(args, check=True)
    elapsed = time.perf_counter() - start
    clear(folder)
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--folder", default="/dev/shm" if os.path.isdir("/dev/shm") else tempfile.gettempdir())
    parser.add_argument("--bits", type=int, choices=(8, 16), default=16)
    parser.add_argument("--before", help="another build's zeltiff16-cli, whose stack is timed alongside")
    options = parser.parse_args()
    cli = os.path.join(options.build, "cli", "zeltiff16-cli")
    zelgen = os.path.join(options.build, "tools", "zelgen")

    work = tempfile.mkdtemp(prefix="zelbench_", dir=options.folder)
    try:
        movie = os.path.join(work, "movie.zel")
        out = os.path.join(work, "out")
        os.mkdir(out)
        write_benchmark_movie(zelgen, movie, options.frames)
        bits = options.bits
        timed(numbered(cli, movie, out, bits), out)  # warms the page cache and the folder
        timed(stack(cli, movie, out, bits), out)

        commands = {"numbered": numbered(cli, movie, out, bits), "stack": stack(cli, movie, out, bits)}
        if options.before:
            commands["stack, before"] = stack(options.before, movie, out, bits)
        times = {name: [] for name in commands}
        for run in range(options.runs):
            order = list(commands) if run % 2 == 0 else list(reversed(commands))
            for name in order:
                times[name].append(timed(commands[name], out))
        one = statistics.median(times["numbered"])
        many = statistics.median(times["stack"])

        small_frames = min(50, options.frames)
        small = peak_rss_kib(stack(cli, movie, out, bits) + ["--end", str(small_frames - 1)])
        clear(out)
        large = peak_rss_kib(stack(cli, movie, out, bits))
        clear(out)

        ratio = many / one
        print("frames %d of %dx%d (12-bit, centre-out tiles, gain correction) written at %d bits, folder %s, "
              "median of %d" % (options.frames, WIDTH, HEIGHT, bits, options.folder, options.runs))
        print("convert --jobs 1  %7.3f s  (%s)" % (one, " ".join("%.3f" % t for t in times["numbered"])))
        print("convert --stack   %7.3f s  (%s)" % (many, " ".join("%.3f" % t for t in times["stack"])))
        print("stack / numbered  %7.2fx   (budget <= %.1fx): %s" % (ratio, BUDGET, "ok" if ratio <= BUDGET else "OVER"))
        print("stack peak memory %d KiB for %d frames, %d KiB for %d frames"
              % (small, small_frames, large, options.frames))
        if options.before:
            before = statistics.median(times["stack, before"])
            before_peak = peak_rss_kib(stack(options.before, movie, out, bits))
            clear(out)
            print("stack, before     %7.3f s  (%s)" % (before, " ".join("%.3f" % t for t in times["stack, before"])))
            print("stack / before    %7.2fx   before's peak memory %d KiB for %d frames"
                  % (many / before, before_peak, options.frames))
        return 0 if ratio <= BUDGET else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
