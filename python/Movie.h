#pragma once
// One open movie as the Python module serves it: the same document the command-line
// tool reads and measures through, so frames, statistics and profiles equal its output.
//
// A Movie belongs to one thread at a time. Every call that reads or changes it first
// takes its claim, which a second call cannot take while the first holds it: that call
// fails at once with MovieBusy rather than waiting (the holder may be waiting for the
// interpreter lock) or moving the file position under the holder. Reads run without
// the interpreter lock, so separate Movie objects read in parallel.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/AoiStatistics.h"
#include "document/Histogram.h"
#include "document/Measurements.h"
#include "document/ZelfDoc.h"
#include "reader/MovieParameters.h"
#include "reader/Problem.h"

namespace zel::python {

class Movie {
public:
    // The claim on a movie, held for the length of one call. Movable, released once.
    class Claim {
    public:
        explicit Claim(std::atomic<bool>& busy);
        Claim(Claim&& other) noexcept;
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        Claim& operator=(Claim&&) = delete;
        ~Claim();

    private:
        std::atomic<bool>* busy_;
    };

    // Throws OpenRefused, or std::invalid_argument when the black reference cannot be
    // applied.
    Movie(const std::string& path, bool correction, const std::optional<std::string>& blackReference);
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;
    ~Movie() = default;

    // Throws MovieClosed after Close, MovieBusy while another call holds the claim.
    Claim Use();
    // Closes the file; later calls but Close raise MovieClosed. Throws MovieBusy while
    // another call holds the claim.
    void Close();
    bool IsClosed() const { return !doc_; }

    // The open movie's document, reader and recording parameters. Throw MovieClosed.
    const CZelfDoc& Document() const;
    // The document for a run over its frames (an export), which moves its current frame;
    // for the holder of the claim. Throws MovieClosed.
    CZelfDoc& RunDocument();
    const CMovieReader& Reader() const { return *Document().reader(); }
    const MovieParameters& Parameters() const { return Reader().Parameters(); }
    int FrameCount() const { return Document().frameCount(); }
    int Width() const { return Document().width(); }
    int Height() const { return Document().height(); }
    int BytesPerSample() const { return Document().bytesPerSample(); }
    int64_t FrameBytes() const { return int64_t{Width()} * Height() * BytesPerSample(); }
    bool IsColour() const { return Document().IsColour(); }
    bool IsCorrected() const { return Reader().HasCorrection(); }
    const std::string& Path() const { return path_; }

    // A frame index counted from the end when negative, checked against the frame count
    // (std::out_of_range).
    int FrameIndex(int64_t index) const;
    // Checks that both points of the shape lie in the frame; std::invalid_argument with
    // the shape's own account otherwise, worded as the command-line tool words it.
    void CheckPoints(const AoiRect& rect) const;
    void CheckPoints(const ProfileLine& line) const;

    // The calls below need a claim and run without the interpreter lock. Each throws
    // FrameUnreadable when the frame cannot be read.

    // Reads frame n (a checked index) into out, which holds FrameBytes() bytes.
    void ReadFrame(int n, void* out);
    // Corrected samples of frame n in the rectangle, corners included.
    AoiStatistics Statistics(int n, const AoiRect& rect, AoiSummary* summary = nullptr);
    // The samples of frame n along the line from (x0, y0) toward (x1, y1), one per step
    // of the longer axis, the end point excluded.
    std::vector<int16_t> Profile(int n, const ProfileLine& line);
    // The histogram of frame n in the rectangle.
    void Histogram(int n, const AoiRect& rect, AoiHistogram& histogram);
    void SetPixelCalibration(const Calibration& calibration) { doc_->SetPixelCalibration(calibration); }

    // Number of times the file was repositioned since it was opened.
    uint64_t SeekCount() const { return Reader().SeekCount(); }
    // Number of frames read through ReadFrame since the movie was opened: what lazy
    // indexing promises to keep to the frames asked for.
    uint64_t FramesRead() const { return framesRead_; }

private:
    // Puts frame n into the document's samples, where the measurements read it; nothing
    // to do when they hold it already (the document keeps frame 0 from the open).
    void Show(int n);
    // Raises a frame problem of the document: IndexError for a frame outside the movie
    // (the index checks keep that from happening), FrameUnreadable otherwise.
    [[noreturn]] void FrameFailed(const Problem& problem) const;

    std::string path_;
    std::unique_ptr<CZelfDoc> doc_;  // null once closed
    std::atomic<bool> busy_{false};
    uint64_t framesRead_ = 0;
};

}  // namespace zel::python
