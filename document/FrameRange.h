#pragma once
// The frame range of a document, held in one place: the mode the control bar's radios
// show, and the Start and End the user typed. Every run that covers "the range" (a
// conversion, an export, playback) asks it for its frames here, so a range that does not
// fit the movie is refused the same way, with the same words, wherever it is used.

#include <cstdint>

#include "reader/Problem.h"

namespace zel {

enum class RangeMode : int {
    Neither = -1,    // no radio checked: conversions and exports cover every frame
    Identical = 0,   // Start..End ("Identical Frames")
    All = 1,         // every frame ("All Frames")
};

struct FrameRange {
    RangeMode mode = RangeMode::All;
    int first = 0;  // as typed: not checked against the movie until used
    int last = 0;

    friend bool operator==(const FrameRange&, const FrameRange&) = default;
};

// Frames first..last, inclusive; empty when last < first.
struct FrameSpan {
    int first = 0;
    int last = -1;

    int64_t Count() const { return last >= first ? int64_t{last} - first + 1 : 0; }
    friend bool operator==(const FrameSpan&, const FrameSpan&) = default;
};

// first..last checked against a movie of frameCount frames: NoFrames for an empty movie,
// RangeOutside when the range is reversed or leaves the movie.
Problem CheckSpan(int first, int last, int frameCount, FrameSpan& span);

// The frames a conversion or an export of `range` covers: Start..End in the Identical
// mode (checked as CheckSpan does against the frames recorded), otherwise every frame the
// file holds (framesHeld: fewer than recorded when the file is cut short), so that "all
// frames" never means frames the header claims but the file does not have.
Problem SpanOfRange(const FrameRange& range, int frameCount, int framesHeld, FrameSpan& span);

// What a play (direction 0) or a step (+1 or -1) from the frame at `position` shows, and
// the progress bar's extent. Play goes on to the last frame the file holds. A step beyond
// either end of the movie shows nothing (`span` empty, no problem); in the Identical mode
// the range replaces the frames (a step then plays the range, as play does), and a range
// outside the movie is refused.
struct PlaybackPlan {
    FrameSpan span;
    int64_t progressLow = 0;
    int64_t progressHigh = 0;
};
Problem PlanPlayback(const FrameRange& range, int frameCount, int framesHeld, int position, int direction,
                     PlaybackPlan& plan);

}  // namespace zel
