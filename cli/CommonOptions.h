#pragma once
// Options and steps shared by the commands that work on frames of a movie.

#include <optional>
#include <string>

#include "document/ZelfDoc.h"

namespace zel::cli {

struct FrameWorkOptions {
    std::string movie;
    std::string output;
    std::optional<int> start;
    std::optional<int> end;
    bool noCorrection = false;
    std::string blackReference;
    std::string pixelSize;  // "12.5um"; empty when not given
};

// Exit codes of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints "zeltiff16-cli: <message>" on stderr.
void Complain(const std::string& message);

// Opens the movie into doc, applies the black reference, if any, and the pixel size. Returns kExitOk or
// the exit code after saying why on stderr.
int OpenDocument(CZelfDoc& doc, const FrameWorkOptions& options);

// kExitUsage with a message when path is the movie or its black reference (also through
// a link): an output must never be written over an input.
int RefuseInputAsOutput(const CZelfDoc& doc, const std::string& path);

// The inclusive frame range asked for (default: every frame). kExitUsage with a message
// when it lies outside the movie.
int ResolveRange(const CZelfDoc& doc, const FrameWorkOptions& options, int& first, int& last);

}  // namespace zel::cli
