// movie.aoi_histogram and movie.pixel_size: the core's histogram of a rectangle and the
// movie's pixel calibration, as the window shows and uses them.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <string>

#include "document/Calibration.h"
#include "document/Histogram.h"
#include "python/Bindings.h"

namespace zel::python {

namespace {

const char kHistogramDoc[] = R"(The histogram of the corrected samples of one frame in a rectangle.

rect = (x0, y0, x1, y1), both corners inside the frame (ValueError otherwise) and
included. The bins cover the movie's whole range 0 .. 2^bits - 1 (at most 256 bins of
2^k values each), the same for every frame. Returns
AoiHistogram(counts, edges, below, above):
  counts  uint64 array: (bins,) for a monochrome movie, (3, bins) red, green, blue for a
          colour mosaic
  edges   int64 array of bins + 1 bin edges (bin i holds edges[i] <= v < edges[i + 1])
  below, above  samples under 0 / over 2^bits - 1 (after correction), counted apart
                (ints, or arrays of 3 for a colour mosaic))";

const char kPixelSizeDoc[] = R"(The size of one pixel on the object, as (size, unit), or None.

Set it with a text such as "12.5um" (nm, um, mm, cm, m or in) or None; anything else
raises ValueError. Nothing in the file changes: it is this Movie's calibration.)";

std::array<int, 4> Corners(const py::handle& value) {
    try {
        return value.cast<std::array<int, 4>>();
    } catch (const py::cast_error&) {
        throw py::type_error("rect must be four integers (x0, y0, x1, y1)");
    }
}

}  // namespace

void BindAnalysis(py::module_& module, py::class_<Movie>& movie) {
    const py::object histogramType = py::module_::import("collections").attr("namedtuple")(
        "AoiHistogram", "counts edges below above", py::arg("module") = "zeltiff16");
    histogramType.attr("__doc__") = "Counts per bin, bin edges and the samples outside the range.";
    module.attr("AoiHistogram") = histogramType;

    movie.def(
        "aoi_histogram",
        [histogramType](Movie& m, const py::object& frame, const py::object& rect) {
            const auto claim = m.Use();
            const int n = FrameOf(m, frame);
            const auto [x0, y0, x1, y1] = Corners(rect);
            const AoiRect corners{x0, y0, x1, y1};
            m.CheckPoints(corners);
            AoiHistogram histogram;
            {
                const py::gil_scoped_release unlocked;
                m.Histogram(n, corners, histogram);
            }
            const py::ssize_t bins = histogram.binCount;
            py::array_t<int64_t> edges(bins + 1);
            for (py::ssize_t i = 0; i <= bins; ++i) edges.mutable_at(i) = int64_t{histogram.BinWidth()} * i;
            if (!histogram.colour) {
                py::array_t<uint64_t> counts(bins, histogram.all.bins.data());
                return histogramType(counts, edges, histogram.all.below, histogram.all.above);
            }
            py::array_t<uint64_t> counts({py::ssize_t{3}, bins});
            py::array_t<uint64_t> below(3), above(3);
            const ChannelHistogram* channels[] = {&histogram.red, &histogram.green, &histogram.blue};
            for (py::ssize_t c = 0; c < 3; ++c) {
                for (py::ssize_t i = 0; i < bins; ++i) counts.mutable_at(c, i) = channels[c]->bins[static_cast<size_t>(i)];
                below.mutable_at(c) = channels[c]->below;
                above.mutable_at(c) = channels[c]->above;
            }
            return histogramType(counts, edges, below, above);
        },
        py::arg("frame"), py::arg("rect"), kHistogramDoc);

    movie.def_property(
        "pixel_size",
        [](Movie& m) -> py::object {
            const Calibration& c = m.Document().PixelCalibration();
            if (!c.Known()) return py::none();
            return py::make_tuple(c.pixelSize, c.unit);
        },
        [](Movie& m, const py::object& value) {
            const auto claim = m.Use();
            Calibration calibration;
            if (!value.is_none()) {
                if (const Problem refused = ParsePixelSize(py::str(value).cast<std::string>(), calibration))
                    throw py::value_error(refused.Text());
            }
            m.SetPixelCalibration(calibration);
        },
        kPixelSizeDoc);
}

}  // namespace zel::python
