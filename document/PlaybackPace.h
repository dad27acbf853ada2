#pragma once
// The pace of playback. Playback either shows every frame as soon as the one before it is
// painted (as fast as possible), or follows a schedule: frame k of the playback is due k
// frame steps after playback began. A step is a fraction of real time (10, 100 or 1000
// recording periods per frame, which needs the movie's frame period) or a fixed display
// rate. Given the time elapsed since playback began, PlaybackPace says which frame to show
// now, or how long to wait for the next one.
//
// When the display falls behind by a whole step or more, the frames whose time has passed
// are skipped so that playback keeps time; with "every frame" nothing is skipped and the
// schedule moves later instead, so playback runs slower than chosen but never rushes to
// catch up. A lateness of less than a step (a timer waking late) is made up by the waits
// that follow, so the chosen rate holds on average.
//
// Times are whole nanoseconds; the schedule is kept as an exact ratio and worked out in
// 128 bits, so neither long playback nor slow rates drift or overflow.

#include <cstdint>
#include <optional>
#include <string_view>

#include "document/FrameRange.h"

namespace zel {

enum class PlaybackRate : int {
    AsFastAsPossible = 0,
    RealTimeTenth,       // one frame per 10 recording periods
    RealTimeHundredth,   // per 100
    RealTimeThousandth,  // per 1000
    Display25,           // 25 frames a second
    Display30,
    Display60,
};
inline constexpr int kPlaybackRateCount = 7;

// What the user chose for playback; the window keeps it in its settings.
struct PlaybackChoice {
    PlaybackRate rate = PlaybackRate::AsFastAsPossible;
    bool everyFrame = false;  // never skip frames, even when the display cannot keep up
    bool loop = false;        // after the range's end, start over from its start until stopped
};

// The rate's name in the settings ("fast", "1/10", "1/100", "1/1000", "25", "30", "60"),
// and back: a name not among them (an older or damaged setting) reads as AsFastAsPossible.
std::string_view PlaybackRateKey(PlaybackRate rate);
PlaybackRate PlaybackRateFromKey(std::string_view key);

// True for the rates that are fractions of real time, which need the frame period.
bool NeedsFramePeriod(PlaybackRate rate);

// The time from one frame shown to the next: numerator / denominator seconds. Not paced
// (every frame at once) when either part is not positive.
struct FrameStep {
    int64_t numerator = 0;
    int64_t denominator = 1;

    bool Paced() const { return numerator > 0 && denominator > 0; }
};

// The step of `rate` for a movie whose frame period is periodNumerator / periodDenominator
// seconds (the movie's rateNumerator and rateDenominator); an unpaced step for
// AsFastAsPossible. nullopt when the rate needs the period and the movie does not record
// one (either part not positive).
std::optional<FrameStep> StepOfRate(PlaybackRate rate, int64_t periodNumerator, int64_t periodDenominator);

// What playback does next.
struct PaceStep {
    enum class Kind { Show, Wait, End };
    Kind kind = Kind::End;
    int frame = -1;        // Show: the frame to show now
    int64_t skipped = 0;   // Show: frames passed over just before it to keep time
    int64_t waitNs = 0;    // Wait: nanoseconds until the next frame is due (at least 1)
};

// The schedule of one playback. The first pass shows `firstPass` (from where the user is);
// with the loop on, each later pass shows `range`. Backwards playback walks both from
// their last frame to their first. Playback positions ("ordinals") count every frame of
// every pass, so a frame's due time never depends on how many frames were skipped.
class PlaybackPace {
public:
    PlaybackPace(const FrameSpan& firstPass, const FrameSpan& range, FrameStep step, bool backwards = false);

    // Both may change during playback. The loop turned off ends playback after the pass
    // in progress; every frame turned on stops skipping from the next frame.
    void SetLoop(bool loop);
    void SetEveryFrame(bool everyFrame) { everyFrame_ = everyFrame; }

    // What to do `elapsedNs` after playback began. Show moves on past the frame; Wait and
    // End change nothing, so the caller waits (handling events) and asks again.
    PaceStep Poll(int64_t elapsedNs);

    // The frame at a playback position; -1 past the end.
    int FrameAt(int64_t ordinal) const;

private:
    int64_t DueNs(int64_t ordinal) const;      // when the frame at `ordinal` is due
    int64_t OrdinalAt(int64_t ns) const;       // the position whose time slot holds `ns`
    int64_t PassEnd(int64_t ordinal) const;    // one past the last position of its pass

    FrameSpan first_;
    FrameSpan range_;
    FrameStep step_;
    bool backwards_ = false;
    bool everyFrame_ = false;
    int64_t next_ = 0;   // the position of the next frame to show
    int64_t end_ = 0;    // one past the last position to show
    int64_t slip_ = 0;   // how far the schedule moved later (every frame, display behind)
};

}  // namespace zel
