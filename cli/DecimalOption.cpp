#include "cli/DecimalOption.h"

#include <limits>
#include <string>

#include "cli/DecimalInt.h"

namespace zel::cli {

CLI::Validator DecimalInteger() {
    return CLI::Validator(
        [](std::string& value) -> std::string {
            const auto parsed = ParseDecimalInt(value);
            if (!parsed)
                return "expected a decimal integer from " + std::to_string(std::numeric_limits<int>::min()) + " to " +
                       std::to_string(std::numeric_limits<int>::max()) + ", got '" + value + "'";
            value = std::to_string(*parsed);
            return {};
        },
        "", "DECIMAL");
}

}  // namespace zel::cli
