#pragma once
// Tick marks of a graph axis: "nice" steps (1, 2 or 5 times a power of ten) so that the
// labels read as round numbers, as many as fit along the axis without their texts
// touching, and the label text of each tick.
//
// The ranges come from data (a profile's values, a line's length in some unit), so every
// function here accepts any double, infinities and NaN included, and returns a bounded
// result: never more than kMaxTickIntervals + 1 ticks, never a loop that depends on the
// range's size.

#include <functional>
#include <string>

namespace zel {

// More labels than this along one axis could not be read anyway.
inline constexpr int kMaxTickIntervals = 1000;

// The ticks low <= first + i * step <= high for i = 0 .. count - 1. count 0 means the
// range had no usable ticks (not finite, or a step too large for a double).
struct AxisTicks {
    double first = 0.0;
    double step = 0.0;
    int count = 0;
    int decimals = 0;     // digits after the point that tell neighbouring ticks apart
    bool exponent = false;  // labels as 1.5e+09: fixed notation would be too long

    double At(int i) const;
};

// The smallest of 1, 2, 5 x 10^k that is >= `rough`; 0 when rough is not finite and
// positive, or the step would not be a finite double.
double NiceStep(double rough);

// Ticks at multiples of a nice step over [low, high] (swapped when low > high), at most
// maxIntervals + 1 of them (maxIntervals is clamped to 1 .. kMaxTickIntervals), with a
// step of at least minStep (e.g. 1 for integer values; <= 0: no lower bound). A
// zero-width range, or one too narrow for its magnitude to be told apart in a double,
// has the one tick at low.
AxisTicks ComputeTicks(double low, double high, int maxIntervals, double minStep = 0.0);

// The label of tick i: fixed notation with ticks.decimals digits, or exponent notation;
// always '.' as the decimal point and never "-0".
std::string TickLabel(const AxisTicks& ticks, int i);

// Ticks over [low, high] drawn along `length` pixels whose labels do not overlap: the
// most ticks for which the distance between neighbours is at least the widest label
// (labelWidth of each label, in pixels) plus `gap`. Tries a bounded number of counts.
AxisTicks TicksThatFit(double low, double high, double minStep, double length, double gap,
                       const std::function<double(const std::string&)>& labelWidth);

// The range of values a graph fitted to data shows: min .. max widened by `fraction` of
// its width on each side, and by at least `minPad`, so that a flat profile still has a
// height (never a zero-width range when minPad > 0). Swapped when min > max.
struct ValueRange {
    double low = 0.0;
    double high = 0.0;
};
ValueRange PaddedRange(double min, double max, double fraction, double minPad);

}  // namespace zel
