#!/usr/bin/env python3
"""Cost of opening a movie whose correction tables declare far more than the frame.

Writes a 1280 x 1024 movie with kind-6 correction data, then rewrites its "FPNP" header
to declare SIDE x SIDE tables (default 20000 x 20000, 4 GB of tables) and extends the
file sparsely so that every declared table lies inside it. Times `zeltiff16-cli info`
and `convert` of one frame on it and on the unmodified movie, each in a child process
whose peak memory is read from the kernel. Opening reads only the frame's window of the
tables, so both movies should cost about the same.

Usage: bench/open_huge_tables.py BUILD_DIR [--side 20000] [--folder DIR]
"""
import argparse
import json
import os
import resource
import struct
import subprocess
import sys
import tempfile
import time


def run_measured(command):
    """Wall time (s) and peak resident memory (MiB) of one child process."""
    script = ("import resource, subprocess, sys, time\n"
              "t = time.perf_counter()\n"
              "subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)\n"
              "print(time.perf_counter() - t, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")
    out = subprocess.run([sys.executable, "-c", script] + command, check=True, capture_output=True, text=True)
    seconds, kib = out.stdout.split()
    return float(seconds), int(kib) / 1024


def declare_huge_tables(cli, movie, side):
    info = json.loads(subprocess.run([cli, "info", movie, "--json"], check=True, capture_output=True).stdout)
    fpnp = info["fpnpOffset"]
    entries = side * side
    # Kind 6: table 0 holds offsets and gains (4 bytes an entry), tables 1-3 two bytes each.
    offsets = [128, 128 + 4 * entries, 128 + 6 * entries, 128 + 8 * entries]
    order = "<" if info["nativeOrder"] else ">"
    with open(movie, "r+b") as f:
        f.seek(fpnp + 56)
        f.write(struct.pack(order + "hh", side, side))
        f.seek(fpnp + 112)
        f.write(struct.pack(order + "IIII", *offsets))
        f.truncate(fpnp + 128 + 10 * entries)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--side", type=int, default=20000)
    parser.add_argument("--folder", default=None)
    args = parser.parse_args()
    cli = os.path.join(args.build, "cli", "zeltiff16-cli")
    zelgen = os.path.join(args.build, "tools", "zelgen")
    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        plain = os.path.join(folder, "plain.zel")
        huge = os.path.join(folder, "huge.zel")
        for path in (plain, huge):
            subprocess.run([zelgen, "--width", "1280", "--height", "1024", "--frames", "2", "--correction", "6", path],
                           check=True, stdout=subprocess.DEVNULL)
        declare_huge_tables(cli, huge, args.side)
        out = os.path.join(folder, "f.tif")
        print(f"tables declared {args.side} x {args.side}; file {os.path.getsize(huge) / 2**30:.1f} GiB (sparse)")
        for name, movie in (("frame-sized tables", plain), (f"{args.side}^2 tables", huge)):
            for what, command in (("info", [cli, "info", movie]),
                                  ("convert 1 frame", [cli, "convert", movie, out, "--end", "0", "--jobs", "1"])):
                seconds, mib = min(run_measured(command) for _ in range(3))
                print(f"{name:>20}  {what:<16} {seconds * 1000:7.1f} ms  peak {mib:6.1f} MiB")


if __name__ == "__main__":
    main()
