// zeltiff16-cli profile / aoi: the CSV exports of the GUI, written by the same writers
// over a frame range. Line 1 names the movie's absolute path, as the GUI does.

#include "cli/MeasureCommand.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

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

std::string AbsolutePath(const std::string& path) {
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.lexically_normal().string();
}

// Runs `row` for every frame of the range. Returns kExitOk or the failure's exit code.
template <typename Row>
int ForEachFrame(CZelfDoc& doc, int first, int last, Row&& row) {
    Progress progress("measuring", last - first + 1);
    for (int n = first; n <= last; ++n) {
        if (!doc.ShowFrame(n)) {
            Complain("frame " + std::to_string(n) + " cannot be read");
            return kExitFailure;
        }
        if (!row()) return kExitFailure;
        progress.Update(n - first + 1);
    }
    return kExitOk;
}

template <typename Writer>
int Finish(Writer& writer, const std::string& output, int code) {
    std::string error;
    if (code != kExitOk) return code;  // the writer's destructor removes the partial file
    if (!writer.End(&error)) {
        Complain(error.empty() ? "cannot write " + output : error);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunProfile(const MeasureOptions& options) {
    CZelfDoc doc;
    if (const int code = OpenDocument(doc, options); code != kExitOk) return code;
    int first = 0, last = 0;
    if (const int code = ResolveRange(doc, options, first, last); code != kExitOk) return code;
    if (const int code = CheckCorners(doc, options, "profile line's"); code != kExitOk) return code;

    const auto& c = options.corners;
    // The view samples max(|dx|, |dy|) points: the start point and those after it,
    // without the end point.
    const int count = std::max(std::abs(c[2] - c[0]), std::abs(c[3] - c[1]));
    std::vector<int16_t> values(static_cast<size_t>(count) + 1);
    ProfileCsvWriter writer;
    std::string error;
    if (!writer.Begin(options.output, AbsolutePath(options.movie), {c[0], c[1], c[2], c[3]}, count, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&] {
        doc.GetProfile(c[0], c[1], c[2], c[3], count, values.data());
        if (writer.WriteRow(values.data())) return true;
        Complain("cannot write " + options.output);
        return false;
    });
    return Finish(writer, options.output, code);
}

int RunAoi(const MeasureOptions& options) {
    CZelfDoc doc;
    if (const int code = OpenDocument(doc, options); code != kExitOk) return code;
    int first = 0, last = 0;
    if (const int code = ResolveRange(doc, options, first, last); code != kExitOk) return code;
    if (const int code = CheckCorners(doc, options, "rectangle's"); code != kExitOk) return code;

    const auto& c = options.corners;
    AoiCsvWriter writer;
    std::string error;
    const bool colour = doc.reader->colorPattern >= 2;
    if (!writer.Begin(options.output, AbsolutePath(options.movie), {c[0], c[1], c[2], c[3]}, colour, &error)) {
        Complain(error);
        return kExitFailure;
    }
    const int code = ForEachFrame(doc, first, last, [&] {
        AoiStatistics stats;
        doc.GetAoiStatistics(c[0], c[1], c[2], c[3], stats);
        if (writer.WriteRow(stats)) return true;
        Complain("cannot write " + options.output);
        return false;
    });
    return Finish(writer, options.output, code);
}

}  // namespace zel::cli
