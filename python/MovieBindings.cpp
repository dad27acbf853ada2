// The Movie class of the Python module: parameters, frames as numpy arrays, iteration
// and the context-manager protocol. Frame reads run without the interpreter lock.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "python/Bindings.h"
#include "reader/FrameTime.h"
#include "reader/WholeFrames.h"

namespace zel::python {

namespace {

const char kMovieDoc[] = R"(An open movie, as returned by zeltiff16.open().

Frames are numpy arrays of the corrected samples, (height, width), dtype uint16
(uint8 for 8-bit movies):

    movie[i]             frame i, a new array; negative i counts from the end
    movie[a:b:s]         the frames of the slice, one (n, height, width) array
    for frame in movie   every frame in order, read straight through the file
    movie.read(i, out=a) frame i into the existing array a, which is returned

A Movie is used by one thread at a time: a call made while another thread's call on
the same Movie is running raises RuntimeError ("Movie is in use by another thread").
Reads release the interpreter lock, so separate Movie objects, even of the same
file, can be read from several threads at once.

After close() (or the end of a with block) every call but close() raises ValueError.)";

std::string TypeName(const py::handle& value) { return Py_TYPE(value.ptr())->tp_name; }

std::string Repr(const py::handle& value) { return py::repr(value).cast<std::string>(); }

// A new array of (height, width), or of (frames, height, width) when frames is given.
py::array NewFrames(const Movie& movie, std::optional<py::ssize_t> frames = std::nullopt) {
    std::vector<py::ssize_t> shape{movie.Height(), movie.Width()};
    if (frames) shape.insert(shape.begin(), *frames);
    return py::array(SampleType(movie), shape);
}

// Where frame reads into `out` go: its data, when it is a writable, aligned,
// C-contiguous numpy array of the movie's dtype and (height, width).
void* FrameTarget(const Movie& movie, const py::handle& out) {
    if (!py::isinstance<py::array>(out)) throw py::type_error("out must be a numpy array, not " + TypeName(out));
    auto array = py::reinterpret_borrow<py::array>(out);
    const py::dtype expected = SampleType(movie);
    if (!array.dtype().equal(expected))
        throw py::type_error("out must have dtype " + Repr(expected) + ", not " + Repr(array.dtype()));
    if (array.ndim() != 2 || array.shape(0) != movie.Height() || array.shape(1) != movie.Width())
        throw py::value_error("out must have shape (" + std::to_string(movie.Height()) + ", " +
                              std::to_string(movie.Width()) + "), not " + Repr(array.attr("shape")));
    if ((array.flags() & py::array::c_style) == 0) throw py::value_error("out must be C-contiguous");
    if (!array.writeable()) throw py::value_error("out is read-only");
    void* data = array.mutable_data();
    if (reinterpret_cast<uintptr_t>(data) % static_cast<uintptr_t>(expected.itemsize()) != 0)
        throw py::value_error("out is not aligned to its samples");
    return data;
}

void ReadUnlocked(Movie& movie, int n, void* out) {
    const py::gil_scoped_release unlocked;
    movie.ReadFrame(n, out);
}

// Frame n, a checked index, as a new array. The caller holds the claim.
py::array NewFrame(Movie& movie, int n) {
    py::array frame = NewFrames(movie);
    ReadUnlocked(movie, n, frame.mutable_data());
    return frame;
}

py::array Frame(Movie& movie, const py::handle& index) {
    const auto claim = movie.Use();
    return NewFrame(movie, FrameOf(movie, index));
}

py::array Frames(Movie& movie, const py::slice& range) {
    const auto claim = movie.Use();
    py::ssize_t start = 0, stop = 0, step = 0, count = 0;
    if (!range.compute(movie.FrameCount(), &start, &stop, &step, &count)) throw py::error_already_set();
    py::array frames = NewFrames(movie, count);
    auto* out = static_cast<uint8_t*>(frames.mutable_data());
    const int64_t frameBytes = movie.FrameBytes();
    {
        const py::gil_scoped_release unlocked;
        for (py::ssize_t i = 0; i < count; ++i) movie.ReadFrame(static_cast<int>(start + i * step), out + i * frameBytes);
    }
    return frames;
}

py::object Item(Movie& movie, const py::object& key) {
    if (PySlice_Check(key.ptr())) return Frames(movie, py::reinterpret_borrow<py::slice>(key));
    if (!PyIndex_Check(key.ptr()))
        throw py::type_error("movie indices must be integers or slices, not " + TypeName(key));
    return Frame(movie, key);
}

py::object Read(Movie& movie, const py::object& index, const py::object& out) {
    if (out.is_none()) return Frame(movie, index);
    const auto claim = movie.Use();
    const int n = FrameOf(movie, index);
    ReadUnlocked(movie, n, FrameTarget(movie, out));
    return out;
}

// Every frame in order, each into a new array. After the first read has positioned the
// file, the frames follow one another in it and are read without seeking.
class FrameIterator {
public:
    explicit FrameIterator(py::object movie) : movie_(std::move(movie)) {}

    py::array Next() {
        Movie& movie = movie_.cast<Movie&>();
        const auto claim = movie.Use();
        if (next_ >= movie.FrameCount()) throw py::stop_iteration();
        return NewFrame(movie, next_++);
    }

private:
    py::object movie_;
    int next_ = 0;
};

// Holds the movie's claim from __enter__ to __exit__, as a call running in another
// thread does: for tests of what a second caller meets.
class HeldClaim {
public:
    explicit HeldClaim(py::object movie) : movie_(std::move(movie)) {}

    void Enter() { claim_.emplace(movie_.cast<Movie&>().Use()); }
    void Exit() { claim_.reset(); }

private:
    py::object movie_;
    std::optional<Movie::Claim> claim_;
};

py::object FramePeriod(const Movie& movie) {
    const MovieParameters& r = movie.Parameters();
    if (r.framePeriodUs <= 0) return py::none();
    return py::float_(static_cast<double>(r.rateNumerator) / static_cast<double>(r.rateDenominator));
}

// The frames the file holds: a header may claim many more, and arrays of them would cost
// what the header claims.
int64_t FramesHeld(const Movie& movie) {
    const MovieParameters& r = movie.Parameters();
    return std::min<int64_t>(r.frameCount, WholeFramesInFile(r, movie.Reader().FileSize()));
}

py::array_t<int64_t> FrameNumbers(const Movie& movie) {
    const int64_t count = FramesHeld(movie);
    py::array_t<int64_t> numbers(count);
    auto out = numbers.mutable_unchecked<1>();
    for (int64_t i = 0; i < count; ++i) out(i) = FrameNumber(movie.Parameters(), i).value_or(i);
    return numbers;
}

py::object Times(const Movie& movie) {
    const MovieParameters& r = movie.Parameters();
    if (!FrameTime(r, 0)) return py::none();
    const int64_t count = FramesHeld(movie);
    py::array_t<double> times(count);
    auto out = times.mutable_unchecked<1>();
    for (int64_t i = 0; i < count; ++i) out(i) = *FrameTime(r, FrameNumber(r, i).value_or(i));
    return std::move(times);
}

py::object FrameHeader(Movie& movie, const py::handle& index) {
    const int frame = FrameOf(movie, index);
    const auto claim = movie.Use();
    std::array<uint32_t, 12> values{};
    if (!movie.Reader().FrameHeaderValues(frame, values)) return py::none();
    py::tuple result(values.size());
    for (size_t i = 0; i < values.size(); ++i) result[i] = py::int_(values[i]);
    return std::move(result);
}

std::string MovieRepr(const Movie& movie) {
    if (movie.IsClosed()) return "<zeltiff16.Movie (closed)>";
    return "<zeltiff16.Movie " + Repr(DecodeText(movie.Document().movieTitle())) + ": " +
           std::to_string(movie.FrameCount()) + " frames of " + std::to_string(movie.Width()) + " x " +
           std::to_string(movie.Height()) + ", " + py::str(SampleType(movie)).cast<std::string>() + ">";
}

}  // namespace

py::dtype SampleType(const Movie& movie) {
    return movie.BytesPerSample() == 1 ? py::dtype::of<uint8_t>() : py::dtype::of<uint16_t>();
}

int FrameOf(const Movie& movie, const py::handle& index) {
    if (!PyIndex_Check(index.ptr()))
        throw py::type_error("a frame index must be an integer, not " + TypeName(index));
    const Py_ssize_t value = PyNumber_AsSsize_t(index.ptr(), PyExc_IndexError);
    if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
    return movie.FrameIndex(value);
}

py::class_<Movie> BindMovie(py::module_& module) {
    py::class_<FrameIterator>(module, "FrameIterator", "Iterator over a movie's frames, in order.")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &FrameIterator::Next);

    py::class_<HeldClaim>(module, "_HeldClaim")
        .def("__enter__", &HeldClaim::Enter)
        .def("__exit__", [](HeldClaim& held, const py::args&) { held.Exit(); });

    py::class_<Movie> movie(module, "Movie", kMovieDoc);
    movie
        .def_property_readonly(
            "params", [](const Movie& m) { return ParamsDict(m.Parameters()); },
            "The recording parameters: a new dict with the keys, order and values of "
            "`zeltiff16-cli info --json`.")
        .def_property_readonly(
            "shape", [](const Movie& m) { return py::make_tuple(m.FrameCount(), m.Height(), m.Width()); },
            "(frames, height, width)")
        .def_property_readonly("dtype", &SampleType, "numpy.uint16, or numpy.uint8 for 8-bit movies.")
        .def_property_readonly("frame_period", &FramePeriod,
                               "Seconds from one frame to the next, or None when the movie does not say.")
        .def_property_readonly("frame_numbers", &FrameNumbers,
                               "The camera's number of each frame the file holds (int64; 0 is the trigger's "
                               "frame), from the recording's segment table.")
        .def_property_readonly("times", &Times,
                               "Seconds from the trigger of each frame the file holds (float64: frame number "
                               "times the exact frame period; negative before the trigger), or None when the "
                               "rate is unknown.")
        .def("frame_header", &FrameHeader, py::arg("index"),
             "The twelve per-frame header values of a frame as stored (their meaning is not settled), or "
             "None for movies without per-frame headers.")
        .def_property_readonly("corrected", &Movie::IsCorrected,
                               "True when frames are read with the movie's correction data applied.")
        .def_property_readonly(
            "correction_note",
            [](const Movie& m) -> py::object {
                const std::string& note = m.Reader().CorrectionNote();
                return note.empty() ? py::object(py::none()) : py::object(DecodeText(note));
            },
            "Why correction data the movie has could not be used, or None.")
        .def_property_readonly("closed", &Movie::IsClosed)
        .def_property_readonly("_seek_count",
                               [](Movie& m) {
                                   const auto claim = m.Use();
                                   return m.SeekCount();
                               })
        .def("__len__", &Movie::FrameCount)
        .def("__getitem__", &Item, py::arg("index"))
        .def("__iter__", [](py::object self) { return FrameIterator(std::move(self)); })
        .def("read", &Read, py::arg("index"), py::arg("out") = py::none(),
             "Reads frame `index` into `out` and returns it; `out` must be a writable, C-contiguous "
             "array of the movie's dtype and (height, width) (TypeError for another dtype, ValueError "
             "otherwise). Without `out`, returns a new array as movie[index] does.")
        .def("close", &Movie::Close, "Closes the file. Closing a closed movie does nothing.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Movie& m, const py::args&) { m.Close(); })
        .def("__repr__", &MovieRepr)
        .def("_hold", [](py::object self) { return HeldClaim(std::move(self)); });
    return movie;
}

}  // namespace zel::python
