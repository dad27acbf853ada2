#include "reader/FramePrefetch.h"

#include <new>
#include <utility>

#include "reader/MovieFile.h"

namespace zel {

FramePrefetch::~FramePrefetch() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void FramePrefetch::Start(int64_t offset, size_t bytes) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !reading_; });  // the buffer is the thread's while it reads
    offset_ = offset;
    bytes_ = bytes;
    requested_ = true;
    ready_ = false;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    hold.unlock();
    changed_.notify_all();
}

bool FramePrefetch::Take(int64_t offset, size_t bytes, std::unique_ptr<uint8_t[]>& buffer, size_t& capacity) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !requested_ && !reading_; });
    const bool hit = ready_ && complete_ && offset_ == offset && bytes_ == bytes;
    ready_ = false;
    if (hit) {
        std::swap(buffer, buffer_);
        std::swap(capacity, capacity_);
    }
    return hit;
}

void FramePrefetch::Cancel() {
    std::unique_lock<std::mutex> hold(lock_);
    requested_ = false;
    changed_.wait(hold, [&] { return !reading_; });
    ready_ = false;
}

void FramePrefetch::Run() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [&] { return requested_ || stopping_; });
        if (stopping_) return;
        requested_ = false;
        reading_ = true;
        const int64_t offset = offset_;
        const size_t bytes = bytes_;
        if (capacity_ < bytes) {
            buffer_.reset(new (std::nothrow) uint8_t[bytes]);
            capacity_ = buffer_ ? bytes : 0;
        }
        hold.unlock();
        const bool complete = capacity_ >= bytes && file_.ReadAt(offset, buffer_.get(), bytes);
        hold.lock();
        complete_ = complete;
        ready_ = true;
        reading_ = false;
        changed_.notify_all();
    }
}

}  // namespace zel
