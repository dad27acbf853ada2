// The self-pipe on POSIX: pipe2, sigaction and a handler that only writes one byte.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/PosixSignals.h"
#include "platform/TerminationPipe.h"

namespace zel::platform {

namespace {

// The write end the handler uses: a signal handler can reach nothing else.
volatile std::sig_atomic_t handlerPipe = -1;

void WriteSignal(int signal) {
    const int saved = errno;  // the interrupted code may be looking at errno
    const auto byte = static_cast<unsigned char>(signal);
    if (handlerPipe >= 0) [[maybe_unused]] const ssize_t written = ::write(handlerPipe, &byte, 1);
    errno = saved;
}

}  // namespace

struct TerminationPipe::Previous {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

TerminationPipe::TerminationPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    read_ = ends[0];
    write_ = ends[1];
    handlerPipe = write_;
    previous_ = new Previous;
    InstallRequestHandler(SIGINT, WriteSignal, &previous_->interrupt);
    InstallRequestHandler(SIGTERM, WriteSignal, &previous_->terminate);
}

TerminationPipe::~TerminationPipe() {
    if (previous_ != nullptr) {
        sigaction(SIGINT, &previous_->interrupt, nullptr);
        sigaction(SIGTERM, &previous_->terminate, nullptr);
        delete previous_;
    }
    handlerPipe = -1;
    if (read_ >= 0) ::close(read_);
    if (write_ >= 0) ::close(write_);
}

int TerminationPipe::TakeSignal() {
    unsigned char byte = 0;
    return read_ >= 0 && ::read(read_, &byte, 1) == 1 ? byte : 0;
}

}  // namespace zel::platform
