// zeltiff16._zeltiff16: the extension under the zeltiff16 package; it reads movie files into
// numpy arrays, with the parameters, frames and measurements of the command-line tool.

#include <memory>
#include <optional>
#include <string>

#include "ZelVersion.h"
#include "python/Bindings.h"

namespace zel::python {

std::string FileSystemPath(const py::handle& path) {
    return py::module_::import("os").attr("fsencode")(path).cast<std::string>();
}

namespace {

const char kModuleDoc[] = R"(The reader under the zeltiff16 package: movies opened and read through the
core's code. Use the package (zeltiff16.open, zeltiff16.Movie), which wraps it.)";

const char kOpenDoc[] = R"(Opens a movie file as the extension's reader (zeltiff16.open wraps it).

Raises OSError when the file cannot be opened, ValueError when it is not a readable
movie or the black reference cannot be applied, with the reason.)";

std::unique_ptr<Movie> Open(const py::object& path, bool correction, const py::object& blackReference) {
    const std::string file = FileSystemPath(path);
    std::optional<std::string> reference;
    if (!blackReference.is_none()) reference = FileSystemPath(blackReference);
    std::unique_ptr<Movie> movie;
    {
        const py::gil_scoped_release unlocked;
        movie = std::make_unique<Movie>(file, correction, reference);
    }
    return movie;
}

}  // namespace

}  // namespace zel::python

PYBIND11_MODULE(_zeltiff16, module) {
    namespace py = pybind11;
    using namespace zel::python;
    module.doc() = kModuleDoc;
    module.attr("__version__") = zel::kVersionString;
    RegisterErrors();
    auto movie = BindMovie(module);
    BindMeasurements(module, movie);
    BindKymograph(movie);
    BindSelection(movie);
    BindAnalysis(module, movie);
    BindWriters(movie);
    module.def("open", &Open, py::arg("path"), py::arg("correction") = true, py::arg("black_reference") = py::none(),
               kOpenDoc);
}
