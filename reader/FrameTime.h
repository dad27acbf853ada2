#pragma once
// The camera's number of each frame and its time relative to the trigger. Frame index i
// (0-based, in the order the frames are stored) has the number it has in its segment of
// the recording: the segments holding frames are walked in table order, as the frame
// count is formed. The camera numbers the trigger's frame 0, so a frame's time is its
// number times the frame period, rateNumerator / rateDenominator seconds (the exact ratio,
// not the whole microseconds of framePeriodUs), and frames before the trigger have
// negative times. Without a known rate there is no time.

#include <cstdint>
#include <optional>
#include <string>

#include "reader/MovieParameters.h"

namespace zel {

// The camera number of frame `index`; nullopt outside 0 .. frameCount - 1.
std::optional<int64_t> FrameNumber(const MovieParameters& movie, int64_t index);

// The time in seconds of the frame numbered `number`; nullopt when the rate is unknown.
std::optional<double> FrameTime(const MovieParameters& movie, int64_t number);

// A time for people: "-1.250 ms" with a true minus sign (U+2212) and three decimals, in
// seconds from 1 s on, milliseconds from 1 ms on, microseconds below.
std::string TimeText(double seconds);

}  // namespace zel
