#pragma once
// Whole numbers typed by a person are read as plain decimal: "001000" is one thousand,
// not an octal number, and prefixes such as "0x" are refused rather than guessed at.

#include <charconv>
#include <optional>
#include <string_view>

namespace zel::cli {

// The value of an optional sign ('+' or '-') followed by one or more decimal digits, or
// nothing when the text has any other character or the value does not fit an int.
inline std::optional<int> ParseDecimalInt(std::string_view text) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);  // from_chars takes '-' only
    const std::string_view digits = !plus && !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace zel::cli
