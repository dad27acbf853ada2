// The read behind numpy-style indexing: chosen frames, each cropped to a grid of rows and
// columns, into one array the caller made. The Python side turns an index into this
// selection (zeltiff16/_indexing.py); only the frames listed are read.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "python/Bindings.h"

namespace zel::python {

namespace {

// Samples start, start + step, ... (count of them) along one axis; step may be negative.
struct AxisPick {
    py::ssize_t start = 0;
    py::ssize_t step = 1;
    py::ssize_t count = 0;

    bool Whole(py::ssize_t size) const { return start == 0 && step == 1 && count == size; }
    bool Inside(py::ssize_t size) const {
        if (count < 0) return false;
        if (count == 0) return true;
        const py::ssize_t last = start + (count - 1) * step;  // counts are below 2^31: no overflow
        return start >= 0 && start < size && last >= 0 && last < size;
    }
};

AxisPick PickOf(const py::handle& value, const char* name, py::ssize_t size) {
    const auto [start, step, count] = value.cast<std::tuple<py::ssize_t, py::ssize_t, py::ssize_t>>();
    const AxisPick pick{start, step, count};
    if (!pick.Inside(size) || count > size)
        throw py::index_error(std::string(name) + " selection lies outside the frame");
    return pick;
}

template <typename Sample>
void CopyCrop(const Sample* frame, py::ssize_t width, const AxisPick& rows, const AxisPick& cols, Sample* out) {
    for (py::ssize_t r = 0; r < rows.count; ++r) {
        const Sample* row = frame + (rows.start + r * rows.step) * width + cols.start;
        if (cols.step == 1) {
            std::memcpy(out, row, static_cast<size_t>(cols.count) * sizeof(Sample));
        } else {
            for (py::ssize_t c = 0; c < cols.count; ++c) out[c] = row[c * cols.step];
        }
        out += cols.count;
    }
}

// Reads frames[i] cropped to rows x cols into out[i]. out must be a writable C-contiguous
// array of the movie's dtype and shape (len(frames), rows.count, cols.count).
py::object ReadSelection(Movie& movie, const py::array_t<int64_t, py::array::c_style | py::array::forcecast>& frames,
                         const py::handle& rowPick, const py::handle& colPick, const py::handle& target) {
    const auto claim = movie.Use();
    const AxisPick rows = PickOf(rowPick, "row", movie.Height());
    const AxisPick cols = PickOf(colPick, "column", movie.Width());
    if (frames.ndim() != 1) throw py::value_error("frames must be one-dimensional");
    const py::ssize_t count = frames.shape(0);
    std::vector<int> indices(static_cast<size_t>(count));
    for (py::ssize_t i = 0; i < count; ++i) indices[static_cast<size_t>(i)] = movie.FrameIndex(frames.at(i));

    if (!py::isinstance<py::array>(target)) throw py::type_error("out must be a numpy array");
    auto out = py::reinterpret_borrow<py::array>(target);
    if (!out.dtype().equal(SampleType(movie))) throw py::type_error("out has the wrong dtype");
    if (out.ndim() != 3 || out.shape(0) != count || out.shape(1) != rows.count || out.shape(2) != cols.count)
        throw py::value_error("out has the wrong shape");
    if ((out.flags() & py::array::c_style) == 0 || !out.writeable())
        throw py::value_error("out must be writable and C-contiguous");

    auto* data = static_cast<uint8_t*>(out.mutable_data());
    const int bytes = movie.BytesPerSample();
    if (reinterpret_cast<uintptr_t>(data) % static_cast<uintptr_t>(bytes) != 0)
        throw py::value_error("out is not aligned to its samples");
    const int64_t cropBytes = int64_t{rows.count} * cols.count * bytes;
    const bool whole = rows.Whole(movie.Height()) && cols.Whole(movie.Width());
    {
        const py::gil_scoped_release unlocked;
        // A crop is cut from one reused frame buffer, so that it costs no more than the
        // whole frame it comes from.
        std::vector<uint8_t> frame(whole ? 0 : static_cast<size_t>(movie.FrameBytes()));
        for (const int n : indices) {
            if (whole) {
                movie.ReadFrame(n, data);
            } else {
                movie.ReadFrame(n, frame.data());
                if (bytes == 1)
                    CopyCrop(frame.data(), movie.Width(), rows, cols, data);
                else
                    CopyCrop(reinterpret_cast<const uint16_t*>(frame.data()), movie.Width(), rows, cols,
                             reinterpret_cast<uint16_t*>(data));
            }
            data += cropBytes;
        }
    }
    return py::reinterpret_borrow<py::object>(target);
}

}  // namespace

void BindSelection(py::class_<Movie>& movie) {
    movie.def("read_selection", &ReadSelection, py::arg("frames"), py::arg("rows"), py::arg("cols"), py::arg("out"),
              "Reads the frames listed, cropped to rows x cols (each (start, step, count)), into out.");
    movie.def_property_readonly("frames_read", [](Movie& m) {
            const auto claim = m.Use();
            return m.FramesRead();
        },
                                "Frames read through the movie since it was opened.");
}

}  // namespace zel::python
