// zeltiff16: reads movie files into numpy arrays, with the parameters, frames and
// measurements of the command-line tool.

#include <memory>
#include <optional>
#include <string>

#include "ZelVersion.h"
#include "python/Bindings.h"

namespace zel::python {

namespace {

const char kModuleDoc[] = R"(Reads .zel high-speed camera movies into numpy arrays.

    import zeltiff16
    with zeltiff16.open("shot.zel") as movie:
        print(movie.shape, movie.dtype, movie.params["frameCount"])
        first = movie[0]
        out = numpy.empty(movie.shape[1:], movie.dtype)
        for i in range(len(movie)):
            movie.read(i, out=out)

The frames hold the samples the command-line tool converts and measures: decoded
and, unless open() is told otherwise, corrected with the movie's correction data.)";

const char kOpenDoc[] = R"(Opens a movie file and returns a Movie.

correction: apply the movie's correction data to the frames read (a RuntimeWarning
says so when the data the movie has cannot be used).
black_reference: path of a dark movie whose averaged frames replace the correction
offsets (black balance); needs correction.

Raises OSError when the file cannot be opened (FileNotFoundError, PermissionError,
...), ValueError when it is not a readable movie or the black reference cannot be
applied, with the reason.)";

// A path as the bytes the system takes: str, bytes or os.PathLike.
std::string FileSystemPath(const py::handle& path) {
    return py::module_::import("os").attr("fsencode")(path).cast<std::string>();
}

std::unique_ptr<Movie> Open(const py::object& path, bool correction, const py::object& blackReference) {
    const std::string file = FileSystemPath(path);
    std::optional<std::string> reference;
    if (!blackReference.is_none()) reference = FileSystemPath(blackReference);
    std::unique_ptr<Movie> movie;
    {
        const py::gil_scoped_release unlocked;
        movie = std::make_unique<Movie>(file, correction, reference);
    }
    const std::string& note = movie->Reader().CorrectionNote();
    if (correction && !note.empty())
        py::module_::import("warnings")
            .attr("warn")(DecodeText(file + ": opened without correction: " + note), py::handle(PyExc_RuntimeWarning));
    return movie;
}

}  // namespace

}  // namespace zel::python

PYBIND11_MODULE(zeltiff16, module) {
    namespace py = pybind11;
    using namespace zel::python;
    module.doc() = kModuleDoc;
    module.attr("__version__") = zel::kVersionString;
    RegisterErrors();
    auto movie = BindMovie(module);
    BindMeasurements(module, movie);
    BindKymograph(movie);
    BindAnalysis(module, movie);
    module.def("open", &Open, py::arg("path"), py::arg("correction") = true, py::arg("black_reference") = py::none(),
               kOpenDoc);
}
