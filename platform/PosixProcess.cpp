// The process on POSIX: sysconf, isatty, getpid and sigaction.

#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "platform/LargeBlock.h"
#include "platform/PosixSignals.h"
#include "platform/Process.h"

namespace zel::platform {

int64_t ProcessId() { return static_cast<int64_t>(::getpid()); }

int64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? static_cast<int64_t>(pages) * pageSize : 0;
}

void LargeBlockFree::operator()(uint8_t* block) const noexcept { std::free(block); }

LargeBlock AllocateLargeBlock(size_t bytes) noexcept {
    constexpr size_t kHuge = size_t{2} << 20;
    if (bytes < kHuge) return LargeBlock(static_cast<uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes)));
    if (bytes > SIZE_MAX - kHuge) return nullptr;
    const size_t rounded = (bytes + kHuge - 1) & ~(kHuge - 1);
    void* block = nullptr;
    if (::posix_memalign(&block, kHuge, rounded) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    ::madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return LargeBlock(static_cast<uint8_t*>(block));
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

Utf8Arguments::Utf8Arguments(int argc, char** argv) : pointers_(argv, argv + argc) { pointers_.push_back(nullptr); }

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

namespace {

// The one piece of process-wide state a signal handler may touch.
volatile std::sig_atomic_t received = 0;

void Record(int signal) { received = signal; }

}  // namespace

struct InterruptCatcher::Previous {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

InterruptCatcher::InterruptCatcher() : previous_(std::make_unique<Previous>()) {
    received = 0;
    InstallRequestHandler(SIGINT, Record, &previous_->interrupt);
    InstallRequestHandler(SIGTERM, Record, &previous_->terminate);
}

InterruptCatcher::~InterruptCatcher() {
    sigaction(SIGINT, &previous_->interrupt, nullptr);
    sigaction(SIGTERM, &previous_->terminate, nullptr);
}

int InterruptCatcher::Received() { return received; }

}  // namespace zel::platform
