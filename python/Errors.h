#pragma once
// The failures of the Python module's C++ side, each raised in Python as the exception
// a Python user expects for it (see RegisterErrors).

#include <stdexcept>
#include <string>

#include "reader/Problem.h"

namespace zel::python {

// A movie that cannot be opened: OSError when the file itself cannot be opened (with the
// system's error number where there is one, so a missing file is FileNotFoundError),
// ValueError for a file that is not a readable movie.
class OpenRefused : public std::runtime_error {
public:
    OpenRefused(const std::string& path, Problem failure);
    const std::string& Path() const { return path_; }
    const Problem& Failure() const { return failure_; }

private:
    std::string path_;
    Problem failure_;
};

// A frame that cannot be read, for instance from a file cut short: OSError.
class FrameUnreadable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A call on a movie that another thread is using: RuntimeError.
class MovieBusy : public std::runtime_error {
public:
    MovieBusy() : std::runtime_error("Movie is in use by another thread") {}
};

// A call on a closed movie: ValueError.
class MovieClosed : public std::runtime_error {
public:
    MovieClosed() : std::runtime_error("I/O operation on a closed movie") {}
};

}  // namespace zel::python
