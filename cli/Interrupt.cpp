#include "cli/Interrupt.h"

#include <csignal>

namespace zel::cli {

namespace {

// The one piece of process-wide state a signal handler may touch.
volatile std::sig_atomic_t received = 0;

void Record(int signal) { received = signal; }

void Install(int signal, struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = Record;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the next signal takes the default action, so a stuck run can still be
    // ended. SA_RESTART: reads and writes in progress carry on rather than fail.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(signal, &action, previous);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    received = 0;
    Install(SIGINT, &previousInt_);
    Install(SIGTERM, &previousTerm_);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
}

int InterruptWatch::Signal() { return received; }

int InterruptWatch::ExitCode() { return 128 + received; }

}  // namespace zel::cli
