#pragma once
// Runs a command line through the shell and captures its exit status, stdout and stderr.

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TempFile.h"

namespace zeltest {

struct ProcessResult {
    int exitCode = -1;
    std::string out, err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (const char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline ProcessResult RunCommand(const std::string& commandLine) {
    const TempFile out(".out"), err(".err");
    const std::string full = commandLine + " >" + Quote(out.path()) + " 2>" + Quote(err.path()) + " </dev/null";
    const int status = std::system(full.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(out.path());
    result.err = Slurp(err.path());
    return result;
}

inline std::string Cli() { return Quote(ZEL_CLI_PATH); }

}  // namespace zeltest
