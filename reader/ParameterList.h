#pragma once
// The recording parameters as the front ends list them: the command-line tool's info
// and the Python module's params show the same fields, under the reader's own names,
// in this order.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "reader/MovieParameters.h"

namespace zel {

struct ParameterField {
    const char* name;                           // the reader's field name
    std::variant<int64_t, std::string> value;  // the camera code and file name are text
};

std::vector<ParameterField> ParameterFields(const MovieParameters& movie);

}  // namespace zel
