// movie.kymograph: the core's kymograph (document/Kymograph.h) as a numpy array, the
// image the command-line tool's kymograph command writes.

#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "document/Kymograph.h"
#include "python/Bindings.h"

namespace zel::python {

namespace {

const char kKymographDoc[] = R"(The profile of a line over a range of frames, one row per frame.

line = (x0, y0, x1, y1), both points inside the frame (ValueError otherwise) and
distinct (a line of no samples is refused with ValueError). start and end are frame
indices, both included as the command-line tool's --start and --end; negative ones
count from the end; by default every frame the file holds.

Returns a numpy int16 array of shape (frames, samples): row k holds movie.profile(start
+ k, line), the rows of the tool's `profile` CSV and of its `kymograph` TIFF (which
stores the same 16 bits; TIFF readers give them as uint16). A kymograph of more than
65535 frames or samples, or of more than 1 GiB, is refused with ValueError; a frame that
cannot be read raises OSError.)";

// Four integers x0, y0, x1, y1, given as any sequence.
ProfileLine LineOf(const py::handle& value) {
    try {
        const auto c = value.cast<std::array<int, 4>>();
        return {c[0], c[1], c[2], c[3]};
    } catch (const py::cast_error&) {
        throw py::type_error("line must be four integers (x0, y0, x1, y1)");
    }
}

py::array_t<int16_t> KymographOf(Movie& movie, const py::object& line, const py::object& start, const py::object& end) {
    const auto claim = movie.Use();
    const ProfileLine points = LineOf(line);
    movie.CheckPoints(points);
    const FrameSpan span = SpanOf(movie, start, end);
    KymographBuilder builder;
    if (const Problem refused = builder.Begin(points, span, movie.Width(), movie.Height())) {
        if (refused.code == ProblemCode::NoMemoryForKymograph) {
            PyErr_SetString(PyExc_MemoryError, refused.Text().c_str());
            throw py::error_already_set();
        }
        throw py::value_error(refused.Text());
    }
    {
        const py::gil_scoped_release unlocked;
        for (int n = span.first; n <= span.last; ++n) builder.AddRow(movie.Profile(n, points));
    }
    const Kymograph kymograph = builder.Take();
    py::array_t<int16_t> rows({static_cast<py::ssize_t>(kymograph.Height()), static_cast<py::ssize_t>(kymograph.Width())});
    for (int y = 0; y < kymograph.Height(); ++y) kymograph.CopyRow(y, rows.mutable_data(y, 0));
    return rows;
}

}  // namespace

FrameSpan SpanOf(const Movie& movie, const py::object& start, const py::object& end) {
    const int first = start.is_none() ? 0 : FrameOf(movie, start);
    const int last = end.is_none() ? std::max(movie.Document().FramesHeld(), 1) - 1 : FrameOf(movie, end);
    FrameSpan span;
    if (const Problem refused = CheckSpan(first, last, movie.FrameCount(), span)) throw py::value_error(refused.Text());
    return span;
}

void BindKymograph(py::class_<Movie>& movie) {
    movie.def("kymograph", &KymographOf, py::arg("line"), py::arg("start") = py::none(), py::arg("end") = py::none(),
              kKymographDoc);
}

}  // namespace zel::python
