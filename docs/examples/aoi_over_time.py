#!/usr/bin/env python3
"""The mean brightness of an area of interest (AOI), frame by frame, plotted against the
time from the trigger.

    python3 aoi_over_time.py [MOVIE] [--rect X0 Y0 X1 Y1] [--out aoi_over_time.png]

MOVIE defaults to sample/sample.zel, the movie scripts/demo writes. The rectangle names two
opposite corners, both included, in pixels; by default a square in the middle of the frame.
Needs the zeltiff16 package (built: PYTHONPATH=build/python), numpy, xarray and matplotlib.
"""
import argparse
import os

import matplotlib
import numpy

import zeltiff16

# Only a picture file is written here: without a screen (and without a backend chosen in
# MPLBACKEND), draw with Agg, which needs none. This must come before pyplot is imported.
if not os.environ.get("MPLBACKEND") and not (os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY")):
    matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("movie", nargs="?", default="sample/sample.zel")
parser.add_argument("--rect", type=int, nargs=4, metavar=("X0", "Y0", "X1", "Y1"))
parser.add_argument("--out", default="aoi_over_time.png", help="PNG to write")
args = parser.parse_args()

# %% Open the movie. Frames come decoded and corrected with the movie's correction data.
movie = zeltiff16.open(args.movie)
print(movie)
frames, height, width = movie.shape

# The AOI: (x0, y0, x1, y1), both corners inside it. By default a square half the frame's
# height on a side, in the middle of the frame.
if args.rect:
    x0, y0, x1, y1 = args.rect
else:
    side = max(1, height // 2)
    x0, y0 = (width - side) // 2, (height - side) // 2
    x1, y1 = x0 + side - 1, y0 + side - 1


# %% Route 1: the AOI statistics of each frame, the figures of `zeltiff16-cli aoi`.
# A monochrome movie gives one ChannelStatistics; a colour mosaic gives one per channel
# (red, green, blue), and the mean of every pixel weighs each channel by its pixel count.
def aoi_mean(stats):
    channels = [stats] if isinstance(stats, zeltiff16.ChannelStatistics) else [stats.red, stats.green, stats.blue]
    return sum(c.mean * c.count for c in channels) / sum(c.count for c in channels)


# The frames the file holds (a file cut short holds fewer than its header counts).
held = len(movie.frame_numbers)
means = numpy.array([aoi_mean(movie.aoi_statistics(i, (x0, y0, x1, y1))) for i in range(held)])

# %% Route 2: the same through xarray. to_xarray() reads nothing yet; the crop and the
# mean over y and x are computed chunk by chunk (on every core) by .compute().
series = movie.to_xarray()
aoi_series = series[:, y0:y1 + 1, x0:x1 + 1].mean(("y", "x")).compute()
numpy.testing.assert_allclose(aoi_series.values, means, rtol=1e-9)
print(f"AOI ({x0}, {y0})-({x1}, {y1}): the two routes agree on all {held} frames")

# %% The time axis: seconds from the trigger (negative before it), here in milliseconds.
# A movie that does not record its frame rate has no times: plot against frame numbers.
if movie.times is not None:
    x_values, x_label = movie.times * 1e3, "time from the trigger (ms)"
else:
    x_values, x_label = movie.frame_numbers, "frame number (0: the trigger's frame)"

# %% Plot and save.
fig, ax = plt.subplots(figsize=(7, 4), layout="constrained")
ax.plot(x_values, means, marker=".", markersize=4, linewidth=1, color="tab:blue",
        label=f"AOI mean, x {x0}..{x1}, y {y0}..{y1}")
ax.axvline(0, color="tab:red", linestyle="--", linewidth=1, label="trigger (t = 0)")
ax.set_xlabel(x_label)
ax.set_ylabel(f"AOI mean ({movie.params['bitDepth']}-bit counts)")
rate = f" at {1 / movie.frame_period:g} frames/s" if movie.frame_period else ""
ax.set_title(f"{os.path.basename(args.movie)}: {held} frames{rate}")
ax.grid(alpha=0.3)
ax.legend(loc="best")
fig.savefig(args.out, dpi=100)
plt.close(fig)
movie.close()
print(f"wrote {args.out}")
