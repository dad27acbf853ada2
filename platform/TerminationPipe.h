#pragma once
// Termination requests (SIGINT, SIGTERM: Ctrl-C in the terminal that started the window,
// `kill`, a logout) delivered to an event loop. A signal handler may do almost nothing, so
// it writes the signal's number into a pipe whose other end the event loop watches (the
// self-pipe pattern); the loop then ends the program in good order. A second request ends
// the process at once, as the command-line tool's do. On Windows a window program gets
// no such signals (it is asked to close instead): there the pipe never becomes readable.

namespace zel::platform {

class TerminationPipe {
public:
    // Installs the handlers; they are put back by the destructor. One at a time.
    TerminationPipe();
    ~TerminationPipe();
    TerminationPipe(const TerminationPipe&) = delete;
    TerminationPipe& operator=(const TerminationPipe&) = delete;

    // The descriptor to watch for reading; -1 when there is none.
    int ReadDescriptor() const { return read_; }
    // The signal number waiting in the pipe (SIGINT 2, SIGTERM 15), 0 when none is.
    int TakeSignal();

private:
    int read_ = -1;
    int write_ = -1;
    struct Previous;
    Previous* previous_ = nullptr;  // owned: the handlers to put back
};

}  // namespace zel::platform
