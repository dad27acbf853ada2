#include "cli/CommonOptions.h"

#include <cstdio>

namespace zel::cli {

void Complain(const std::string& message) { std::fprintf(stderr, "zeltiff16-cli: %s\n", message.c_str()); }

int OpenDocument(CZelfDoc& doc, const FrameWorkOptions& options) {
    if (!doc.OpenMovie(options.movie, !options.noCorrection)) {
        Complain(options.movie + ": " + doc.OpenError());
        return kExitFailure;
    }
    if (!options.noCorrection && !doc.reader->CorrectionNote().empty())
        Complain(options.movie + ": opened without correction: " + doc.reader->CorrectionNote());
    if (!options.blackReference.empty()) {
        const BlackBalanceResult balance = doc.ApplyBlackBalance(options.blackReference);
        if (!balance.applied) {
            Complain("black balance from " + options.blackReference + " not applied: " + balance.problem);
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
    const int count = doc.frameCount;
    if (count < 1) {
        Complain(options.movie + ": the movie has no frames");
        return kExitUsage;
    }
    first = options.start.value_or(0);
    last = options.end.value_or(count - 1);
    if (first < 0 || last >= count || first > last) {
        Complain("frame range " + std::to_string(first) + ".." + std::to_string(last) +
                 " lies outside the movie's frames 0.." + std::to_string(count - 1));
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace zel::cli
