"""What the benchmark scripts share: the benchmark movie and a child's peak memory.

The movie: 1280 x 1024, 12-bit samples read out from the centre in tiles (stored layout 4),
with gain correction (kind 9), noise content.
"""
import subprocess
import sys

WIDTH, HEIGHT = 1280, 1024


def write_benchmark_movie(zelgen, path, frames, layout=4):
    """The benchmark movie, or the same with another stored layout (6: 10-bit raster)."""
    subprocess.run([zelgen, path, "--format", str(layout), "--width", str(WIDTH), "--height", str(HEIGHT),
                    "--frames", str(frames), "--pattern", "noise", "--correction", "9"],
                   check=True, stdout=subprocess.DEVNULL)


def peak_rss_kib(args):
    """Peak resident memory of one run of args, in KiB."""
    code = ("import resource,subprocess,sys;"
            "subprocess.run(sys.argv[1:],check=True);"
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    out = subprocess.run([sys.executable, "-c", code] + list(args), check=True, capture_output=True, text=True)
    return int(out.stdout.split()[-1])
