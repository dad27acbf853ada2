#include "document/Calibration.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

namespace zel {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// The unit's stored name, or empty when it is not one we know.
std::string UnitName(std::string_view unit) {
    if (unit == "um" || unit == "\xC2\xB5m" || unit == "\xCE\xBCm" || unit == "micron" || unit == "microns")
        return "um";
    for (const char* known : {"nm", "mm", "cm", "m", "in"})
        if (unit == known) return known;
    return {};
}

}  // namespace

std::string Calibration::UnitText() const {
    if (!Known()) return "px";
    return unit == "um" ? "\xC2\xB5m" : unit;
}

std::string Calibration::Text() const {
    if (!Known()) return {};
    char number[32];
    std::snprintf(number, sizeof number, "%.15g", pixelSize);
    return number + unit;
}

Problem ParsePixelSize(std::string_view text, Calibration& calibration) {
    const std::string_view whole = Trimmed(text);
    const Problem refused{ProblemCode::BadPixelSize, {std::string(text)}};
    // The number is everything up to the first letter (or the micro sign's first byte).
    size_t end = 0;
    while (end < whole.size() && (std::isdigit(static_cast<unsigned char>(whole[end])) || whole[end] == '.' ||
                                  whole[end] == '-' || whole[end] == '+' ||
                                  ((whole[end] == 'e' || whole[end] == 'E') && end + 1 < whole.size() &&
                                   (std::isdigit(static_cast<unsigned char>(whole[end + 1])) ||
                                    whole[end + 1] == '-' || whole[end + 1] == '+'))))
        ++end;
    double value = 0.0;
    const std::string number(whole.substr(0, end));
    const auto parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || parsed.ec != std::errc{} || parsed.ptr != number.data() + number.size() ||
        !std::isfinite(value) || value <= 0.0)
        return refused;
    const std::string unit = UnitName(Trimmed(whole.substr(end)));
    if (unit.empty()) return refused;
    calibration = {value, unit};
    return {};
}

}  // namespace zel
