#pragma once
// The size of one pixel on the object, when the user knows it. A movie does not carry it:
// the user gives it (the tool's --pixel-size, the window's calibration dialog), and every
// length a measurement reports can then be said in that unit as well as in pixels.
//
// Units are the metric ones a microscope or a lens scale gives, plus inches; the unit is
// kept as given so that a length is never rescaled behind the user's back.

#include <string>
#include <string_view>

#include "reader/Problem.h"

namespace zel {

struct Calibration {
    double pixelSize = 0.0;  // in `unit`; 0 when not known
    std::string unit;        // one of "nm", "um", "mm", "cm", "m", "in"

    bool Known() const { return pixelSize > 0.0; }
    // The unit as people write it: "µm" for "um"; "px" when not known.
    std::string UnitText() const;
    // A length of `pixels` pixels in the unit (pixels themselves when not known).
    double Length(double pixels) const { return Known() ? pixels * pixelSize : pixels; }
    // The text ParsePixelSize reads back, e.g. "12.5um"; empty when not known.
    std::string Text() const;
    friend bool operator==(const Calibration&, const Calibration&) = default;
};

// Reads "12.5um", "12.5 µm", "0.5mm", "2e-3 m", "0.001in" (the unit "micron" too). A number
// that is not finite and positive, or a unit not listed, is BadPixelSize and leaves
// `calibration` unchanged.
Problem ParsePixelSize(std::string_view text, Calibration& calibration);

}  // namespace zel
