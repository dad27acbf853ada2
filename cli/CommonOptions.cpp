#include "cli/CommonOptions.h"

#include <cstdio>

namespace zel::cli {

void Complain(const std::string& message) { std::fprintf(stderr, "zeltiff16-cli: %s\n", message.c_str()); }

int OpenDocument(CZelfDoc& doc, const FrameWorkOptions& options) {
    if (!doc.OpenMovie(options.movie, !options.noCorrection)) {
        Complain(options.movie + ": " + doc.OpenError());
        return kExitFailure;
    }
    if (!options.noCorrection && !doc.reader()->CorrectionNote().empty())
        Complain(options.movie + ": opened without correction: " + doc.reader()->CorrectionNote());
    if (!options.blackReference.empty()) {
        if (const Problem refused = doc.ApplyBlackBalance(options.blackReference)) {
            Complain("black balance from " + options.blackReference + " not applied: " + refused.Text());
            return kExitFailure;
        }
    }
    return kExitOk;
}

int RefuseInputAsOutput(const CZelfDoc& doc, const std::string& path) {
    if (!doc.IsInputFile(path)) return kExitOk;
    Complain("the output " + path + " is the movie or its black reference; choose another name");
    return kExitUsage;
}

int ResolveRange(const CZelfDoc& doc, const FrameWorkOptions& options, int& first, int& last) {
    const int count = doc.frameCount();
    FrameSpan span;
    if (const Problem outside = CheckSpan(options.start.value_or(0), options.end.value_or(count - 1), count, span)) {
        Complain(outside.code == ProblemCode::NoFrames ? options.movie + ": " + outside.Text() : outside.Text());
        return kExitUsage;
    }
    first = span.first;
    last = span.last;
    return kExitOk;
}

}  // namespace zel::cli
