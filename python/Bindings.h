#pragma once
// The parts of the zeltiff16 Python module, each defined in its own file and put
// together by Module.cpp.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>

#include "document/FrameRange.h"
#include "python/Movie.h"
#include "reader/MovieParameters.h"

namespace zel::python {

namespace py = pybind11;

// Raises the module's C++ failures as the matching Python exceptions (Errors.h).
void RegisterErrors();

// The recording parameters as a dict, keys and order as `zeltiff16-cli info --json`.
py::dict ParamsDict(const MovieParameters& movie);

// Text from the movie file or a path as str; bytes that are not UTF-8 come through as
// lone surrogates, as os.fsdecode gives them.
py::str DecodeText(const std::string& text);

// The frame an index object names (an int or anything with __index__; negative counts
// from the end). TypeError for other objects, IndexError outside the movie.
int FrameOf(const Movie& movie, const py::handle& index);

// The frames start..end, both included, as indices FrameOf reads (None: from the first,
// to the last frame the file holds). ValueError for a reversed range.
FrameSpan SpanOf(const Movie& movie, const py::object& start, const py::object& end);

// A path as the bytes the system takes: str, bytes or os.PathLike (os.fsencode).
std::string FileSystemPath(const py::handle& path);

// numpy.uint16, or numpy.uint8 for 8-bit movies.
py::dtype SampleType(const Movie& movie);

// Movie: frames, parameters, context management.
py::class_<Movie> BindMovie(py::module_& module);
// aoi_statistics and profile, with the named tuples they return.
void BindMeasurements(py::module_& module, py::class_<Movie>& movie);
// kymograph: a line's profile over a frame range as one array (Kymograph.cpp).
void BindKymograph(py::class_<Movie>& movie);
// read_selection, the read behind numpy-style indexing (Selection.cpp).
void BindSelection(py::class_<Movie>& movie);
// aoi_histogram and pixel_size (Analysis.cpp).
void BindAnalysis(py::module_& module, py::class_<Movie>& movie);
// save_tiff_stack and save_video: the core's exports (Writers.cpp).
void BindWriters(py::class_<Movie>& movie);

}  // namespace zel::python
