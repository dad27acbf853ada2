#include "reader/OpenFailure.h"

namespace zel {

std::string_view OpenProblemTemplate(OpenProblem problem) {
    switch (problem) {
        case OpenProblem::None: return "";
        case OpenProblem::CannotOpenFile: return "cannot open the file: %1";
        case OpenProblem::HeaderTooShort: return "the file is shorter than the 512-byte movie header";
        case OpenProblem::NotAMovie: return "not a movie file (the header does not start with \"ZELF\")";
        case OpenProblem::TooManyChunks: return "the chunk directory claims %1 entries; at most 22 fit in the header";
        case OpenProblem::RecordOutsideFile: return "the \"%1\" record at offset %2 does not lie inside the file";
        case OpenProblem::RecordMissing: return "the file has no \"%1\" record";
        case OpenProblem::FrameSizeRecordMissing:
            return "the file has the older record layout but no \"FSZP\" frame-size record";
        case OpenProblem::TooManyFrames: return "the segment table claims %1 frames, more than can be indexed";
        case OpenProblem::InvalidFrameSize: return "the frame size %1 x %2 is not valid";
        case OpenProblem::StoredBitsMismatch:
            return "the file stores %1 bits per pixel, but its pixel layout %2 needs %3";
        case OpenProblem::FrameTooLarge: return "the frame size %1 x %2 is too large";
        case OpenProblem::StrideTooShort: return "the frame stride %1 is smaller than one stored frame (%2 bytes)";
        case OpenProblem::FramChunkMissing: return "the file has no \"FRAM\" chunk";
        case OpenProblem::FramChunkOutsideFile: return "the \"FRAM\" chunk does not lie inside the file";
        case OpenProblem::NoFrames: return "the movie has no frames";
        case OpenProblem::FirstFrameCut: return "the file is too short to hold its first frame (%1 bytes)";
        case OpenProblem::NoMemoryForCorrection: return "cannot allocate memory for the correction tables";
        case OpenProblem::NoMemoryForFrame: return "not enough memory for a frame of %1 x %2";
        case OpenProblem::NoMemoryForDisplay: return "not enough memory for the display bitmap";
        case OpenProblem::RunInProgress: return "a run is in progress; end it first";
    }
    return "";
}

std::string FillTemplate(std::string_view pattern, const std::vector<std::string>& arguments) {
    std::string text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < arguments.size()) {
            text += arguments[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string OpenFailure::Text() const { return FillTemplate(OpenProblemTemplate(problem), arguments); }

}  // namespace zel
