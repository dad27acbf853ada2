// The process on Windows: the UTF-16 command line, the console's code page and control
// events, GlobalMemoryStatusEx.

#include "platform/WindowsApi.h"
#include <shellapi.h>

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "platform/LargeBlock.h"
#include "platform/Process.h"
#include "platform/WindowsText.h"

namespace zel::platform {

int64_t ProcessId() { return static_cast<int64_t>(::GetCurrentProcessId()); }

int64_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? static_cast<int64_t>(status.ullTotalPhys) : 0;
}

// A console answers GetConsoleMode; files, pipes and the NUL device do not.
// Large pages on Windows need a privilege users do not have: plain memory.
void LargeBlockFree::operator()(uint8_t* block) const noexcept { std::free(block); }

LargeBlock AllocateLargeBlock(size_t bytes) noexcept {
    return LargeBlock(static_cast<uint8_t*>(std::malloc(bytes == 0 ? 1 : bytes)));
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) storage_.push_back(Narrow(wide[i]));
        for (std::string& argument : storage_) pointers_.push_back(argument.data());
    } else {  // out of memory: main's arguments are better than none
        pointers_.assign(argv, argv + argc);
    }
    if (wide != nullptr) ::LocalFree(wide);
    pointers_.push_back(nullptr);
}

Utf8Console::Utf8Console() {
    const UINT current = ::GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) previous_ = current;
}

Utf8Console::~Utf8Console() {
    if (previous_ != 0) ::SetConsoleOutputCP(previous_);
}

namespace {

// The control handler runs on a thread of its own, hence an atomic.
std::atomic<int> received{0};

// How long closing the console, logging off or shutting down waits for the command to
// stop and clean up; the system ends the process after about five seconds in any case.
constexpr DWORD kCleanupWait = 4000;

BOOL WINAPI Record(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT: {
            int none = 0;
            // The first request is recorded; a second goes on to the default handler,
            // which ends the process.
            return received.compare_exchange_strong(none, SIGINT) ? TRUE : FALSE;
        }
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT: {
            int none = 0;
            received.compare_exchange_strong(none, SIGTERM);
            // Returning lets the system end the process at once; the command's own exit
            // ends this thread sooner.
            ::Sleep(kCleanupWait);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

struct InterruptCatcher::Previous {};

InterruptCatcher::InterruptCatcher() {
    received = 0;
    ::SetConsoleCtrlHandler(Record, TRUE);
}

InterruptCatcher::~InterruptCatcher() { ::SetConsoleCtrlHandler(Record, FALSE); }

int InterruptCatcher::Received() { return received; }

}  // namespace zel::platform
