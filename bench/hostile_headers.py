#!/usr/bin/env python3
"""Cost of movies whose headers claim more than their files hold.

Two movies are made with the movie writer and rewritten in place:
- "claimed": three frames of 16 x 8 whose segment table claims 2^31 - 1 frames;
- "sparse": one frame whose header declares 32764 x 32752 pixels (1.3 GB a frame), the
  file extended sparsely to that size, so that only a few kilobytes are stored.
Every command of the tool runs on each in a child process whose wall time and peak memory
are printed; budget: under a second and under 64 MiB each. Opening the sparse movie
through the document (the Python module's open, the same code the window opens with) is
measured too; budget 100 ms and 64 MiB.

Usage: bench/hostile_headers.py BUILD_DIR [--folder DIR]
"""
import argparse
import json
import os
import struct
import subprocess
import sys
import tempfile

BUDGET_SECONDS, BUDGET_MIB = 1.0, 64


def run_measured(command, env=None):
    """Wall time (s), peak resident memory (MiB) and exit status of one child process."""
    script = ("import resource, subprocess, sys, time\n"
              "t = time.perf_counter()\n"
              "r = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)\n"
              "print(time.perf_counter() - t, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, r.returncode)\n")
    out = subprocess.run([sys.executable, "-c", script] + command, check=True, capture_output=True, text=True, env=env)
    seconds, kib, code = out.stdout.split()
    return float(seconds), int(kib) / 1024, int(code)


def patch(path, offset, fmt, value):
    with open(path, "r+b") as f:
        f.seek(offset)
        f.write(struct.pack(fmt, value))


def make_movies(build, folder):
    zelgen, cli = os.path.join(build, "tools", "zelgen"), os.path.join(build, "cli", "zeltiff16-cli")
    claimed, sparse = os.path.join(folder, "claimed.zel"), os.path.join(folder, "sparse.zel")
    for path, frames in ((claimed, 3), (sparse, 1)):
        subprocess.run([zelgen, path, "--width", "16", "--height", "8", "--frames", str(frames), "--correction", "0"],
                       check=True, stdout=subprocess.DEVNULL)
    play = json.loads(subprocess.run([cli, "info", claimed, "--json"], check=True, capture_output=True).stdout)["playOffset"]
    patch(claimed, play + 182 + 22, "<i", 2**31 - 2)  # the first segment's last frame number
    info = json.loads(subprocess.run([cli, "info", sparse, "--json"], check=True, capture_output=True).stdout)
    frame = 32764 * 32752 * 10 // 8
    patch(sparse, info["playOffset"] + 1544, "<h", 32764)
    patch(sparse, info["playOffset"] + 1546, "<h", 32752)
    patch(sparse, info["playOffset"] + 1588, "<i", frame)
    os.truncate(sparse, info["framOffset"] + frame + 4096)
    return cli, claimed, sparse


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--folder", default=None)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        cli, claimed, sparse = make_movies(build, folder)
        out = os.path.join(folder, "out")
        os.mkdir(out)
        over = []
        print(f"{'movie':8} {'command':34} {'seconds':>8} {'MiB':>6} {'exit':>4}")
        for name, movie in (("claimed", claimed), ("sparse", sparse)):
            for label, command in (("info", ["info", movie]), ("info --json", ["info", movie, "--json"]),
                                   ("convert (all frames)", ["convert", movie, out + "/"]),
                                   ("convert --stack", ["convert", movie, os.path.join(out, name + "_stack.tif"), "--stack"]),
                                   ("aoi", ["aoi", movie, os.path.join(out, name + ".csv"), "--rect", "0", "0", "3", "3"]),
                                   ("profile", ["profile", movie, os.path.join(out, name + "_p.csv"), "--line", "0", "0", "5", "0"])):
                seconds, mib, code = run_measured([cli] + command)
                print(f"{name:8} {label:34} {seconds:8.3f} {mib:6.1f} {code:4d}")
                if seconds > BUDGET_SECONDS or mib > BUDGET_MIB:
                    over.append(f"{name} {label}")
        env = dict(os.environ, PYTHONPATH=os.path.join(build, "python"))
        opener = ("import zeltiff16, sys\n"
                  "try:\n    zeltiff16.open(sys.argv[1])\nexcept (OSError, ValueError) as e:\n    pass\n")
        seconds, mib, _ = run_measured([sys.executable, "-c", opener, sparse], env)
        baseline, base_mib, _ = run_measured([sys.executable, "-c", "import zeltiff16"], env)
        print(f"{'sparse':8} {'open through the document':34} {seconds - baseline:8.3f} {mib - base_mib:6.1f}    -"
              f"  (beyond importing the module: {baseline:.3f} s, {base_mib:.1f} MiB)")
        if seconds - baseline > 0.1 or mib - base_mib > BUDGET_MIB:
            over.append("sparse open")
        print("budgets:", "all held" if not over else "over in " + ", ".join(over))


if __name__ == "__main__":
    main()
