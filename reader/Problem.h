#pragma once
// Why something could not be done: one value from the system call up to the message the
// user reads. A problem is a code, its arguments and, where the system refused, the
// system's error. Each code has one English template in which %1, %2, ... stand for the
// arguments in order; a front end translates the template and fills in the same
// arguments, and a binding maps the code and the system error to its own exception
// types, so nobody ever parses a message text.

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace zel {

enum class ProblemCode {
    None,
    // Opening a movie.
    CannotOpenFile,          // %1: the system's reason
    HeaderTooShort,
    NotAMovie,
    TooManyChunks,           // %1: entries claimed
    RecordOutsideFile,       // %1: record name, %2: offset
    RecordMissing,           // %1: record name
    FrameSizeRecordMissing,
    TooManyFrames,           // %1: frames claimed
    InvalidFrameSize,        // %1 x %2
    StoredBitsMismatch,      // %1: stored bits, %2: pixel layout, %3: bits the layout needs
    FrameTooLarge,           // %1 x %2
    StrideTooShort,          // %1: stride, %2: bytes of one stored frame
    FramChunkMissing,
    FramChunkOutsideFile,
    NoFrames,
    FirstFrameCut,           // %1: bytes of one stored frame
    FirstFrameNotStored,     // %1: bytes of one stored frame, %2: of them stored (a sparse file)
    NoMemoryForCorrection,
    NoMemoryForFrame,        // %1 x %2
    NoMemoryForDisplay,
    RunInProgress,
    // Frames, ranges and runs.
    FrameUnreadable,         // %1: frame index
    NoFrameShown,            // the samples hold correction data (or nothing), not a frame
    FrameOutside,            // %1: frame index, %2: last frame
    RangeOutside,            // %1..%2: the range, %3: last frame
    // Measurements.
    PointOutside,            // %1: whose point ("profile line's", "rectangle's"), (%2, %3), %4 x %5 frame
    NoAoi,
    NoProfileLine,
    BadPixelSize,            // %1: the text given
    EmptyProfileLine,        // (%1, %2): the line's start, which is also its end
    KymographTooLarge,       // %1 frames x %2 samples
    NoMemoryForKymograph,    // %1 frames x %2 samples
    // Outputs.
    OutputIsInput,           // %1: the output's path
    WriteFailed,             // %1: the writer's whole account (path and the system's reason)
    UnsupportedDepth,        // %1: source bits, %2: output bits
    // Black balance.
    ReferenceUnopenable,     // %1: why the reference movie cannot be opened
    ReferenceEightBit,
    ReferenceTooLarge,
    ReferenceNoFrames,
    ReferenceFrameUnreadable,  // %1: frame index
    ReferenceSizeDiffers,    // %1 x %2 the reference's frames, %3 x %4 the movie's
    NoOffsetsToBalance,      // %1: correction kind
    OpenedWithoutCorrection,
};

struct Problem {
    ProblemCode code = ProblemCode::None;
    std::vector<std::string> arguments;
    std::error_code system;  // the system's refusal behind the problem, where there is one

    Problem() = default;
    Problem(ProblemCode c, std::vector<std::string> args = {}, std::error_code sys = {})
        : code(c), arguments(std::move(args)), system(sys) {}

    explicit operator bool() const { return code != ProblemCode::None; }
    // The English text: the code's template with the arguments filled in.
    std::string Text() const;
};

// The English template of a code (empty for None).
std::string_view ProblemTemplate(ProblemCode code);

// Replaces %1 .. %9 by the arguments; a placeholder without an argument stays as it is.
std::string FillTemplate(std::string_view pattern, const std::vector<std::string>& arguments);

}  // namespace zel
