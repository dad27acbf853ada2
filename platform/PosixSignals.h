#pragma once
// How both of the platform's interrupt catchers take SIGINT and SIGTERM on POSIX.

#include <csignal>

namespace zel::platform {

// Installs `handler` for `signal`, keeping the handler it replaces in `previous`.
// SA_RESETHAND: the next request takes the default action, so a stuck program can still be
// ended. SA_RESTART: reads and writes in progress carry on rather than fail.
inline void InstallRequestHandler(int signal, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(signal, &action, previous);
}

}  // namespace zel::platform
