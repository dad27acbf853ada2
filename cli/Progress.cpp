#include "cli/Progress.h"

#include <cstdio>

#include "platform/Process.h"

namespace zel::cli {

namespace {
constexpr int kBarWidth = 40;
}

Progress::Progress(std::string label, int64_t total)
    : label_(std::move(label)), total_(total), enabled_(platform::StandardErrorIsTerminal() && total > 0) {}

Progress::~Progress() {
    if (enabled_ && lastDrawn_ >= 0) std::fputc('\n', stderr);
}

void Progress::Update(int64_t done) {
    if (!enabled_) return;
    const int permille = static_cast<int>(done * 1000 / total_);
    if (permille == lastDrawn_) return;
    lastDrawn_ = permille;
    const int filled = permille * kBarWidth / 1000;
    std::fprintf(stderr, "\r%s [%.*s%*s] %lld/%lld", label_.c_str(), filled, "########################################",
                 kBarWidth - filled, "", static_cast<long long>(done), static_cast<long long>(total_));
    std::fflush(stderr);
}

}  // namespace zel::cli
