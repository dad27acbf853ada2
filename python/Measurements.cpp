// The measurements of the command-line tool's aoi and profile commands, for one frame.

#include <pybind11/eval.h>
#include <pybind11/stl.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "python/Bindings.h"

namespace zel::python {

namespace {

// Four integers x0, y0, x1, y1, given as any sequence.
std::array<int, 4> Corners(const py::handle& value, const char* name) {
    try {
        return value.cast<std::array<int, 4>>();
    } catch (const py::cast_error&) {
        throw py::type_error(std::string(name) + " must be four integers (x0, y0, x1, y1)");
    }
}

const char kStatisticsDoc[] = R"(Statistics of the corrected samples of one frame in a rectangle.

rect = (x0, y0, x1, y1) names two opposite corners, both inside the frame
(ValueError otherwise); the rectangle includes them. Returns the figures of the
command-line tool's `aoi` CSV row for that frame:
  monochrome movie: ChannelStatistics(average, minimum, maximum)
  colour mosaic:    ColourStatistics(red, green, blue), each a ChannelStatistics
                    of that colour's pixels in the rectangle
average is a float, minimum and maximum are ints, as the CSV row has them (the
maximum never below 0). Each ChannelStatistics also carries the fuller figures as
attributes: count (pixels), mean, std (sample standard deviation, n - 1; nan for
fewer than 2 pixels), min and max (the true extremes); a channel without pixels has
count 0 and nan for the others.)";

// The statistics tuple keeps its three fields (so that unpacking it keeps working) and
// carries the fuller figures as attributes.
const char kChannelClass[] = R"py(
from collections import namedtuple as _namedtuple
class ChannelStatistics(_namedtuple("ChannelStatistics", "average minimum maximum")):
    """Average, minimum and maximum of the samples of one channel in a rectangle, with
    count, mean, std, min and max as attributes."""
    def __repr__(self):
        return ("ChannelStatistics(average=%r, minimum=%r, maximum=%r, count=%r, mean=%r, std=%r, min=%r, max=%r)"
                % (self.average, self.minimum, self.maximum, self.count, self.mean, self.std, self.min, self.max))
ChannelStatistics.__module__ = "zeltiff16"
)py";

const char kProfileDoc[] = R"(The corrected samples of one frame along a line.

line = (x0, y0, x1, y1), both points inside the frame (ValueError otherwise).
Returns a numpy int16 array of max(|x1 - x0|, |y1 - y0|) samples, one per step of
the longer axis from (x0, y0) toward (x1, y1), the end point excluded: the values of
the command-line tool's `profile` CSV row for that frame.)";

}  // namespace

void BindMeasurements(py::module_& module, py::class_<Movie>& movie) {
    const py::object namedtuple = py::module_::import("collections").attr("namedtuple");
    py::dict scope;
    py::exec(kChannelClass, scope);
    const py::object channel = scope["ChannelStatistics"];
    const py::object colour = namedtuple("ColourStatistics", "red green blue", py::arg("module") = "zeltiff16");
    colour.attr("__doc__") = "ChannelStatistics of the red, green and blue pixels of a colour mosaic.";
    module.attr("ChannelStatistics") = channel;
    module.attr("ColourStatistics") = colour;

    movie.def(
        "aoi_statistics",
        [channel, colour](Movie& m, const py::object& frame, const py::object& rect) {
            const auto claim = m.Use();
            const int n = FrameOf(m, frame);
            const auto [x0, y0, x1, y1] = Corners(rect, "rect");
            const AoiRect corners{x0, y0, x1, y1};
            m.CheckPoints(corners);
            AoiStatistics stats;
            AoiSummary summary;
            {
                const py::gil_scoped_release unlocked;
                stats = m.Statistics(n, corners, &summary);
            }
            const auto figures = [&](const ChannelStatistics& c, const ChannelSummary& s) {
                py::object figures = channel(c.average, c.minimum, c.maximum);
                const double nan = std::numeric_limits<double>::quiet_NaN();
                figures.attr("count") = s.count;
                figures.attr("mean") = s.Mean();
                figures.attr("std") = s.StandardDeviation();
                figures.attr("min") = s.count > 0 ? py::object(py::int_(s.minimum)) : py::object(py::float_(nan));
                figures.attr("max") = s.count > 0 ? py::object(py::int_(s.maximum)) : py::object(py::float_(nan));
                return figures;
            };
            // A monochrome movie has the same figures in all three.
            return m.IsColour() ? colour(figures(stats.red, summary.red), figures(stats.green, summary.green),
                                         figures(stats.blue, summary.blue))
                                : figures(stats.red, summary.all);
        },
        py::arg("frame"), py::arg("rect"), kStatisticsDoc);

    movie.def(
        "profile",
        [](Movie& m, const py::object& frame, const py::object& line) {
            const auto claim = m.Use();
            const int n = FrameOf(m, frame);
            const auto [x0, y0, x1, y1] = Corners(line, "line");
            const ProfileLine points{x0, y0, x1, y1};
            m.CheckPoints(points);
            std::vector<int16_t> values;
            {
                const py::gil_scoped_release unlocked;
                values = m.Profile(n, points);
            }
            return py::array_t<int16_t>(static_cast<py::ssize_t>(values.size()), values.data());
        },
        py::arg("frame"), py::arg("line"), kProfileDoc);
}

}  // namespace zel::python
