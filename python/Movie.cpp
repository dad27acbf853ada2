#include "python/Movie.h"

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
        if (const Problem problem = doc_->ApplyBlackBalance(*blackReference))
            throw std::invalid_argument("black balance from " + *blackReference + " not applied: " + problem.Text());
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
}

const CZelfDoc& Movie::Document() const {
    if (!doc_) throw MovieClosed();
    return *doc_;
}

CZelfDoc& Movie::RunDocument() {
    if (!doc_) throw MovieClosed();
    return *doc_;
}

int Movie::FrameIndex(int64_t index) const {
    const int count = FrameCount();
    const int64_t n = index < 0 ? index + count : index;
    if (n < 0 || n >= count)
        throw std::out_of_range("frame index " + std::to_string(index) + " is out of range for a movie of " +
                                std::to_string(count) + " frames");
    return static_cast<int>(n);
}

namespace {

void RefuseOutside(const Problem& problem) {
    if (problem) throw std::invalid_argument(problem.Text());
}

}  // namespace

void Movie::CheckPoints(const AoiRect& rect) const { RefuseOutside(rect.CheckInside(Width(), Height())); }

void Movie::CheckPoints(const ProfileLine& line) const { RefuseOutside(line.CheckInside(Width(), Height())); }

void Movie::ReadFrame(int n, void* out) {
    ++framesRead_;
    if (const Problem problem = doc_->ReadFrameInto(n, out, FrameBytes())) FrameFailed(problem);
}

void Movie::Show(int n) {
    if (doc_->CurrentFrame() == n && doc_->DataDisplayMode() == 0) return;
    // On failure the samples keep the frame they held, and CurrentFrame() says which.
    if (!doc_->ShowFrame(n)) FrameFailed(doc_->LastFrameProblem());
}

AoiStatistics Movie::Statistics(int n, const AoiRect& rect, AoiSummary* summary) {
    Show(n);
    if (summary != nullptr) *summary = doc_->Summary(rect);
    return doc_->Statistics(rect);
}

void Movie::Histogram(int n, const AoiRect& rect, AoiHistogram& histogram) {
    Show(n);
    DocumentHistogram(*doc_, rect, histogram);
}

std::vector<int16_t> Movie::Profile(int n, const ProfileLine& line) {
    Show(n);
    return doc_->Profile(line);
}

void Movie::FrameFailed(const Problem& problem) const {
    if (problem.code == ProblemCode::FrameOutside) throw std::out_of_range(problem.Text());
    throw FrameUnreadable(path_ + ": " + problem.Text());
}

}  // namespace zel::python
