// The playback schedule against a fake clock: which frame is due when, how long to wait,
// skipping when the display is late, every frame shown when asked, loops, backwards
// playback, and rates and spans at the ends of their ranges.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <utility>
#include <vector>

#include "document/PlaybackPace.h"

using zel::FrameSpan;
using zel::FrameStep;
using zel::PaceStep;
using zel::PlaybackPace;
using zel::PlaybackRate;

namespace {

constexpr int64_t kMs = 1'000'000;

struct Shown {
    int64_t at;  // ns after playback began
    int frame;
    int64_t skipped;
};

// Plays as the window does, on a fake clock: each frame shown takes paintNs, and each
// wait lasts what was asked plus oversleepNs (a timer waking late). `beforePoll` may change
// the pace or the clock between steps.
std::vector<Shown> Play(PlaybackPace& pace, int64_t paintNs, int64_t oversleepNs = 0, size_t limit = 1000,
                        const std::function<void(size_t shown, int64_t& clock)>& beforePoll = {}) {
    std::vector<Shown> shown;
    int64_t clock = 0;
    while (shown.size() < limit) {
        if (beforePoll) beforePoll(shown.size(), clock);
        const PaceStep step = pace.Poll(clock);
        if (step.kind == PaceStep::Kind::End) break;
        if (step.kind == PaceStep::Kind::Wait) {
            EXPECT_GT(step.waitNs, 0);
            clock += step.waitNs + oversleepNs;
            continue;
        }
        shown.push_back({clock, step.frame, step.skipped});
        clock += paintNs;
    }
    return shown;
}

std::vector<int> Frames(const std::vector<Shown>& shown) {
    std::vector<int> frames;
    for (const Shown& s : shown) frames.push_back(s.frame);
    return frames;
}

FrameStep TenthOf10000Fps() { return *zel::StepOfRate(PlaybackRate::RealTimeTenth, 1, 10000); }

}  // namespace

TEST(PlaybackPace, RatesHaveStableSettingNames) {
    for (int i = 0; i < zel::kPlaybackRateCount; ++i) {
        const auto rate = static_cast<PlaybackRate>(i);
        EXPECT_EQ(zel::PlaybackRateFromKey(zel::PlaybackRateKey(rate)), rate) << i;
    }
    EXPECT_EQ(zel::PlaybackRateKey(PlaybackRate::RealTimeHundredth), "1/100");
    EXPECT_EQ(zel::PlaybackRateKey(PlaybackRate::Display30), "30");
    for (const char* unknown : {"", "7", "1/10 ", "FAST"})
        EXPECT_EQ(zel::PlaybackRateFromKey(unknown), PlaybackRate::AsFastAsPossible) << unknown;
}

TEST(PlaybackPace, RealTimeNeedsTheFramePeriod) {
    const FrameStep tenth = TenthOf10000Fps();
    EXPECT_EQ(tenth.numerator, 10);
    EXPECT_EQ(tenth.denominator, 10000);  // 1 ms
    EXPECT_EQ(zel::StepOfRate(PlaybackRate::RealTimeThousandth, 2, 500)->numerator, 2000);  // 4 s a frame
    const std::pair<int, int> unknown[] = {{0, 1}, {1, 0}, {-1, 1000}, {5, -3}};
    for (const auto& [numerator, denominator] : unknown) {
        EXPECT_FALSE(zel::StepOfRate(PlaybackRate::RealTimeTenth, numerator, denominator)) << numerator << "/" << denominator;
        // The display rates and as fast as possible do not need it.
        EXPECT_EQ(zel::StepOfRate(PlaybackRate::Display25, numerator, denominator)->denominator, 25);
        EXPECT_FALSE(zel::StepOfRate(PlaybackRate::AsFastAsPossible, numerator, denominator)->Paced());
    }
    EXPECT_FALSE(zel::StepOfRate(PlaybackRate::RealTimeThousandth, INT64_MAX / 100, 1));
    EXPECT_TRUE(zel::NeedsFramePeriod(PlaybackRate::RealTimeTenth));
    EXPECT_FALSE(zel::NeedsFramePeriod(PlaybackRate::Display60));
}

TEST(PlaybackPace, TenthOfTenThousandFramesASecondShowsOneFramePerMillisecond) {
    PlaybackPace pace({0, 9}, {0, 9}, TenthOf10000Fps());
    const std::vector<Shown> shown = Play(pace, 0);
    ASSERT_EQ(shown.size(), 10u);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(shown[k].frame, k);
        EXPECT_EQ(shown[k].at, k * kMs) << k;
        EXPECT_EQ(shown[k].skipped, 0);
    }
    // Asked early, the pace says how long until the next frame and changes nothing.
    PlaybackPace early({0, 9}, {0, 9}, TenthOf10000Fps());
    EXPECT_EQ(early.Poll(0).frame, 0);
    const PaceStep wait = early.Poll(kMs / 4);
    EXPECT_EQ(wait.kind, PaceStep::Kind::Wait);
    EXPECT_EQ(wait.waitNs, 3 * kMs / 4);
    EXPECT_EQ(early.Poll(kMs).frame, 1);
}

TEST(PlaybackPace, ExactRatiosDoNotDrift) {
    // 30 frames a second is no whole number of nanoseconds a frame; frame 3000 is still
    // due at exactly 100 s.
    PlaybackPace pace({0, 5000}, {0, 5000}, *zel::StepOfRate(PlaybackRate::Display30, 0, 0));
    const std::vector<Shown> shown = Play(pace, 0, 0, 3001);
    EXPECT_EQ(shown[3000].at, 100'000 * kMs);
    EXPECT_EQ(shown[1].at, 33'333'334);  // the first whole nanosecond of its slot
}

TEST(PlaybackPace, ALateDisplaySkipsFramesToKeepTime) {
    PlaybackPace pace({0, 99}, {0, 99}, TenthOf10000Fps());
    const std::vector<Shown> shown = Play(pace, 5 * kMs / 2);  // 2.5 ms a frame, 1 ms slots
    ASSERT_LT(shown.size(), 50u);
    int64_t skipped = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        // Every frame shown is the one whose slot holds the moment it is shown...
        if (i + 1 < shown.size()) {
            EXPECT_EQ(shown[i].at / kMs, shown[i].frame) << i;
        }
        if (i > 0) {
            EXPECT_GT(shown[i].frame, shown[i - 1].frame);
        }
        skipped += shown[i].skipped;
    }
    EXPECT_EQ(skipped + static_cast<int64_t>(shown.size()), 100);
    // ...and playback still ends on the span's last frame.
    EXPECT_EQ(shown.back().frame, 99);
    EXPECT_EQ(shown.back().at, 100 * kMs);
}

TEST(PlaybackPace, EveryFrameRunsSlowerInsteadOfSkipping) {
    PlaybackPace pace({0, 99}, {0, 99}, TenthOf10000Fps());
    pace.SetEveryFrame(true);
    const std::vector<Shown> shown = Play(pace, 5 * kMs / 2);
    ASSERT_EQ(shown.size(), 100u);
    for (int k = 0; k < 100; ++k) {
        EXPECT_EQ(shown[k].frame, k);
        EXPECT_EQ(shown[k].skipped, 0);
    }
    EXPECT_EQ(shown.back().at, 99 * 5 * kMs / 2);  // as fast as the display goes
}

TEST(PlaybackPace, EveryFrameDoesNotRushAfterAStall) {
    PlaybackPace pace({0, 19}, {0, 19}, TenthOf10000Fps());
    pace.SetEveryFrame(true);
    // The display stalls for 10 ms after frame 4; the frames after it keep their spacing.
    const std::vector<Shown> shown = Play(pace, 0, 0, 1000, [](size_t count, int64_t& clock) {
        if (count == 5) clock += 10 * kMs;
    });
    ASSERT_EQ(shown.size(), 20u);
    EXPECT_EQ(shown[5].at, 14 * kMs);
    for (size_t k = 6; k < 20; ++k) EXPECT_EQ(shown[k].at - shown[k - 1].at, kMs) << k;
}

TEST(PlaybackPace, LatenessUnderAStepIsMadeUp) {
    // Timers waking 0.3 ms late, a display taking 0.4 ms: no frame is lost and the rate
    // holds, with or without every frame.
    for (const bool every : {false, true}) {
        PlaybackPace pace({0, 999}, {0, 999}, TenthOf10000Fps());
        pace.SetEveryFrame(every);
        const std::vector<Shown> shown = Play(pace, 4 * kMs / 10, 3 * kMs / 10);
        ASSERT_EQ(shown.size(), 1000u) << every;
        EXPECT_LT(shown.back().at, 1000 * kMs) << every;
    }
}

TEST(PlaybackPace, LoopStartsOverFromTheRangeUntilTurnedOff) {
    // Playing from frame 3 of the range 0..5: the first pass ends at 5, later passes cover
    // the whole range.
    PlaybackPace pace({3, 5}, {0, 5}, {});
    pace.SetLoop(true);
    const std::vector<Shown> shown = Play(pace, kMs, 0, 1000, [&](size_t count, int64_t&) {
        if (count == 11) pace.SetLoop(false);  // during the third pass
    });
    EXPECT_EQ(Frames(shown), (std::vector<int>{3, 4, 5, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5}));

    // Skipping wraps over the pass boundary; the frame shown is still the one that is due.
    PlaybackPace paced({0, 3}, {0, 3}, TenthOf10000Fps());
    paced.SetLoop(true);
    const std::vector<Shown> late = Play(paced, 5 * kMs / 2, 0, 6);
    EXPECT_EQ(Frames(late), (std::vector<int>{0, 2, 1, 3, 2, 0}));  // positions 0, 2, 5, 7, 10, 12

    // Turning the loop off right after a pass's last frame ends playback there.
    PlaybackPace boundary({0, 1}, {0, 1}, {});
    boundary.SetLoop(true);
    EXPECT_EQ(boundary.Poll(0).frame, 0);
    EXPECT_EQ(boundary.Poll(0).frame, 1);
    boundary.SetLoop(false);
    EXPECT_EQ(boundary.Poll(0).kind, PaceStep::Kind::End);

    // A loop over an empty range plays the first pass once.
    PlaybackPace empty({2, 3}, {}, {});
    empty.SetLoop(true);
    EXPECT_EQ(Frames(Play(empty, 0)), (std::vector<int>{2, 3}));
}

TEST(PlaybackPace, BackwardsWalksFromTheLastFrame) {
    PlaybackPace pace({0, 4}, {0, 4}, TenthOf10000Fps(), true);
    const std::vector<Shown> shown = Play(pace, 0);
    EXPECT_EQ(Frames(shown), (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_EQ(shown[2].at, 2 * kMs);

    PlaybackPace looped({2, 3}, {1, 4}, {}, true);
    looped.SetLoop(true);
    EXPECT_EQ(Frames(Play(looped, 0, 0, 10)), (std::vector<int>{3, 2, 4, 3, 2, 1, 4, 3, 2, 1}));
}

TEST(PlaybackPace, UnpacedShowsEveryFrameAtOnce) {
    for (const FrameStep step : {FrameStep{}, FrameStep{0, 0}, FrameStep{5, 0}, FrameStep{-1, 3}}) {
        PlaybackPace pace({2, 6}, {0, 9}, step);
        pace.SetEveryFrame(true);
        const std::vector<Shown> shown = Play(pace, 0);
        EXPECT_EQ(Frames(shown), (std::vector<int>{2, 3, 4, 5, 6}));
        EXPECT_EQ(pace.Poll(INT64_MAX).kind, PaceStep::Kind::End);
    }
    PlaybackPace none({}, {}, TenthOf10000Fps());
    EXPECT_EQ(none.Poll(0).kind, PaceStep::Kind::End);
}

TEST(PlaybackPace, HugeSpansSlowRatesAndLongPlaybackDoNotOverflow) {
    const FrameSpan all{0, INT_MAX - 1};
    // Thirty years into a 60 frames a second playback of the largest span: the last frame.
    PlaybackPace pace(all, all, *zel::StepOfRate(PlaybackRate::Display60, 0, 0));
    EXPECT_EQ(pace.Poll(0).frame, 0);
    const PaceStep late = pace.Poll(int64_t{30} * 365 * 24 * 3600 * 1'000'000'000);
    EXPECT_EQ(late.frame, INT_MAX - 1);
    EXPECT_EQ(late.skipped, int64_t{INT_MAX} - 2);
    EXPECT_EQ(pace.Poll(INT64_MAX).kind, PaceStep::Kind::End);

    // Looping, the position goes on past the span and wraps.
    PlaybackPace looped(all, all, *zel::StepOfRate(PlaybackRate::Display60, 0, 0));
    looped.SetLoop(true);
    const PaceStep far = looped.Poll(INT64_MAX);
    EXPECT_EQ(far.kind, PaceStep::Kind::Show);
    EXPECT_GE(far.frame, 0);
    EXPECT_LE(far.frame, INT_MAX - 1);

    // The slowest period a movie can record, a thousand times slower: a wait beyond what
    // a 64-bit clock tells is still a positive wait, never a wrapped one.
    PlaybackPace slow(all, all, *zel::StepOfRate(PlaybackRate::RealTimeThousandth, INT_MAX, 1));
    EXPECT_EQ(slow.Poll(0).frame, 0);
    const PaceStep wait = slow.Poll(1);
    EXPECT_EQ(wait.kind, PaceStep::Kind::Wait);
    EXPECT_GT(wait.waitNs, 0);
}
