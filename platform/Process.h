#pragma once
// The rest of what the command-line tool asks of the operating system: its arguments,
// the console, interrupts, the process number and the memory size. PosixProcess.cpp and
// WindowsProcess.cpp implement it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zel::platform {

// The number of this process, as used in temporary file names.
int64_t ProcessId();

// The physical memory of the machine in bytes; 0 when the system cannot tell.
int64_t PhysicalMemoryBytes();

// Whether standard error is a terminal (a console on Windows) rather than a file or a
// pipe.
bool StandardErrorIsTerminal();

// The program's arguments as UTF-8. On POSIX they are main's own (bytes already). On
// Windows they are taken from the command line the system keeps in UTF-16, since main's
// arguments hold only what the ANSI code page can spell.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, char** argv);
    int Count() const { return static_cast<int>(pointers_.size()) - 1; }
    char** Values() { return pointers_.data(); }

private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;  // into storage_ (or main's argv), then a null pointer
};

// While one lives, text written to a Windows console is taken as UTF-8 (the console's
// output code page is set, and put back afterwards). Does nothing elsewhere.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
#ifdef _WIN32
    unsigned previous_ = 0;  // the code page to put back; 0 for none
#endif
};

// While one lives, an interrupt request only records itself, for the program to stop at a
// convenient point; a second request ends the process at once. POSIX: SIGINT and
// SIGTERM (Ctrl-C, kill). Windows: Ctrl-C and Ctrl-Break count as SIGINT; closing the
// console window, logging off or shutting down as SIGTERM, and then the process has a few
// seconds to clean up before the system ends it.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // The signal number of the request received (SIGINT 2, SIGTERM 15), or 0.
    static int Received();

private:
    struct Previous;  // the handlers to put back
    std::unique_ptr<Previous> previous_;
};

}  // namespace zel::platform
