// movie.save_tiff_stack and movie.save_video: the core's stack and video exports
// (document/StackExport.h, video/VideoExport.h), so the files equal those of
// `zeltiff16-cli convert --stack` and `zeltiff16-cli video`.
//
// An export runs without the interpreter lock. After each frame it takes the lock back
// briefly to call progress(done, total) and to let Python's signal handlers run; an
// exception from either (KeyboardInterrupt on Ctrl-C) asks the core to stop, and once the
// core has removed its unfinished file, that same exception is raised. Whatever stops or
// fails an export leaves nothing at the path, and an older file there as it was.

#include <exception>
#include <optional>
#include <string>

#include "python/Bindings.h"
#include "python/Errors.h"

#ifdef ZEL_TIFF_STACK
#include "document/StackExport.h"
#endif
#ifdef ZEL_VIDEO
#include "video/VideoExport.h"
#endif

namespace zel::python {

namespace {

const char kStackDoc[] = R"(Writes frames start..end as one multi-page TIFF, the file `zeltiff16-cli
convert --stack` writes.

start and end are frame indices, both included; negative ones count from the end; by
default every frame the file holds. bits: 16 (the samples as they stand) or 8, as the
tool's --bits. bigtiff: a BigTIFF (a directory per page) whatever the size; otherwise a
classic TIFF, or past 4 GiB an ImageJ large stack. The pixel size set as
movie.pixel_size is the stack's calibration. progress(done, total), when given, is
called after each frame.

ValueError for what is refused before anything is written (a range outside the movie,
bits other than 8 or 16, the movie itself as path); OSError when the file cannot be
written or a frame cannot be read. An interrupted export (Ctrl-C, or an exception from
progress) raises that exception. In every such case nothing is left at path, and an
older file there is kept as it was.)";

const char kVideoDoc[] = R"(Writes frames start..end as one video, the file `zeltiff16-cli video` writes.

codec: "ffv1" (lossless, each frame the values of its 16-bit TIFF file) or "h264" (the
window's 8-bit rendering); by default .mkv is FFV1 and .mp4 H.264. fps: frames per
second of the video, or speed: times the recording's own rate (not both); each a number
or a text such as "30000/1001"; by default 30 frames per second. gain: the H.264
rendering's display gain, 1, 2, 4 .. 64 or "auto". overlays: any of "time", "frame" and
"scalebar" (which needs movie.pixel_size). start, end and progress as for
save_tiff_stack.

ValueError for options or a video that are refused (the reason is the tool's); OSError
when the file cannot be written or a frame cannot be read. An interrupted export raises
that exception. In every such case nothing is left at path, and an older file there is
kept as it was.)";

// Raises `type` with a text that may hold a path's bytes.
[[noreturn]] void Raise(PyObject* type, const std::string& text) {
    PyErr_SetObject(type, DecodeText(text).ptr());
    throw py::error_already_set();
}

// Python's part in a run over frames, called between frames without the interpreter lock:
// progress and signals, and the exception that stopped the run.
class RunWatch {
public:
    RunWatch(CZelfDoc& doc, const py::object& progress, const FrameSpan& span)
        : doc_(doc), progress_(progress), span_(span) {}

    void AfterFrame(int n) {
        const py::gil_scoped_acquire locked;
        try {
            if (!progress_.is_none()) progress_(int64_t{n} - span_.first + 1, span_.Count());
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        } catch (...) {  // nothing may pass through the core's run
            pending_ = std::current_exception();
            doc_.RequestStop();
        }
    }

    // With the lock: raises what ended the run early. The exception from progress or a
    // signal comes first; a refusal is ValueError, a failed write OSError.
    void RaiseIfEnded(const Movie& movie, const RunOutcome& run) const {
        if (pending_) std::rethrow_exception(pending_);
        if (run.Completed()) return;
        const Problem& problem = run.problem;
        switch (problem.code) {
        case ProblemCode::FrameUnreadable:
            throw FrameUnreadable(movie.Path() + ": " + problem.Text());
        case ProblemCode::WriteFailed:
            Raise(PyExc_OSError, problem.Text());
        case ProblemCode::RunInProgress:
            Raise(PyExc_RuntimeError, problem.Text());
        case ProblemCode::None:  // Stopped, though nobody here asked for it
            Raise(PyExc_RuntimeError, "the export was stopped; nothing was written");
        default:
            Raise(PyExc_ValueError, problem.Text());
        }
    }

private:
    CZelfDoc& doc_;
    const py::object& progress_;
    FrameSpan span_;
    std::exception_ptr pending_;
};

// Runs `exportFrames(afterFrame)` on the movie's document without the interpreter lock
// and raises what ended it early.
template <typename Export>
void RunExport(Movie& movie, CZelfDoc& doc, const FrameSpan& span, const py::object& progress,
               const Export& exportFrames) {
    if (!progress.is_none() && PyCallable_Check(progress.ptr()) == 0)
        throw py::type_error("progress must be callable as progress(done, total), not " +
                             py::repr(progress).cast<std::string>());
    RunWatch watch(doc, progress, span);
    RunOutcome run;
    {
        const py::gil_scoped_release unlocked;
        run = exportFrames([&watch](int n) { watch.AfterFrame(n); });
    }
    watch.RaiseIfEnded(movie, run);
}

#ifdef ZEL_TIFF_STACK

void SaveTiffStack(Movie& m, const py::object& path, const py::object& start, const py::object& end, int bits,
                   bool bigtiff, const py::object& progress) {
    const StackExportOptions options{FileSystemPath(path), bits, bigtiff};
    const auto claim = m.Use();
    const FrameSpan span = SpanOf(m, start, end);
    CZelfDoc& doc = m.RunDocument();
    RunExport(m, doc, span, progress,
              [&](const auto& afterFrame) { return ExportTiffStack(doc, span, options, afterFrame); });
}

#else

void SaveTiffStack(Movie&, const py::object&, const py::object&, const py::object&, int, bool, const py::object&) {
    Raise(PyExc_RuntimeError,
          "TIFF stack export is not built into this module: it was built without libtiff, which writes the stacks");
}

#endif

#ifdef ZEL_VIDEO

// fps or speed as the core's fraction. Floats stand for the simplest fraction near them
// (29.97 is 2997/100, 30000/1001 as a float is 30000/1001), integers and fractions for
// themselves; texts are read as the tool reads them.
VideoFraction RateOf(const char* name, const py::object& value) {
    std::string text;
    const py::module_ numbers = py::module_::import("numbers");
    if (py::isinstance<py::str>(value)) {
        text = value.cast<std::string>();
    } else if (py::isinstance(value, numbers.attr("Real")) && !py::isinstance<py::bool_>(value)) {
        py::object exact = py::module_::import("fractions").attr("Fraction")(value);
        if (!py::isinstance(value, numbers.attr("Rational"))) exact = exact.attr("limit_denominator")(1000000);
        text = py::str(exact).cast<std::string>();
    } else {
        throw py::type_error(std::string(name) + " must be a number or a text such as '30000/1001', not " +
                             py::repr(value).cast<std::string>());
    }
    const std::optional<VideoFraction> rate = ParseVideoFraction(text);
    if (!rate)
        Raise(PyExc_ValueError, std::string(name) + " " + text + ": not a positive number (write e.g. 30, 29.97 or 30000/1001)");
    return *rate;
}

// The options as the tool's video command reads them from its own.
VideoOptions VideoOptionsOf(const py::object& codec, const py::object& fps, const py::object& speed,
                            const py::object& gain, const py::object& overlays) {
    VideoOptions options;
    if (!codec.is_none()) {
        const std::string name = py::str(codec).cast<std::string>();
        options.codec = ParseVideoCodec(name);
        if (!options.codec) Raise(PyExc_ValueError, "codec '" + name + "': not a codec (ffv1 or h264)");
    }
    if (!fps.is_none() && !speed.is_none()) Raise(PyExc_ValueError, "give fps or speed, not both");
    if (!fps.is_none()) options.paceValue = RateOf("fps", fps);
    if (!speed.is_none()) {
        options.pace = VideoPace::RecordingSpeed;
        options.paceValue = RateOf("speed", speed);
    }
    if (!gain.is_none()) {
        const bool integer = py::isinstance<py::int_>(gain) && !py::isinstance<py::bool_>(gain);
        if (!integer && !py::isinstance<py::str>(gain))
            throw py::type_error("gain must be an int or 'auto', not " + py::repr(gain).cast<std::string>());
        const std::string text = py::str(gain).cast<std::string>();
        options.gain = ParseVideoGain(text);
        if (!options.gain) Raise(PyExc_ValueError, "gain " + text + ": not a display gain (1, 2, 4 .. 64 or 'auto')");
    }
    if (!overlays.is_none()) {
        if (py::isinstance<py::str>(overlays) || !py::isinstance<py::iterable>(overlays))
            throw py::type_error("overlays must be an iterable of names such as ('time', 'frame'), not " +
                                 py::repr(overlays).cast<std::string>());
        std::string names;  // as the tool's --overlay takes them: "time,frame"
        bool any = false;
        for (const py::handle item : overlays.cast<py::iterable>()) {
            if (!py::isinstance<py::str>(item))
                throw py::type_error("overlays must be names (str), not " + py::repr(item).cast<std::string>());
            const std::string name = item.cast<std::string>();
            if (name.find(',') != std::string::npos)  // one item must not name two overlays
                Raise(PyExc_ValueError, "overlays: '" + name + "' is not an overlay (overlays: time, frame, scalebar)");
            names += (any ? "," : "") + name;
            any = true;
        }
        if (any) {
            std::string bad;
            const std::optional<OverlayOptions> chosen = ParseVideoOverlays(names, &bad);
            if (!chosen)
                Raise(PyExc_ValueError, "overlays: '" + bad +
                                            "' is not an overlay, or is named twice (overlays: time, frame, scalebar)");
            options.overlays = *chosen;
        }
    }
    return options;
}

void SaveVideo(Movie& m, const py::object& path, const py::object& start, const py::object& end,
               const py::object& codec, const py::object& fps, const py::object& speed, const py::object& gain,
               const py::object& overlays, const py::object& progress) {
    const std::string target = FileSystemPath(path);
    const VideoOptions options = VideoOptionsOf(codec, fps, speed, gain, overlays);
    const auto claim = m.Use();
    const FrameSpan span = SpanOf(m, start, end);
    CZelfDoc& doc = m.RunDocument();
    // Before the plan, as the tool does: the movie's own name is refused as such, not for its extension.
    if (doc.IsInputFile(target)) Raise(PyExc_ValueError, Problem(ProblemCode::OutputIsInput, {target}).Text());
    VideoPlan plan;
    if (const VideoRefusal refused = PlanVideo(target, options, doc, plan)) Raise(PyExc_ValueError, refused.Text());
    RunExport(m, doc, span, progress, [&](const auto& afterFrame) { return ExportVideo(doc, span, plan, afterFrame); });
}

#else

void SaveVideo(Movie&, const py::object&, const py::object&, const py::object&, const py::object&,
               const py::object&, const py::object&, const py::object&, const py::object&, const py::object&) {
    Raise(PyExc_RuntimeError,
          "video export is not built into this module: FFmpeg's development libraries (libavcodec-dev, "
          "libavformat-dev, libavutil-dev and libswscale-dev) were not found when it was built");
}

#endif

}  // namespace

void BindWriters(py::class_<Movie>& movie) {
    movie.def("save_tiff_stack", &SaveTiffStack, py::arg("path"), py::arg("start") = py::none(),
              py::arg("end") = py::none(), py::arg("bits") = 16, py::arg("bigtiff") = false,
              py::arg("progress") = py::none(), kStackDoc);
    movie.def("save_video", &SaveVideo, py::arg("path"), py::arg("start") = py::none(), py::arg("end") = py::none(),
              py::arg("codec") = py::none(), py::arg("fps") = py::none(), py::arg("speed") = py::none(),
              py::arg("gain") = py::none(), py::arg("overlays") = py::none(), py::arg("progress") = py::none(),
              kVideoDoc);
}

}  // namespace zel::python
