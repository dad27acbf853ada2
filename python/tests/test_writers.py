"""save_tiff_stack and save_video: the files the command-line tool writes, read back with
tifffile and the ffmpeg command; whatever stops or fails them leaves nothing behind."""
import _thread
import os
import queue
import re
import shutil
import subprocess
import threading
import time

import numpy
import pytest
import tifffile

import zeltiff16

MOVIES = [
    dict(format=4, correction=9),  # colour, 12-bit
    dict(format=-1),               # monochrome, 8-bit
    dict(format=6),                # 10-bit
]


def _stop_at(frame, exception=KeyboardInterrupt):
    """A progress callback that raises `exception` once `frame` frames are done."""
    calls = []

    def progress(done, total):
        calls.append((done, total))
        if done == frame:
            raise exception("stop here")

    return progress, calls


def _older(folder, name):
    path = folder / name
    path.write_bytes(b"older")
    return path


def _assert_only_older(folder, path):
    assert path.read_bytes() == b"older"
    assert sorted(os.listdir(folder)) == [path.name]


# ---- TIFF stacks ----

@pytest.mark.parametrize("options", MOVIES, ids=str)
@pytest.mark.parametrize("bits", [16, 8])
def test_stack_is_the_tools_stack(tools, tmp_path, options, bits):
    path = tools.movie(frames=6, **options)
    tool = tmp_path / "tool.tif"
    tools.run("convert", path, tool, "--stack", "--start", 1, "--end", 4, "--bits", bits)
    ours = tmp_path / "ours.tif"
    calls = []
    with zeltiff16.open(path) as movie:
        movie.save_tiff_stack(ours, start=1, end=-2, bits=bits, progress=lambda *a: calls.append(a))
    assert calls == [(1, 4), (2, 4), (3, 4), (4, 4)]
    assert ours.read_bytes() == tool.read_bytes()
    pages = tifffile.imread(ours)
    assert pages.shape == (4, 32, 64) and pages.dtype == (numpy.uint16 if bits == 16 else numpy.uint8)
    numpy.testing.assert_array_equal(pages, numpy.stack(tools.frames(path, 1, 4, bits)))


def test_every_frame_by_default_paths_of_any_kind_and_bigtiff(tools, tmp_path):
    path = tools.movie(frames=5, format=4)
    tool = tmp_path / "tool.tif"
    tools.run("convert", path, tool, "--stack", "--bigtiff")
    with zeltiff16.open(path) as movie:
        movie.save_tiff_stack(os.fsencode(tmp_path / "b.tif"), bigtiff=True)
        movie.save_tiff_stack(str(tmp_path / "c.tif"), -2)
        assert len(tifffile.imread(tmp_path / "c.tif")) == 2
        numpy.testing.assert_array_equal(tifffile.imread(tmp_path / "c.tif"), movie[3:])
    assert (tmp_path / "b.tif").read_bytes() == tool.read_bytes()
    assert tifffile.TiffFile(tmp_path / "b.tif").is_bigtiff


def test_stack_carries_the_pixel_size(tools, tmp_path):
    path = tools.movie(frames=3, format=4)
    tool = tmp_path / "tool.tif"
    tools.run("convert", path, tool, "--stack", "--pixel-size", "12.5um")
    with zeltiff16.open(path) as movie:
        movie.pixel_size = "12.5um"
        movie.save_tiff_stack(tmp_path / "ours.tif")
    assert (tmp_path / "ours.tif").read_bytes() == tool.read_bytes()
    with tifffile.TiffFile(tmp_path / "ours.tif") as tiff:
        numerator, denominator = tiff.pages[0].tags["XResolution"].value
        assert numerator / denominator == pytest.approx(1 / 12.5)
        assert tiff.imagej_metadata["unit"] == "um"


def test_stack_refusals_and_failures_leave_nothing(tools, tmp_path):
    path = tools.movie(frames=4, format=4)
    original = open(path, "rb").read()
    target = _older(tmp_path, "s.tif")
    with zeltiff16.open(path) as movie:
        with pytest.raises(ValueError, match="cannot write 12-bit samples as a 12-bit file"):
            movie.save_tiff_stack(target, bits=12)
        with pytest.raises(ValueError, match=r"frame range 3\.\.1 lies outside the movie's frames 0\.\.3"):
            movie.save_tiff_stack(target, start=3, end=1)
        with pytest.raises(IndexError):
            movie.save_tiff_stack(target, end=4)
        with pytest.raises(ValueError, match="is the movie being read; it is never overwritten"):
            movie.save_tiff_stack(path)
        with pytest.raises(TypeError, match="progress must be callable"):
            movie.save_tiff_stack(target, progress=3)
        missing = str(tmp_path / "missing" / "s.tif")
        with pytest.raises(OSError, match=re.escape(f"{missing}: No such file or directory")):
            movie.save_tiff_stack(missing)
    assert open(path, "rb").read() == original
    _assert_only_older(tmp_path, target)
    # A file cut inside its last frame: by default the stack ends before it; asked for, it
    # cannot be read, and nothing is written.
    cut = tmp_path / "cut.zel"
    cut.write_bytes(original[:-100])
    with zeltiff16.open(cut) as movie:
        with pytest.raises(OSError, match="frame 3 cannot be read"):
            movie.save_tiff_stack(target, end=-1)
        assert target.read_bytes() == b"older"
        movie.save_tiff_stack(tmp_path / "held.tif")
        assert len(tifffile.imread(tmp_path / "held.tif")) == 3


def test_an_interrupted_stack_leaves_the_older_file(tools, tmp_path):
    path = tools.movie(frames=6, format=6)
    target = _older(tmp_path, "s.tif")
    with zeltiff16.open(path) as movie:
        for frame in (2, 6):  # part-way, and after the last frame
            progress, calls = _stop_at(frame)
            with pytest.raises(KeyboardInterrupt, match="stop here"):
                movie.save_tiff_stack(target, progress=progress)
            assert calls[-1] == (frame, 6)
            _assert_only_older(tmp_path, target)
        progress, _ = _stop_at(3, LookupError)  # any exception of the callback
        with pytest.raises(LookupError):
            movie.save_tiff_stack(target, progress=progress)
        _assert_only_older(tmp_path, target)
        numpy.testing.assert_array_equal(movie[5], tools.frames(path, 5, 5)[0])  # still usable


def test_ctrl_c_during_the_export_stops_it(tools, tmp_path):
    """Ctrl-C while the export runs, seen by the check between frames. The progress
    callback is a queue's get, a C function that runs no Python code (which would see the
    interrupt first): it waits until another thread has interrupted the main thread, as
    Ctrl-C does, and let it go on."""
    path = tools.movie(frames=20, format=6)
    target = _older(tmp_path, "s.tif")
    go_on = queue.SimpleQueue()

    def interrupt_once_writing():
        while len(os.listdir(tmp_path)) < 2:  # the stack's unfinished file is there
            time.sleep(0.001)
        _thread.interrupt_main()
        for _ in range(20):
            go_on.put(None)

    with zeltiff16.open(path) as movie:
        signaller = threading.Thread(target=interrupt_once_writing)
        signaller.start()
        try:
            with pytest.raises(KeyboardInterrupt):
                movie.save_tiff_stack(target, progress=go_on.get)  # get(block=done, timeout=total)
        finally:
            signaller.join()
    assert go_on.qsize() == 19  # stopped after the first frame
    _assert_only_older(tmp_path, target)


# ---- Videos ----

def _ffmpeg_or_skip():
    if shutil.which("ffmpeg") is None or shutil.which("ffprobe") is None:
        pytest.skip("no ffmpeg command to read videos back")


@pytest.fixture(scope="module")
def video_built(tools, tmp_path_factory):
    """Skips the test when the module was built without video export."""
    with zeltiff16.open(tools.movie(frames=2)) as movie:
        try:
            movie.save_video(tmp_path_factory.mktemp("probe") / "v.mkv")
        except RuntimeError as refusal:
            assert "video export is not built into this module" in str(refusal)
            pytest.skip(str(refusal))


def _gray16(path, width, height):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", str(path), "-f", "rawvideo", "-pix_fmt", "gray16le", "-"],
                         check=True, capture_output=True).stdout
    return numpy.frombuffer(raw, "<u2").reshape(-1, height, width)


def _probe(path, entries):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          f"stream={entries}", "-of", "default=noprint_wrappers=1", str(path)],
                         check=True, capture_output=True, text=True).stdout
    return dict(line.split("=", 1) for line in out.splitlines())


@pytest.mark.parametrize("options", MOVIES, ids=str)
def test_ffv1_holds_the_16_bit_tiff_values(video_built, tools, tmp_path, options):
    _ffmpeg_or_skip()
    path = tools.movie(frames=6, **options)
    target = tmp_path / "v.mkv"
    with zeltiff16.open(path) as movie:
        movie.save_video(target, start=1, end=-2, fps="30000/1001")
        expected = movie[1:5].astype(numpy.uint16) * (256 if movie.dtype == numpy.uint8 else 1)
    numpy.testing.assert_array_equal(_gray16(target, 64, 32), expected)
    assert _probe(target, "codec_name,r_frame_rate") == {"codec_name": "ffv1", "r_frame_rate": "30000/1001"}


def test_h264_with_overlays_and_the_scale_bar_of_the_pixel_size(video_built, tools, tmp_path):
    _ffmpeg_or_skip()
    path = tools.movie(width=96, height=48, frames=7, format=4)
    with zeltiff16.open(path) as movie:
        with pytest.raises(ValueError, match="scale bar"):
            movie.save_video(tmp_path / "v.mp4", overlays=["scalebar"])
        movie.pixel_size = "12.5um"
        movie.save_video(tmp_path / "v.mp4", end=5, fps=29.97, gain="auto", overlays=("time", "frame", "scalebar"))
        movie.save_video(tmp_path / "plain.mkv", end=0)
        movie.save_video(tmp_path / "bar.mkv", end=0, overlays=["scalebar"])
    probed = _probe(tmp_path / "v.mp4", "codec_name,nb_read_frames,r_frame_rate")
    assert probed == {"codec_name": "h264", "nb_read_frames": "6", "r_frame_rate": "2997/100"}
    plain, bar = _gray16(tmp_path / "plain.mkv", 96, 48), _gray16(tmp_path / "bar.mkv", 96, 48)
    changed = numpy.count_nonzero(plain != bar)
    assert 0 < changed < plain.size // 4  # the bar, drawn where the pixel size puts it


def test_video_refusals(video_built, tools, tmp_path):
    path = tools.movie(frames=3, format=4)
    target = _older(tmp_path, "v.mkv")
    with zeltiff16.open(path) as movie:
        refused = [
            (dict(fps=30, speed=0.5), "fps or speed, not both"),
            (dict(fps="fast"), "fps fast: not a positive number"),
            (dict(fps=-2.5), "not a positive number"),
            (dict(codec="vp9"), "codec 'vp9': not a codec"),
            (dict(gain=3, codec="h264"), "gain 3: not a display gain"),
            (dict(gain=4), "gain"),  # FFV1 keeps the values: no gain
            (dict(overlays=["time", "clock"]), "'clock' is not an overlay"),
            (dict(overlays=["time", "time"]), "named twice"),
            (dict(overlays=["time,frame"]), "is not an overlay"),
        ]
        for options, text in refused:
            with pytest.raises(ValueError, match=text):
                movie.save_video(target, **options)
        with pytest.raises(TypeError):
            movie.save_video(target, overlays="time")
        with pytest.raises(ValueError, match=r"v\.avi"):
            movie.save_video(tmp_path / "v.avi")
        with pytest.raises(ValueError, match="is the movie being read"):
            movie.save_video(path, codec="ffv1")
        missing = str(tmp_path / "missing" / "v.mkv")
        with pytest.raises(OSError, match=re.escape(f"{missing}: No such file or directory")):
            movie.save_video(missing)
    _assert_only_older(tmp_path, target)


def test_an_interrupted_video_leaves_the_older_file(video_built, tools, tmp_path):
    path = tools.movie(frames=5, format=4)
    with zeltiff16.open(path) as movie:
        for name in ("v.mkv", "v.mp4"):
            target = _older(tmp_path, name)
            for frame in (2, 5):
                progress, calls = _stop_at(frame)
                with pytest.raises(KeyboardInterrupt):
                    movie.save_video(target, progress=progress)
                assert calls == [(n, 5) for n in range(1, frame + 1)]
                _assert_only_older(tmp_path, target)
            target.unlink()
