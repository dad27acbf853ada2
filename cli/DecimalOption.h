#pragma once
// Integer options of the tool take decimal values only (see DecimalInt.h).

#include <CLI/CLI.hpp>

namespace zel::cli {

// A CLI11 transform for integer options: refuses anything but a decimal integer that fits
// an int, naming the value, and hands the canonical digits on to CLI11's own conversion
// (which would otherwise read "010" as octal and accept "0x3"). Being a transform, it
// runs before the option's checks, so ranges and member lists see the decimal value.
CLI::Validator DecimalInteger();

}  // namespace zel::cli
