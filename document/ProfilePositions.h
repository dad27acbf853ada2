#pragma once
// Where the samples of a profile lie along its line. The profile takes one sample per
// step of the line's longer axis, so neighbouring samples are not one pixel apart but
// length / max(|dx|, |dy|): 1 for a horizontal or vertical line, up to sqrt(2) for a
// diagonal one. A graph's position axis and its readout say these distances, in pixels
// and, when the pixel size is known, in the calibrated unit.

#include "document/Calibration.h"
#include "document/Measurements.h"

namespace zel {

struct ProfilePositions {
    double pixelSpacing = 1.0;  // pixels between neighbouring samples, >= 1
    Calibration calibration;    // used only when Known() and it gives finite lengths

    // The distance of sample i from the line's start in pixels, and in the axis unit:
    // the calibrated unit when known, else pixels again.
    double Pixels(double i) const { return i * pixelSpacing; }
    double InUnit(double i) const;
    // The sample spacing in the axis unit (> 0).
    double UnitSpacing() const;
    bool Calibrated() const;
    // Digits after the point for a position in the axis unit: enough to tell samples apart
    // to a tenth of their spacing, no more (0 .. 9).
    int UnitDecimals() const;
    friend bool operator==(const ProfilePositions&, const ProfilePositions&) = default;
};

// The spacing of `line`'s samples (1 for a line of no length, which has no step) with
// `calibration` for the unit. A pixel size that would make lengths overflow or vanish
// counts as unknown.
ProfilePositions PositionsAlong(const ProfileLine& line, const Calibration& calibration);

}  // namespace zel
