#include "python/Errors.h"

#include <cstring>

#include "python/Bindings.h"

namespace zel::python {

OpenRefused::OpenRefused(const std::string& path, Problem failure)
    : std::runtime_error(path + ": " + failure.Text()), path_(path), failure_(std::move(failure)) {}

namespace {

void Raise(PyObject* type, const char* message) { PyErr_SetObject(type, DecodeText(message).ptr()); }

// The error number whose system text is `reason` (what the reader keeps of a failed
// open), 0 for a text of the reader's own. Called with the interpreter lock held, which
// keeps strerror's calls apart.
int ErrnoOfReason(const std::string& reason) {
    for (int code = 1; code < 256; ++code)
        if (reason == std::strerror(code)) return code;
    return 0;
}

// OSError(errno, text, path), which Python turns into the subclass for the number
// (FileNotFoundError, PermissionError, ...); a plain OSError without a number.
void RaiseCannotOpen(const OpenRefused& e) {
    const auto& arguments = e.Failure().arguments;
    const int code = arguments.empty() ? 0 : ErrnoOfReason(arguments.front());
    if (code == 0) {
        Raise(PyExc_OSError, e.what());
        return;
    }
    const py::object filename =
        py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(e.Path().data(), static_cast<Py_ssize_t>(e.Path().size())));
    if (!filename) return;  // the decoding error stands
    const py::object error = py::handle(PyExc_OSError)(code, e.Failure().Text(), filename);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
}

}  // namespace

void RegisterErrors() {
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const OpenRefused& e) {
            if (e.Failure().code == ProblemCode::CannotOpenFile)
                RaiseCannotOpen(e);
            else
                Raise(PyExc_ValueError, e.what());
        } catch (const FrameUnreadable& e) {
            Raise(PyExc_OSError, e.what());
        } catch (const MovieBusy& e) {
            Raise(PyExc_RuntimeError, e.what());
        } catch (const MovieClosed& e) {
            Raise(PyExc_ValueError, e.what());
        }
    });
}

}  // namespace zel::python
