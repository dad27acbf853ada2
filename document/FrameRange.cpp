#include "document/FrameRange.h"

#include <algorithm>
#include <string>

namespace zel {

Problem CheckSpan(int first, int last, int frameCount, FrameSpan& span) {
    if (frameCount < 1) return {ProblemCode::NoFrames};
    if (first < 0 || last >= frameCount || first > last)
        return {ProblemCode::RangeOutside,
                {std::to_string(first), std::to_string(last), std::to_string(frameCount - 1)}};
    span = {first, last};
    return {};
}

Problem SpanOfRange(const FrameRange& range, int frameCount, int framesHeld, FrameSpan& span) {
    if (range.mode == RangeMode::Identical) return CheckSpan(range.first, range.last, frameCount, span);
    const int held = std::clamp(framesHeld, 0, std::max(frameCount, 0));
    return CheckSpan(0, held - 1, held, span);
}

Problem PlanPlayback(const FrameRange& range, int frameCount, int framesHeld, int position, int direction,
                     PlaybackPlan& plan) {
    plan = PlaybackPlan{};
    if (frameCount < 1) return {ProblemCode::NoFrames};
    const int held = std::clamp(framesHeld, 1, frameCount);
    FrameSpan span{position < 0 ? 0 : position, held - 1};  // empty past the frames held
    if (direction != 0) {
        const int64_t next = int64_t{position} + (direction > 0 ? 1 : -1);
        // A step beyond either end does nothing, in the Identical mode too.
        if (next < 0 || next >= frameCount) return {};
        span = {static_cast<int>(next), static_cast<int>(next)};
    }
    plan.progressLow = 0;
    plan.progressHigh = frameCount;
    if (range.mode == RangeMode::Identical) {
        if (Problem p = CheckSpan(range.first, range.last, frameCount, span)) return p;
        plan.progressLow = span.first;
        plan.progressHigh = int64_t{span.last} + 1;
    }
    plan.span = span;
    return {};
}

}  // namespace zel
