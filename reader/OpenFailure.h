#pragma once
// Why a movie could not be opened: a code and its arguments beside the English text, so
// a front end can say the same in another language. Each code has one English template
// in which %1, %2, ... stand for the arguments in order (the placeholders a translated
// template uses as well).

#include <string>
#include <string_view>
#include <vector>

namespace zel {

enum class OpenProblem {
    None,
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
    NoMemoryForCorrection,
    NoMemoryForFrame,        // %1 x %2
    NoMemoryForDisplay,
    RunInProgress,
};

struct OpenFailure {
    OpenProblem problem = OpenProblem::None;
    std::vector<std::string> arguments;

    // The English text: the problem's template with the arguments filled in.
    std::string Text() const;
};

// The English template of a problem (empty for None).
std::string_view OpenProblemTemplate(OpenProblem problem);

// Replaces %1 .. %9 by the arguments; a placeholder without an argument stays as it is.
std::string FillTemplate(std::string_view pattern, const std::vector<std::string>& arguments);

}  // namespace zel
