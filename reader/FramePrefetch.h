#pragma once
// Reads the next frame's bytes on a thread of its own while the caller works on the
// current frame, so that a sequential run (a conversion, playback, a script iterating a
// movie) overlaps its file reads with decoding and writing.
//
// One fetch at a time, into a buffer of the prefetcher's; Take hands that buffer over by
// swapping it with the caller's. Reads are positional (they never move the file's
// position), and the thread starts on the first fetch, so readers that never read
// sequentially never start it.
//
// A fetch may also be decoded on the thread (FetchDecoder), into a second buffer of the
// prefetcher's that Take copies out: the next frame is then decoded while the caller
// still works on the current one.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace zel {

class MovieFile;

// Work on a fetched span, done on the prefetcher's thread right after the read. It must
// only read state that stays unchanged while a fetch may be in progress.
class FetchDecoder {
public:
    // Turns the span's bytes into the decoded bytes Start was given the size of, at `out`.
    virtual void Decode(const uint8_t* span, uint8_t* out) const = 0;

protected:
    ~FetchDecoder() = default;
};

class FramePrefetch {
public:
    explicit FramePrefetch(const MovieFile& file) : file_(file) {}
    ~FramePrefetch();
    FramePrefetch(const FramePrefetch&) = delete;
    FramePrefetch& operator=(const FramePrefetch&) = delete;

    // Starts reading `bytes` at `offset`, replacing a fetch that was not taken. With a
    // decoder, the span once wholly read is also decoded into `decodedBytes` bytes.
    void Start(int64_t offset, size_t bytes, const FetchDecoder* decoder = nullptr, size_t decodedBytes = 0);

    enum class Taken { Nothing, Bytes, Decoded };
    // Waits for the fetch of exactly this span and, if it read every byte, swaps its
    // buffer with `buffer` (capacity `capacity`, both updated): Bytes. When the caller
    // gives `decoded` and the fetch was decoded into exactly `decodedBytes`, those bytes
    // are also copied there: Decoded. Nothing when no such fetch was read; any other fetch
    // is dropped. After Take no read of the prefetcher's is in progress.
    Taken Take(int64_t offset, size_t bytes, std::unique_ptr<uint8_t[]>& buffer, size_t& capacity,
               uint8_t* decoded = nullptr, size_t decodedBytes = 0);
    // Waits for a read in progress and drops it (before the file is closed or repositioned,
    // or the state a decoder reads changes).
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
    const FetchDecoder* decoder_ = nullptr;  // of the fetch requested or in progress
    size_t decodedBytes_ = 0;
    bool decodedReady_ = false;  // decoded_ holds the decoded span
    std::unique_ptr<uint8_t[]> decoded_;
    size_t decodedCapacity_ = 0;
    std::thread thread_;  // started on the first Start
};

}  // namespace zel
