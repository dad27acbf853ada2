#pragma once
// A progress bar on stderr, drawn only when stderr is a terminal.

#include <cstdint>
#include <string>

namespace zel::cli {

class Progress {
public:
    Progress(std::string label, int64_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Update(int64_t done);

private:
    std::string label_;
    int64_t total_;
    bool enabled_;
    int lastDrawn_ = -1;
};

}  // namespace zel::cli
