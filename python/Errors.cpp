#include "python/Errors.h"

#include <system_error>

#include "python/Bindings.h"

namespace zel::python {

OpenRefused::OpenRefused(const std::string& path, Problem failure)
    : std::runtime_error(path + ": " + failure.Text()), path_(path), failure_(std::move(failure)) {}

namespace {

void Raise(PyObject* type, const char* message) { PyErr_SetObject(type, DecodeText(message).ptr()); }

// The POSIX error number behind a system error, 0 when it has none. The file code reports
// errno values in std::generic_category() (on Windows too, for the failures that have a
// POSIX equivalent); another category says so through its default error condition.
int ErrnoOf(const std::error_code& system) {
    if (!system) return 0;
    const std::error_condition condition = system.default_error_condition();
    return condition.category() == std::generic_category() ? condition.value() : 0;
}

// OSError(errno, text, path), which Python turns into the subclass for the number
// (FileNotFoundError, PermissionError, IsADirectoryError, ...); a plain OSError when the
// system gave no error number (a path that is not a regular file, say).
void RaiseCannotOpen(const OpenRefused& e) {
    const int code = ErrnoOf(e.Failure().system);
    if (code == 0) {
        Raise(PyExc_OSError, e.what());
        return;
    }
    const py::object filename =
        py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(e.Path().data(), static_cast<Py_ssize_t>(e.Path().size())));
    if (!filename) return;  // the decoding error stands
    const py::object error = py::handle(PyExc_OSError)(code, DecodeText(e.Failure().Text()), filename);
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
