#include "reader/Problem.h"

namespace zel {

std::string_view ProblemTemplate(ProblemCode code) {
    switch (code) {
        case ProblemCode::None: return "";
        case ProblemCode::CannotOpenFile: return "cannot open the file: %1";
        case ProblemCode::HeaderTooShort: return "the file is shorter than the 512-byte movie header";
        case ProblemCode::NotAMovie: return "not a movie file (the header does not start with \"ZELF\")";
        case ProblemCode::TooManyChunks: return "the chunk directory claims %1 entries; at most 22 fit in the header";
        case ProblemCode::RecordOutsideFile: return "the \"%1\" record at offset %2 does not lie inside the file";
        case ProblemCode::RecordMissing: return "the file has no \"%1\" record";
        case ProblemCode::FrameSizeRecordMissing:
            return "the file has the older record layout but no \"FSZP\" frame-size record";
        case ProblemCode::TooManyFrames: return "the segment table claims %1 frames, more than can be indexed";
        case ProblemCode::InvalidFrameSize: return "the frame size %1 x %2 is not valid";
        case ProblemCode::StoredBitsMismatch:
            return "the file stores %1 bits per pixel, but its pixel layout %2 needs %3";
        case ProblemCode::FrameTooLarge: return "the frame size %1 x %2 is too large";
        case ProblemCode::StrideTooShort: return "the frame stride %1 is smaller than one stored frame (%2 bytes)";
        case ProblemCode::FramChunkMissing: return "the file has no \"FRAM\" chunk";
        case ProblemCode::FramChunkOutsideFile: return "the \"FRAM\" chunk does not lie inside the file";
        case ProblemCode::NoFrames: return "the movie has no frames";
        case ProblemCode::FirstFrameCut: return "the file is too short to hold its first frame (%1 bytes)";
        case ProblemCode::FirstFrameNotStored:
            return "the file stores only %2 of the %1 bytes of its first frame: it is a sparse file without a picture";
        case ProblemCode::NoMemoryForCorrection: return "cannot allocate memory for the correction tables";
        case ProblemCode::NoMemoryForFrame: return "not enough memory for a frame of %1 x %2";
        case ProblemCode::NoMemoryForDisplay: return "not enough memory for the display bitmap";
        case ProblemCode::RunInProgress: return "a run is in progress; end it first";
        case ProblemCode::FrameUnreadable: return "frame %1 cannot be read";
        case ProblemCode::NoFrameShown: return "no frame is shown (the correction data is); show a frame first";
        case ProblemCode::FrameOutside: return "frame %1 lies outside the movie's frames 0..%2";
        case ProblemCode::RangeOutside: return "frame range %1..%2 lies outside the movie's frames 0..%3";
        case ProblemCode::PointOutside: return "the %1 point (%2, %3) lies outside the %4 x %5 frame";
        case ProblemCode::NoAoi: return "no AOI has been drawn; draw one with the AOI tool first";
        case ProblemCode::NoProfileLine: return "no profile line has been drawn; draw one with the Profile tool first";
        case ProblemCode::BadPixelSize:
            return "\"%1\" is not a pixel size: give a positive number and a unit (nm, um, mm, cm, m or in), e.g. 12.5um";
        case ProblemCode::EmptyProfileLine:
            return "the profile line starts and ends at (%1, %2): it has no samples; draw it between two different points";
        case ProblemCode::KymographTooLarge:
            return "a kymograph of %1 frames x %2 samples is too large: at most 65535 frames, 65535 samples and 1 GiB "
                   "in all; choose a shorter frame range or line";
        case ProblemCode::NoMemoryForKymograph: return "not enough memory for a kymograph of %1 frames x %2 samples";
        case ProblemCode::OutputIsInput: return "%1 is the movie being read; it is never overwritten";
        case ProblemCode::WriteFailed: return "%1";
        case ProblemCode::UnsupportedDepth: return "cannot write %1-bit samples as a %2-bit file";
        case ProblemCode::ReferenceUnopenable: return "cannot open the reference movie: %1";
        case ProblemCode::ReferenceEightBit: return "the reference movie has 8-bit samples";
        case ProblemCode::ReferenceTooLarge: return "the reference movie's frames are larger than the buffer";
        case ProblemCode::ReferenceNoFrames: return "the reference movie has no frames";
        case ProblemCode::ReferenceFrameUnreadable: return "frame %1 of the reference movie cannot be read";
        case ProblemCode::ReferenceSizeDiffers:
            return "the reference movie's frames (%1 x %2) differ from the movie's (%3 x %4)";
        case ProblemCode::NoOffsetsToBalance: return "the movie's correction data of kind %1 has no offsets to balance";
        case ProblemCode::OpenedWithoutCorrection: return "the movie was opened without correction data to balance";
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

std::string Problem::Text() const { return FillTemplate(ProblemTemplate(code), arguments); }

}  // namespace zel
