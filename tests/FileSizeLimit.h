#pragma once
// Runs test code in a child process whose files may not grow past a limit, so that a write
// beyond it fails with EFBIG as one on a full disk fails with ENOSPC.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

namespace zeltest {

// Runs `body` in a child process whose files may not grow past `limit` bytes, so that a
// write beyond it fails with EFBIG as one on a full disk fails with ENOSPC. Returns the
// body's text, passed back through a pipe (pipes are not subject to the limit).
inline std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit bounds{};
        ::getrlimit(RLIMIT_FSIZE, &bounds);
        bounds.rlim_cur = limit;
        const std::string text = ::setrlimit(RLIMIT_FSIZE, &bounds) == 0 ? body() : "setrlimit failed";
        const bool sent = ::write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; child > 0 && (n = ::read(channel[0], chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the child process failed";
    }
    return text;
}

}  // namespace zeltest
