#include <variant>

#include "python/Bindings.h"
#include "reader/ParameterList.h"

namespace zel::python {

py::str DecodeText(const std::string& text) {
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (decoded == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

py::dict ParamsDict(const MovieParameters& movie) {
    py::dict params;
    for (const ParameterField& field : ParameterFields(movie)) {
        if (const auto* text = std::get_if<std::string>(&field.value))
            params[field.name] = DecodeText(*text);
        else
            params[field.name] = std::get<int64_t>(field.value);
    }
    return params;
}

}  // namespace zel::python
