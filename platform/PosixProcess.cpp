// The process on POSIX: sysconf, isatty, getpid and sigaction.

#include <unistd.h>

#include <csignal>

#include "platform/Process.h"

namespace zel::platform {

int64_t ProcessId() { return static_cast<int64_t>(::getpid()); }

int64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? static_cast<int64_t>(pages) * pageSize : 0;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

Utf8Arguments::Utf8Arguments(int argc, char** argv) : pointers_(argv, argv + argc) { pointers_.push_back(nullptr); }

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

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

struct InterruptCatcher::Previous {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

InterruptCatcher::InterruptCatcher() : previous_(std::make_unique<Previous>()) {
    received = 0;
    Install(SIGINT, &previous_->interrupt);
    Install(SIGTERM, &previous_->terminate);
}

InterruptCatcher::~InterruptCatcher() {
    sigaction(SIGINT, &previous_->interrupt, nullptr);
    sigaction(SIGTERM, &previous_->terminate, nullptr);
}

int InterruptCatcher::Received() { return received; }

}  // namespace zel::platform
