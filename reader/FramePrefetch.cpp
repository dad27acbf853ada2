#include "reader/FramePrefetch.h"

#include <cstring>
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

void FramePrefetch::Start(int64_t offset, size_t bytes, const FetchDecoder* decoder, size_t decodedBytes) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !reading_; });  // the buffers are the thread's while it reads
    offset_ = offset;
    bytes_ = bytes;
    decoder_ = decodedBytes > 0 ? decoder : nullptr;
    decodedBytes_ = decodedBytes;
    requested_ = true;
    ready_ = false;
    decodedReady_ = false;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    hold.unlock();
    changed_.notify_all();
}

FramePrefetch::Taken FramePrefetch::Take(int64_t offset, size_t bytes, std::unique_ptr<uint8_t[]>& buffer,
                                         size_t& capacity, uint8_t* decoded, size_t decodedBytes) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return !requested_ && !reading_; });
    const bool hit = ready_ && complete_ && offset_ == offset && bytes_ == bytes;
    const bool decodedHit = hit && decoded != nullptr && decodedReady_ && decodedBytes_ == decodedBytes;
    ready_ = false;
    decodedReady_ = false;
    if (!hit) return Taken::Nothing;
    std::swap(buffer, buffer_);
    std::swap(capacity, capacity_);
    if (!decodedHit) return Taken::Bytes;
    std::memcpy(decoded, decoded_.get(), decodedBytes);
    return Taken::Decoded;
}

void FramePrefetch::Cancel() {
    std::unique_lock<std::mutex> hold(lock_);
    requested_ = false;
    changed_.wait(hold, [&] { return !reading_; });
    ready_ = false;
    decodedReady_ = false;
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
        const FetchDecoder* const decoder = decoder_;
        const size_t decodedBytes = decodedBytes_;
        if (capacity_ < bytes) {
            buffer_.reset(new (std::nothrow) uint8_t[bytes]);
            capacity_ = buffer_ ? bytes : 0;
        }
        if (decoder != nullptr && decodedCapacity_ < decodedBytes) {
            decoded_.reset(new (std::nothrow) uint8_t[decodedBytes]);
            decodedCapacity_ = decoded_ ? decodedBytes : 0;
        }
        hold.unlock();
        const bool complete = capacity_ >= bytes && file_.ReadAt(offset, buffer_.get(), bytes);
        const bool decode = complete && decoder != nullptr && decodedCapacity_ >= decodedBytes;
        if (decode) decoder->Decode(buffer_.get(), decoded_.get());
        hold.lock();
        complete_ = complete;
        ready_ = true;
        decodedReady_ = decode;
        reading_ = false;
        changed_.notify_all();
    }
}

}  // namespace zel
