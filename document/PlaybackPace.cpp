#include "document/PlaybackPace.h"

#include <algorithm>
#include <array>
#include <limits>

namespace zel {

namespace {

__extension__ typedef __int128 Wide;  // GCC and Clang, on every target we build for

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kNsPerSecond = 1'000'000'000;

struct RateName {
    PlaybackRate rate;
    std::string_view key;
    int64_t slowdown;   // recording periods per frame shown (real time)
    int64_t perSecond;  // frames per second (display rates)
};
constexpr std::array<RateName, kPlaybackRateCount> kRates{{
    {PlaybackRate::AsFastAsPossible, "fast", 0, 0},
    {PlaybackRate::RealTimeTenth, "1/10", 10, 0},
    {PlaybackRate::RealTimeHundredth, "1/100", 100, 0},
    {PlaybackRate::RealTimeThousandth, "1/1000", 1000, 0},
    {PlaybackRate::Display25, "25", 0, 25},
    {PlaybackRate::Display30, "30", 0, 30},
    {PlaybackRate::Display60, "60", 0, 60},
}};

const RateName& NameOf(PlaybackRate rate) {
    for (const RateName& name : kRates)
        if (name.rate == rate) return name;
    return kRates[0];
}

int64_t Saturate(Wide value) { return value > kMax ? kMax : static_cast<int64_t>(value); }

int64_t SaturatingAdd(int64_t a, int64_t b) { return Saturate(Wide{a} + b); }

}  // namespace

std::string_view PlaybackRateKey(PlaybackRate rate) { return NameOf(rate).key; }

PlaybackRate PlaybackRateFromKey(std::string_view key) {
    for (const RateName& name : kRates)
        if (name.key == key) return name.rate;
    return PlaybackRate::AsFastAsPossible;
}

bool NeedsFramePeriod(PlaybackRate rate) { return NameOf(rate).slowdown > 0; }

std::optional<FrameStep> StepOfRate(PlaybackRate rate, int64_t periodNumerator, int64_t periodDenominator) {
    const RateName& name = NameOf(rate);
    if (name.perSecond > 0) return FrameStep{1, name.perSecond};
    if (name.slowdown == 0) return FrameStep{0, 1};
    // A movie without a recorded rate has no period to slow down; a period of more than
    // a lifetime is no period either.
    if (periodNumerator <= 0 || periodDenominator <= 0 || periodNumerator > kMax / name.slowdown) return std::nullopt;
    return FrameStep{periodNumerator * name.slowdown, periodDenominator};
}

PlaybackPace::PlaybackPace(const FrameSpan& firstPass, const FrameSpan& range, FrameStep step, bool backwards)
    : first_(firstPass), range_(range), step_(step), backwards_(backwards) {
    SetLoop(false);
}

void PlaybackPace::SetLoop(bool loop) {
    if (loop && range_.Count() > 0)
        end_ = kMax;
    else
        end_ = next_ == 0 ? first_.Count() : PassEnd(next_ - 1);
}

int64_t PlaybackPace::PassEnd(int64_t ordinal) const {
    const int64_t firstCount = first_.Count(), rangeCount = range_.Count();
    if (ordinal < firstCount || rangeCount == 0) return firstCount;
    const int64_t intoPass = (ordinal - firstCount) % rangeCount;
    return SaturatingAdd(ordinal, rangeCount - intoPass);
}

int PlaybackPace::FrameAt(int64_t ordinal) const {
    if (ordinal < 0 || ordinal >= end_) return -1;
    const int64_t firstCount = first_.Count();
    if (ordinal < firstCount) return static_cast<int>(backwards_ ? first_.last - ordinal : first_.first + ordinal);
    const int64_t intoPass = (ordinal - firstCount) % range_.Count();  // a loop pass: range_ is not empty
    return static_cast<int>(backwards_ ? range_.last - intoPass : range_.first + intoPass);
}

// ceil(ordinal x step) in nanoseconds, the first whole nanosecond at which the frame is due,
// so that OrdinalAt(DueNs(k)) == k.
int64_t PlaybackPace::DueNs(int64_t ordinal) const {
    const Wide periods = Wide{ordinal} * step_.numerator;  // < 2^126
    // Past the last nanosecond a 64-bit clock can tell: never due.
    if (periods > Wide{kMax} * step_.denominator / kNsPerSecond) return kMax;
    const Wide ns = periods * kNsPerSecond;  // < 2^126: the test above bounds periods by 2^96
    return Saturate((ns + step_.denominator - 1) / step_.denominator);
}

int64_t PlaybackPace::OrdinalAt(int64_t ns) const {
    return Saturate(Wide{ns} * step_.denominator / (Wide{step_.numerator} * kNsPerSecond));
}

PaceStep PlaybackPace::Poll(int64_t elapsedNs) {
    if (next_ >= end_) return {};
    int64_t show = next_;
    if (step_.Paced()) {
        const int64_t now = std::max<int64_t>(std::max<int64_t>(elapsedNs, 0) - slip_, 0);
        const int64_t due = OrdinalAt(now);
        if (due < next_) {
            PaceStep wait;
            wait.kind = PaceStep::Kind::Wait;
            wait.waitNs = DueNs(next_) - now;
            return wait;
        }
        if (due > next_) {
            // Behind by a whole step or more.
            if (everyFrame_)
                slip_ = SaturatingAdd(slip_, DueNs(due) - DueNs(next_));  // this frame is on time now
            else
                show = std::min(due, end_ - 1);  // the frame whose time it is; the last frame at the end
        }
    }
    PaceStep step;
    step.kind = PaceStep::Kind::Show;
    step.frame = FrameAt(show);
    step.skipped = show - next_;
    next_ = show + 1;
    return step;
}

}  // namespace zel
