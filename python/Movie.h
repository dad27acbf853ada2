#pragma once
// One open movie as the Python module serves it: the same document the command-line
// tool reads and measures through, so frames, statistics and profiles equal its output.
//
// A Movie belongs to one thread at a time. Every call that reads or changes it first
// takes its claim, which a second call cannot take while the first holds it: that call
// fails at once with MovieBusy rather than waiting (the holder may be waiting for the
// interpreter lock) or moving the file position under the holder. Reads run without
// the interpreter lock, so separate Movie objects read in parallel.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decode/AoiStatistics.h"
#include "document/ZelfDoc.h"

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

    // The open movie's parameters. Throws MovieClosed.
    const CMovieReader& Parameters() const;
    int FrameCount() const { return Parameters().frameCount; }
    int Width() const { return Parameters().width; }
    int Height() const { return Parameters().height; }
    int BytesPerSample() const { return Parameters().bitDepth > 8 ? 2 : 1; }
    int64_t FrameBytes() const { return int64_t{Width()} * Height() * BytesPerSample(); }
    bool IsColour() const { return IsColourMosaic(Parameters().colorPattern); }
    bool IsCorrected() const { return Parameters().HasCorrection(); }
    const std::string& Path() const { return path_; }

    // A frame index counted from the end when negative, checked against the frame count
    // (std::out_of_range).
    int FrameIndex(int64_t index) const;
    // Checks that the points (x0, y0) and (x1, y1) lie in the frame; std::invalid_argument
    // names the shape (`what`) otherwise, as the command-line tool does.
    void CheckPoints(const std::array<int, 4>& corners, const char* what) const;

    // The calls below need a claim and run without the interpreter lock. Each throws
    // FrameUnreadable when the frame cannot be read.

    // Reads frame n (a checked index) into out, which holds FrameBytes() bytes.
    void ReadFrame(int n, void* out);
    // Corrected samples of frame n in the rectangle with corners (x0, y0) and (x1, y1).
    AoiStatistics Statistics(int n, const std::array<int, 4>& corners);
    // The samples of frame n along the line from (x0, y0) toward (x1, y1), one per step
    // of the longer axis, the end point excluded.
    std::vector<int16_t> Profile(int n, const std::array<int, 4>& line);

    // Number of times the file was repositioned since it was opened.
    uint64_t SeekCount() const { return Parameters().SeekCount(); }

private:
    // Puts frame n into the document's samples, where the measurements read it.
    void Show(int n);
    [[noreturn]] void Unreadable(int n) const;

    std::string path_;
    std::unique_ptr<CZelfDoc> doc_;  // null once closed
    std::atomic<bool> busy_{false};
    int shown_ = -1;  // the frame in the document's samples, -1 when not known
};

}  // namespace zel::python
