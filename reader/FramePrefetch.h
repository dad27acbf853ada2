#pragma once
// Reads the next frame's bytes on a thread of its own while the caller works on the
// current frame, so that a sequential run (a conversion, playback, a script iterating a
// movie) overlaps its file reads with decoding and writing.
//
// One fetch at a time, into a buffer of the prefetcher's; Take hands that buffer over by
// swapping it with the caller's. Reads are positional (they never move the file's
// position), and the thread starts on the first fetch, so readers that never read
// sequentially never start it.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace zel {

class MovieFile;

class FramePrefetch {
public:
    explicit FramePrefetch(const MovieFile& file) : file_(file) {}
    ~FramePrefetch();
    FramePrefetch(const FramePrefetch&) = delete;
    FramePrefetch& operator=(const FramePrefetch&) = delete;

    // Starts reading `bytes` at `offset`, replacing a fetch that was not taken.
    void Start(int64_t offset, size_t bytes);
    // Waits for the fetch of exactly this span and, if it read every byte, swaps its
    // buffer with `buffer` (capacity `capacity`, both updated) and returns true. Any other
    // fetch is dropped. After Take no read of the prefetcher's is in progress.
    bool Take(int64_t offset, size_t bytes, std::unique_ptr<uint8_t[]>& buffer, size_t& capacity);
    // Waits for a read in progress and drops it (before the file is closed or repositioned).
    void Cancel();

private:
    void Run();

    const MovieFile& file_;
    std::mutex lock_;
    std::condition_variable changed_;
    int64_t offset_ = 0;
    size_t bytes_ = 0;
    bool requested_ = false;  // a span is waiting for the thread
    bool reading_ = false;
    bool ready_ = false;      // the span has been read (fully when `complete_`)
    bool complete_ = false;
    bool stopping_ = false;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_ = 0;
    std::thread thread_;  // started on the first Start
};

}  // namespace zel
