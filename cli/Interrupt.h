#pragma once
// Ctrl-C and termination during a long command. While an InterruptWatch lives, an
// interrupt (SIGINT or SIGTERM on POSIX; Ctrl-C, Ctrl-Break or closing the console on
// Windows, see platform::InterruptCatcher) only records itself: the running command stops
// at the next frame boundary, lets its writers remove their unfinished temporary files,
// keeps the files it completed and exits with 128 + the signal's number. A second
// interrupt ends the process at once.

#include "platform/Process.h"

namespace zel::cli {

class InterruptWatch {
public:
    InterruptWatch() = default;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The signal received so far, or 0.
    static int Signal();
    // 128 + the signal received (130 for SIGINT, 143 for SIGTERM).
    static int ExitCode();

private:
    platform::InterruptCatcher catcher_;
};

}  // namespace zel::cli
