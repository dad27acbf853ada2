#pragma once
// CMovieReader: one open movie file with its recording parameters, its fixed-pattern
// noise correction tables and its frame position marker.
//
// A movie is a chunked container: a 512-byte header (magic "ZELF", byte-order marker,
// chunk directory and version table), the recording records "GENP", "PLAY" and, in older
// files, "FSZP", optional correction data "FPNP", and the frames back to back in "FRAM".
// The file is untrusted: Open validates every size and offset it will rely on and
// refuses, with a reason, what it cannot read safely.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "reader/CorrectionTables.h"
#include "reader/FramePrefetch.h"
#include "reader/MovieFile.h"
#include "reader/MovieParameters.h"
#include "reader/Problem.h"

namespace zel {

// Largest per-frame header: storedBits (at most 12) x 8 bytes.
constexpr int kMaxFrameHeaderSize = 96;

// The parameters are the reader's own: owners read them through Parameters() and never
// change them, so what the file said and what the reader does cannot drift apart.
class CMovieReader : private MovieParameters {
public:
    CMovieReader() = default;
    CMovieReader(const CMovieReader&) = delete;
    CMovieReader& operator=(const CMovieReader&) = delete;
    ~CMovieReader() = default;

    // Returns 1 on success, 0 on failure (OpenError() then says why). applyCorrection
    // 1 loads the correction tables and applies them to every frame read.
    int Open(const std::string& path, int applyCorrection);
    void Close();

    // Reads frame n into buffer (capacity bufferBytes). Returns the sample bytes
    // produced, or 0 on failure, in which case the buffer is left as it was.
    int ReadFrame(void* buffer, int n, int64_t bufferBytes);
    // With `on`, a run of whole frames read in order has each next frame decoded and
    // corrected on the prefetch thread while the caller works on the current one; a read
    // then only copies the frame out. Only frames whose decode writes every sample go
    // ahead, so what a read gives never depends on what the buffer held. Off by default:
    // it takes a second processor core and a frame-sized buffer.
    void SetDecodeAhead(bool on);
    // Positions the file after frame n, whatever the marker says, and sets the marker
    // to n. 0 on success, -1 on failure.
    int ForceSeekFrame(int n);

    uint16_t Swap16(uint16_t v) const;

    bool IsOpen() const { return fileHandle.IsOpen(); }
    // True when frame reads are corrected: tables of kind 3, 6 or 9 are loaded.
    bool HasCorrection() const;
    // Why the last Open failed, in English; empty after a successful Open.
    const std::string& OpenError() const { return openError_; }
    // The same as a code with its arguments, for front ends that translate it.
    const Problem& LastOpenFailure() const { return openFailure_; }
    // Set when correction was asked for and the file has tables that cannot be used
    // safely: the movie is then open without correction and this says why.
    const std::string& CorrectionNote() const { return correctionNote_; }
    // Entries in each loaded correction table: the frame's width x height (the tables hold
    // the window the frame uses), 0 if none.
    int64_t CorrectionEntries() const { return correction_.entries; }
    // Reads the frame's window of the file's correction tables (kinds 3, 6 and 9) into
    // `tables`, whatever the reader's own correction setting, without moving the file
    // position. On Unusable, *why says why; `tables` is changed only on Loaded.
    TableLoad ReadCorrectionTables(CorrectionTables& tables, std::string* why = nullptr) const;
    // Number of times the file was repositioned since Open.
    uint64_t SeekCount() const { return fileHandle.SeekCount(); }
    int64_t FileSize() const { return fileHandle.Size(); }

    // The twelve per-frame header values of frame n as stored (value1 .. value6 and
    // value7to12, whose meaning is not settled), read without moving the file position.
    // false when the movie has no per-frame headers or frame n's header is not in the file.
    bool FrameHeaderValues(int n, std::array<uint32_t, 12>& values) const;

    // The recording parameters as read by Open.
    const MovieParameters& Parameters() const { return *this; }
    // Which file is open (device and inode, or volume and file index); nullopt when closed.
    std::optional<FileIdentity> Identity() const { return fileHandle.Identity(); }
    // The loaded tables, frame-sized (width x height, row by row); null without correction.
    const int16_t* OffsetTable() const { return offsetTable; }
    const int16_t* GainTable() const { return gainTable; }  // kinds 6 and 9 only
    // Replaces the loaded offsets entry for entry by `offsets` (CorrectionEntries() of
    // them), so that every later frame read adds these instead. false without correction.
    bool ReplaceOffsets(const int16_t* offsets, int64_t count);

private:
    MovieFile fileHandle;
    int16_t* offsetTable = nullptr;
    int16_t* gainTable = nullptr;

    friend struct OpenSteps;

    int Fail(Problem failure);
    int SeekFrame(int n);
    void ParseFrameHeader(const uint8_t* header);
    // Corrects rows firstRow .. firstRow + rows - 1 of the frame in `samples`.
    void ApplyCorrection(uint16_t* samples, int firstRow, int rows) const;
    // Frame n's header and pixels lie wholly inside the file.
    bool WholeFrameInFile(int n) const;
    // Makes the staging buffer hold at least `bytes` (a whole frame with its header).
    bool EnsureStaging(size_t bytes);
    // Reads `stored` pixel bytes into the staging buffer and the frame header into
    // `header` from the file's position, leaving the file at the next frame.
    bool ReadInPlace(uint8_t* header, int64_t stored);
    // Decodes and corrects `rows` rows of stored bytes into buffer.
    void DecodeAndCorrect(const uint8_t* stored, size_t storedBytes, int rows, uint16_t* buffer) const;
    // Stored pixel bytes of a whole frame.
    int64_t WholeFrameStoredBytes() const;
    // Sample bytes of a whole frame when the frames of a run are decoded ahead, else 0.
    size_t SampleBytesAhead() const;

    // A whole frame (its fetched span with the per-frame header) decoded and corrected on
    // the prefetch thread. It reads the parameters and correction tables, which change
    // only in Open, Close and ReplaceOffsets, each of which cancels the fetch first.
    struct AheadDecoder final : FetchDecoder {
        explicit AheadDecoder(const CMovieReader& r) : reader(r) {}
        void Decode(const uint8_t* span, uint8_t* out) const override;
        const CMovieReader& reader;
    };

    CorrectionTables correction_;
    Problem openFailure_;
    std::string openError_;
    std::string correctionNote_;
    std::unique_ptr<uint8_t[]> staging_;  // stored bytes of one frame, reused across reads
    size_t stagingSize_ = 0;
    int lastRead_ = kPositionUnknown;  // frame read last, for spotting sequential runs
    bool fileAfterMarker_ = true;      // the file stands after frame filePosFrame
    bool decodeAhead_ = false;
    const AheadDecoder aheadDecoder_{*this};
    // Declared after fileHandle, so it stops before the file closes.
    FramePrefetch prefetch_{fileHandle};
};

}  // namespace zel
