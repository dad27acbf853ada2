#include "document/AxisTicks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace zel {

namespace {

// Beyond 2^52 a double no longer holds every integer, so multiples of the step counted
// from there would repeat or skip: the range is too narrow for its magnitude.
constexpr double kLargestExactMultiple = 4503599627370496.0;

// Fixed notation stops being readable past this many digits before or after the point.
constexpr double kLargestFixed = 1e9;
constexpr double kSmallestFixedStep = 1e-6;
constexpr int kMaxDigits = 15;  // what a double holds

// The power of ten of a nice step (1, 2 or 5 x 10^k): k. The small nudge keeps log10 of
// an exact power of ten, which may come out a hair below the integer, from dropping to
// the power beneath.
int DecimalExponent(double value) { return static_cast<int>(std::floor(std::log10(value) + 1e-9)); }

// The nice step below a nice step: 5 -> 2, 2 -> 1, 1 -> 0.5 (times the power of ten).
double SmallerNiceStep(double step) {
    const double power = std::pow(10.0, DecimalExponent(step));
    const double mantissa = step / power;
    if (mantissa > 3.0) return 2.0 * power;
    if (mantissa > 1.5) return power;
    return 0.5 * power;
}

AxisTicks SingleTick(double value) {
    AxisTicks ticks;
    ticks.first = value;
    ticks.count = 1;
    // Four significant digits say which value the lone tick stands at.
    const double magnitude = std::fabs(value);
    ticks.step = magnitude > 0.0 ? NiceStep(magnitude * 1e-3) : 1.0;
    if (ticks.step == 0.0) ticks.step = 1.0;
    return ticks;
}

void ChooseNotation(AxisTicks& ticks) {
    if (ticks.count == 0) return;
    const double largest = std::max(std::fabs(ticks.At(0)), std::fabs(ticks.At(ticks.count - 1)));
    const int stepExponent = DecimalExponent(ticks.step);
    ticks.exponent = largest >= kLargestFixed || ticks.step < kSmallestFixedStep;
    if (ticks.exponent) {
        const int leading = largest > 0.0 ? DecimalExponent(largest) : stepExponent;
        ticks.decimals = std::clamp(leading - stepExponent, 0, kMaxDigits);
    } else {
        ticks.decimals = std::clamp(-stepExponent, 0, kMaxDigits);
    }
}

}  // namespace

double AxisTicks::At(int i) const {
    const double offset = step * i;
    // Near the double's limits step * i may overflow while the tick itself does not.
    const double value = std::isfinite(offset) ? first + offset : (first / 2 + step / 2 * i) * 2;
    // A tick that should be zero but carries the rounding of first + i * step would read
    // "-0.0" or "1e-17".
    return std::fabs(value) < step * 1e-9 ? 0.0 : value;
}

double NiceStep(double rough) {
    if (!(rough > 0.0) || !std::isfinite(rough)) return 0.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return 0.0;
    const double fraction = rough / magnitude;  // 1 .. 10, give or take the rounding of log10
    for (const double nice : {1.0, 2.0, 5.0, 10.0, 20.0}) {
        if (fraction <= nice * (1.0 + 1e-12)) {
            const double step = nice * magnitude;
            return std::isfinite(step) ? step : 0.0;
        }
    }
    return 0.0;
}

AxisTicks ComputeTicks(double low, double high, int maxIntervals, double minStep) {
    if (!std::isfinite(low) || !std::isfinite(high)) return {};
    if (low > high) std::swap(low, high);
    if (low == high) {
        AxisTicks single = SingleTick(low);
        ChooseNotation(single);
        return single;
    }
    const int intervals = std::clamp(maxIntervals, 1, kMaxTickIntervals);
    // Divided before subtracting: high - low overflows for ranges near the double's limits.
    double rough = high / intervals - low / intervals;
    if (minStep > 0.0 && std::isfinite(minStep)) rough = std::max(rough, minStep);
    double step = NiceStep(rough);
    if (step == 0.0) return {};
    // An end that is a multiple of the step keeps its tick despite the division's rounding
    // (-0.3 / 0.1 is -2.9999999999999996).
    double firstMultiple = std::ceil(low / step - 1e-9);
    double lastMultiple = std::floor(high / step + 1e-9);
    // A range that holds no multiple of its step (12.5 .. 4096 with one interval, step
    // 5000) gets smaller steps until one does, but never below minStep.
    for (int smaller = 0; smaller < 3 && lastMultiple < firstMultiple; ++smaller) {
        const double next = SmallerNiceStep(step);
        if (next == 0.0 || (minStep > 0.0 && next < minStep)) break;
        step = next;
        firstMultiple = std::ceil(low / step - 1e-9);
        lastMultiple = std::floor(high / step + 1e-9);
    }
    AxisTicks ticks;
    if (std::fabs(firstMultiple) > kLargestExactMultiple || std::fabs(lastMultiple) > kLargestExactMultiple) {
        ticks = SingleTick(low);
    } else if (lastMultiple >= firstMultiple) {
        ticks.first = firstMultiple * step;
        ticks.step = step;
        ticks.count = static_cast<int>(std::min(lastMultiple - firstMultiple + 1.0, intervals + 1.0));
    } else {
        return {};  // no multiple of the step lies inside (a range narrower than minStep)
    }
    ChooseNotation(ticks);
    return ticks;
}

std::string TickLabel(const AxisTicks& ticks, int i) {
    double value = ticks.At(i);
    if (value == 0.0) value = 0.0;  // -0.0 compares equal to 0 and becomes +0
    char text[64];
    const auto format = ticks.exponent ? std::chars_format::scientific : std::chars_format::fixed;
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, format, ticks.decimals);
    if (error != std::errc()) return {};
    std::string label(text, end);
    // A value that rounds to zero at this precision (e.g. -0.004 with 2 decimals) would
    // keep its sign: "-0.00".
    if (label.size() > 1 && label.front() == '-' &&
        label.find_first_not_of("0.", 1) == std::string::npos)
        label.erase(0, 1);
    return label;
}

AxisTicks TicksThatFit(double low, double high, double minStep, double length, double gap,
                       const std::function<double(const std::string&)>& labelWidth) {
    if (!(length > 0.0) || !std::isfinite(length)) return ComputeTicks(low, high, 1, minStep);
    gap = std::isfinite(gap) ? std::max(gap, 1.0) : 1.0;
    // The first guess allows a tick every `gap` pixels; each retry allows fewer.
    int intervals = static_cast<int>(std::min(length / gap, static_cast<double>(kMaxTickIntervals)));
    AxisTicks ticks;
    for (int attempt = 0; attempt < 16; ++attempt) {
        ticks = ComputeTicks(low, high, std::max(intervals, 1), minStep);
        if (ticks.count <= 1 || intervals <= 1) return ticks;
        double widest = 0.0;
        for (int i = 0; i < ticks.count; ++i) widest = std::max(widest, labelWidth(TickLabel(ticks, i)));
        // Pixels between neighbouring ticks; halves keep the span finite near the limits.
        const double halfSpan = std::fabs(high / 2 - low / 2);
        const double spacing = length * (ticks.step / 2) / halfSpan;
        const double needed = widest + gap;
        if (spacing >= needed) return ticks;
        intervals = std::min(intervals - 1, static_cast<int>(length / needed));
    }
    return ticks;
}

ValueRange PaddedRange(double min, double max, double fraction, double minPad) {
    if (!std::isfinite(min) || !std::isfinite(max)) return {0.0, 1.0};
    if (min > max) std::swap(min, max);
    const double width = max - min;
    if (!std::isfinite(width)) return {min, max};
    const double pad = std::max(std::isfinite(fraction) && fraction > 0.0 ? width * fraction : 0.0,
                                std::isfinite(minPad) ? minPad : 0.0);
    return {min - pad, max + pad};
}

}  // namespace zel
