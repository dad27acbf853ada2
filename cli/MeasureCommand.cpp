// zeltiff16-cli profile / aoi: the CSV exports of the GUI, written by the same writers
// over a frame range. Line 1 names the movie's absolute path, as the GUI does.

#include "cli/MeasureCommand.h"

#include <cstdlib>
#include <vector>

#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "document/CsvExport.h"

namespace zel::cli {

namespace {

int CheckCorners(const CZelfDoc& doc, const MeasureOptions& options, const char* what) {
    const auto& c = options.corners;
    for (int i = 0; i < 4; i += 2) {
        if (c[i] < 0 || c[i] >= doc.width || c[i + 1] < 0 || c[i + 1] >= doc.height) {
            Complain(std::string("the ") + what + " point (" + std::to_string(c[i]) + ", " + std::to_string(c[i + 1]) +
                     ") lies outside the " + std::to_string(doc.width) + " x " + std::to_string(doc.height) +
                     " frame");
            return kExitUsage;
        }
    }
    return kExitOk;
}

// Runs `row` for every frame of the range. Returns kExitOk or the failure's exit code;
// an interrupt stops the run between frames.
template <typename Row>
int ForEachFrame(CZelfDoc& doc, int first, int last, Row&& row) {
    Progress progress("measuring", last - first + 1);
    for (int n = first; n <= last; ++n) {
        if (InterruptWatch::Signal() != 0) {
            Complain("interrupted; nothing was written");
            return InterruptWatch::ExitCode();
        }
        if (!doc.ShowFrame(n)) {
            Complain("frame " + std::to_string(n) + " cannot be read");
            return kExitFailure;
        }
        if (!row()) return kExitFailure;
        progress.Update(n - first + 1);
    }
    return kExitOk;
}

// After a failed row: drops the export and says why. Always false.
template <typename Writer>
bool SayWhy(Writer& writer, const std::string& output) {
    std::string error;
    writer.End(&error);
    Complain(error.empty() ? "cannot write " + output : error);
    return false;
}

template <typename Writer>
int Finish(Writer& writer, const std::string& output, int code) {
    std::string error;
    if (code != kExitOk) return code;  // the writer's destructor drops the unfinished export
    if (!writer.End(&error)) {
        Complain(error.empty() ? "cannot write " + output : error);
        return kExitFailure;
    }
    return kExitOk;
}

// Opens the movie and checks the range, the corners and the output before anything is
// written.
int Prepare(CZelfDoc& doc, const MeasureOptions& options, const char* what, int& first, int& last) {
    if (const int code = OpenDocument(doc, options); code != kExitOk) return code;
    if (const int code = ResolveRange(doc, options, first, last); code != kExitOk) return code;
    if (const int code = CheckCorners(doc, options, what); code != kExitOk) return code;
    return RefuseInputAsOutput(doc, options.output);
}

}  // namespace

int RunProfile(const MeasureOptions& options) {
    const InterruptWatch interrupts;
    CZelfDoc doc;
    int first = 0, last = 0;
    if (const int code = Prepare(doc, options, "profile line's", first, last); code != kExitOk) return code;

    const auto& c = options.corners;
    // The view samples max(|dx|, |dy|) points: the start point and those after it,
    // without the end point.
    const int count = std::max(std::abs(c[2] - c[0]), std::abs(c[3] - c[1]));
    std::vector<int16_t> values(static_cast<size_t>(count) + 1);
    ProfileCsvWriter writer;
    std::string error;
    if (!writer.Begin(options.output, AbsoluteMoviePath(options.movie), {c[0], c[1], c[2], c[3]}, count, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&] {
        doc.GetProfile(c[0], c[1], c[2], c[3], count, values.data());
        return writer.WriteRow(values.data()) || SayWhy(writer, options.output);
    });
    return Finish(writer, options.output, code);
}

int RunAoi(const MeasureOptions& options) {
    const InterruptWatch interrupts;
    CZelfDoc doc;
    int first = 0, last = 0;
    if (const int code = Prepare(doc, options, "rectangle's", first, last); code != kExitOk) return code;

    const auto& c = options.corners;
    AoiCsvWriter writer;
    std::string error;
    const bool colour = IsColourMosaic(doc.reader->Parameters().colorPattern);
    if (!writer.Begin(options.output, AbsoluteMoviePath(options.movie), {c[0], c[1], c[2], c[3]}, colour, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&] {
        AoiStatistics stats;
        doc.GetAoiStatistics(c[0], c[1], c[2], c[3], stats);
        return writer.WriteRow(stats) || SayWhy(writer, options.output);
    });
    return Finish(writer, options.output, code);
}

}  // namespace zel::cli
