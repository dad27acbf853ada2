#pragma once
// Ctrl-C and termination during a long command. While an InterruptWatch lives, SIGINT and
// SIGTERM only record the signal: the running command stops at the next frame boundary,
// lets its writers remove their unfinished temporary files, keeps the files it completed
// and exits with 128 + the signal's number. A second signal ends the process at once.

#include <csignal>

namespace zel::cli {

class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The signal received so far, or 0.
    static int Signal();
    // 128 + the signal received (130 for SIGINT, 143 for SIGTERM).
    static int ExitCode();

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace zel::cli
