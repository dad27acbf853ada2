#pragma once
// What a run over frames hands back: how it ended, how far it got, and why it stopped
// early. A run never passes over a frame it could not read or whose work failed, so the
// frames it reports done are exactly the frames whose work was carried out.

#include <cstdint>
#include <functional>
#include <utility>

#include "reader/Problem.h"

namespace zel {

// The work a run does for each frame once the frame is shown: no problem to go on.
using FrameWork = std::function<Problem(int frame)>;

enum class RunEnd {
    Completed,  // every frame of the span was shown and its work done
    Stopped,    // a stop was asked for; the frames done are complete
    Failed,     // a frame could not be read, or its work failed: `problem` says which
};

struct RunOutcome {
    RunEnd end = RunEnd::Completed;
    int64_t framesDone = 0;  // frames shown whose work succeeded
    int lastDone = -1;       // the last of them, -1 when none
    Problem problem;
    // A stop was asked for, also one during the last frame's afterFrame, which still ends
    // the run Completed: an export that finishes its file only after the run must not
    // finish it then, since whoever asked meant nothing to be written.
    bool stopRequested = false;

    bool Completed() const { return end == RunEnd::Completed; }
};

// A run refused before its first frame, for the problem that refused it.
inline RunOutcome FailedBefore(Problem problem) {
    RunOutcome outcome;
    outcome.end = RunEnd::Failed;
    outcome.problem = std::move(problem);
    return outcome;
}

}  // namespace zel
