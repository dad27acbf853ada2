#include "python/Movie.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "python/Errors.h"

namespace zel::python {

Movie::Claim::Claim(std::atomic<bool>& busy) : busy_(&busy) {
    if (busy.exchange(true, std::memory_order_acquire)) throw MovieBusy();
}

Movie::Claim::Claim(Claim&& other) noexcept : busy_(std::exchange(other.busy_, nullptr)) {}

Movie::Claim::~Claim() {
    if (busy_ != nullptr) busy_->store(false, std::memory_order_release);
}

Movie::Movie(const std::string& path, bool correction, const std::optional<std::string>& blackReference)
    : path_(path), doc_(std::make_unique<CZelfDoc>()) {
    if (!doc_->OpenMovie(path, correction)) throw OpenRefused(path, doc_->LastOpenFailure());
    if (blackReference) {
        const BlackBalanceResult balance = doc_->ApplyBlackBalance(*blackReference);
        if (!balance.applied)
            throw std::invalid_argument("black balance from " + *blackReference + " not applied: " + balance.problem);
    }
}

Movie::Claim Movie::Use() {
    if (!doc_) throw MovieClosed();
    return Claim(busy_);
}

void Movie::Close() {
    if (!doc_) return;
    const Claim claim(busy_);
    doc_.reset();
    shown_ = -1;
}

const CMovieReader& Movie::Parameters() const {
    if (!doc_) throw MovieClosed();
    return *doc_->reader();
}

int Movie::FrameIndex(int64_t index) const {
    const int count = FrameCount();
    const int64_t n = index < 0 ? index + count : index;
    if (n < 0 || n >= count)
        throw std::out_of_range("frame index " + std::to_string(index) + " is out of range for a movie of " +
                                std::to_string(count) + " frames");
    return static_cast<int>(n);
}

void Movie::CheckPoints(const std::array<int, 4>& corners, const char* what) const {
    const int width = Width(), height = Height();
    for (size_t i = 0; i < corners.size(); i += 2) {
        const int x = corners[i], y = corners[i + 1];
        if (x < 0 || x >= width || y < 0 || y >= height)
            throw std::invalid_argument(std::string("the ") + what + " point (" + std::to_string(x) + ", " +
                                        std::to_string(y) + ") lies outside the " + std::to_string(width) + " x " +
                                        std::to_string(height) + " frame");
    }
}

void Movie::ReadFrame(int n, void* out) {
    const int64_t bytes = FrameBytes();
    if (doc_->reader()->ReadFrame(out, n, bytes) != bytes) Unreadable(n);
}

void Movie::Show(int n) {
    if (shown_ == n) return;
    if (!doc_->ShowFrame(n)) Unreadable(n);  // the samples keep the frame they held
    shown_ = n;
}

AoiStatistics Movie::Statistics(int n, const std::array<int, 4>& corners) {
    Show(n);
    AoiStatistics stats;
    doc_->GetAoiStatistics(corners[0], corners[1], corners[2], corners[3], stats);
    return stats;
}

std::vector<int16_t> Movie::Profile(int n, const std::array<int, 4>& line) {
    Show(n);
    const int count = std::max(std::abs(line[2] - line[0]), std::abs(line[3] - line[1]));
    std::vector<int16_t> values(static_cast<size_t>(count));
    if (count > 0) doc_->GetProfile(line[0], line[1], line[2], line[3], count, values.data());
    return values;
}

void Movie::Unreadable(int n) const {
    throw FrameUnreadable(path_ + ": frame " + std::to_string(n) + " cannot be read");
}

}  // namespace zel::python
